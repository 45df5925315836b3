#pragma once
// The Window menu's arrangements of the image windows in the MDI area, as
// their captions say: Cascade overlaps them from the top left, each still a
// usable size; Tile Horizontally stacks them one above the other, each as
// wide as the area; Tile Vertically puts them side by side, each as high as
// the area; Arrange All lines the minimised ones up along the bottom.
class QMdiArea;

namespace mdiarrange {

void Cascade(QMdiArea* area);
void TileHorizontally(QMdiArea* area);
void TileVertically(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);

}  // namespace mdiarrange
