#pragma once
// The R2FX window's artwork, drawn here rather than shipped: the receiver's
// front panel (414 x 148, the window's client area) and the off and on
// pictures of its lamps (17 pixels wide, so that lamps 18 pixels apart leave
// a one-pixel gap).
#include <QImage>

QImage MakeR2FXFrontPanel();
QImage MakeR2FXSignalLamp(bool lit);   // 17 x 17
QImage MakeR2FXChannelLamp(bool lit);  // 17 x 12
