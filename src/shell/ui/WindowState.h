#pragma once
// Window placements and grid column widths in the registry.
// "wAttr" = "state;width;height;left;top" (state 0 normal, 1 minimised,
// 2 maximised); a grid's widths are one value named after the grid, joined by ';'.
#include <QString>

class QWidget;
class QTableWidget;

void SaveFormPlacement(const QWidget* window, const QString& key);
// flags bit 0: keep the window's size. False when no placement is stored.
bool RestoreFormPlacement(QWidget* window, const QString& key, int flags = 0);
// Centres a window that has no placement of its own over its owner's window,
// clear of the screen's corner; nothing without an owner.
void PlaceOverOwner(QWidget* window);

void SaveGridColumns(const QTableWidget* grid, const QString& key);
void RestoreGridColumns(QTableWidget* grid, const QString& key);

// String grids keep their titles in the header, so a grid of "two rows"
// (titles and one data row) is a table of one row here.
// Removes the current row; a grid of one data row only has it cleared.
// flags bit 0: the grid takes the focus afterwards.
void DeleteGridRow(QTableWidget* grid, int flags = 0);
// Leaves one empty data row.
void ClearGrid(QTableWidget* grid);
