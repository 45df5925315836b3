#pragma once
// The main window's own pictures, drawn rather than shipped.
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

// The picture centred on the empty MDI area: a night-side earth with an orbit.
QPixmap MakeBackgroundPicture();

// The Flat Earth Monitor's icons: the sun (32 x 33) and the moon (32 x 32)
// on a transparent ground, a satellite (37 x 26) on white, which the map
// treats as transparent.
QImage MakeSunImage();
QImage MakeMoonImage();
QImage MakeSatImage();

// The tray menu's stripe down its left side (21 x 126).
QPixmap MakeTrayStripe();
// The background of a tray menu item (5 x 21): plain, or selected (also the
// separator's).
QPixmap MakeTrayItemPicture(bool selected);
// The tray icon's frames while a recording runs (32 x 32 each): a dish
// sending out one, two, then three waves.
QList<QIcon> MakeTrayFrames();
