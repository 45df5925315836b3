#pragma once
// The main window's own pictures, drawn rather than shipped.
#include <QPixmap>

// The picture centred on the empty MDI area: a night-side earth with an orbit.
QPixmap MakeBackgroundPicture();
