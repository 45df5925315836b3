#pragma once
// A menu whose owner measures and draws its items: the tray menu with its
// picture stripe. Without a draw handler it is an ordinary menu. Where the
// desktop draws a tray menu itself, none of this is used.
#include <QMenu>
#include <functional>

class TOwnerDrawMenu : public QMenu {
    Q_OBJECT
public:
    explicit TOwnerDrawMenu(const QString& title = {}, QWidget* parent = nullptr);

    // Widens (or heightens) the size proposed for each item.
    std::function<void(int& width, int& height)> OnMeasureItem;
    // Draws one item into the whole of its rectangle, on every repaint.
    std::function<void(QAction* item, QPainter& canvas, const QRect& rect, bool selected)> OnDrawItem;

protected:
    void paintEvent(QPaintEvent* event) override;
};
