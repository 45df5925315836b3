#pragma once
// The one thing the main window's file commands ask of the magnifier.

// Closes the magnifier window when it is shown.
void CloseZoomWindow();
