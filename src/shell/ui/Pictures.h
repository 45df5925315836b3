#pragma once
// The main window's own pictures, drawn rather than shipped.
#include <QImage>
#include <QPixmap>

// The picture centred on the empty MDI area: a night-side earth with an orbit.
QPixmap MakeBackgroundPicture();

// The Flat Earth Monitor's icons: the sun (32 x 33) and the moon (32 x 32)
// on a transparent ground, a satellite (37 x 26) on white, which the map
// treats as transparent.
QImage MakeSunImage();
QImage MakeMoonImage();
QImage MakeSatImage();
