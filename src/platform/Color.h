#pragma once
// A colour as the program stores it: 0x00BBGGRR in an int (white is
// 16777215, red 255); the framework's system colours are negative.
using TColor = int;
