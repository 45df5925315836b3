#pragma once
// The Window menu's arrangements of the image windows in the MDI area, as
// their captions say: Cascade overlaps them from the top left, each still a
// usable size; Tile Horizontally stacks them one above the other, each as
// wide as the area; Tile Vertically puts them side by side, each as high as
// the area; Arrange All lines the minimised ones up along the bottom.
#include <QPoint>
#include <QSize>

class QMdiArea;
class QMenu;

namespace mdiarrange {

void Cascade(QMdiArea* area);
void TileHorizontally(QMdiArea* area);
void TileVertically(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);

// Where a new window of the given size goes: one title bar further down
// and right than the last one, wholly inside the area.
QPoint NewWindowPosition(QMdiArea* area, const QSize& size);

// Keeps the open windows listed at the end of menu, each under its caption,
// the active one checked; choosing one brings it to the front.
void ListWindowsIn(QMenu* menu, QMdiArea* area);

}  // namespace mdiarrange
