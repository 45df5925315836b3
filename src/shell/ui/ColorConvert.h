#pragma once
// The program's stored colours (0x00BBGGRR) and the framework's.
#include "platform/Color.h"

#include <QColor>

inline QColor ToQColor(TColor colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

inline TColor FromQColor(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}
