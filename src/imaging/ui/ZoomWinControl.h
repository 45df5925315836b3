#pragma once
// The magnifier as the main window's file commands use it, for code that
// cannot include ZoomWin.h: its bitmap's TColor (unsigned) clashes with the
// settings record's (int) in one translation unit.

// Closes the magnifier window when it is shown.
void CloseZoomWindow();
