#include "shell/ui/MDIArrange.h"

#include <QAction>
#include <QList>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

namespace mdiarrange {

namespace {

// The windows an arrangement moves: not hidden and not minimised, in the
// order they were opened.
QList<QMdiSubWindow*> OpenWindows(QMdiArea* area)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (!w->isHidden() && !w->isMinimized())
            windows << w;
    return windows;
}

void Place(QMdiSubWindow* window, const QRect& rect)
{
    if (window->isMaximized())
        window->showNormal();
    window->setGeometry(rect);
}

int TitleHeight(const QMdiSubWindow* window)
{
    return window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
}

// Splits length into n parts that add up to it exactly.
int PartStart(int length, int n, int i) { return length * i / n; }

}  // namespace

void Cascade(QMdiArea* area)
{
    const QList<QMdiSubWindow*> windows = OpenWindows(area);
    if (windows.isEmpty())
        return;
    const QRect space = area->viewport()->rect();
    const int step = std::max(TitleHeight(windows.first()), 16);
    // Each window keeps two thirds of the area at least, so a dozen of them
    // still show their pictures, not just their title bars.
    const int steps = static_cast<int>(windows.size()) - 1;
    const int width = std::max(space.width() - step * steps, space.width() * 2 / 3);
    const int height = std::max(space.height() - step * steps, space.height() * 2 / 3);
    const int room = std::max(std::min(space.width() - width, space.height() - height), 0);
    const int perRound = room / step + 1;  // then the next ones start at the top left again
    for (int i = 0; i < windows.size(); ++i) {
        const int offset = step * (i % perRound);
        Place(windows[i], QRect(offset, offset, width, height));
        windows[i]->raise();
    }
}

void TileHorizontally(QMdiArea* area)
{
    const QList<QMdiSubWindow*> windows = OpenWindows(area);
    const QRect space = area->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        const int top = PartStart(space.height(), n, i);
        Place(windows[i], QRect(0, top, space.width(), PartStart(space.height(), n, i + 1) - top));
    }
}

void TileVertically(QMdiArea* area)
{
    const QList<QMdiSubWindow*> windows = OpenWindows(area);
    const QRect space = area->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        const int left = PartStart(space.width(), n, i);
        Place(windows[i], QRect(left, 0, PartStart(space.width(), n, i + 1) - left, space.height()));
    }
}

void ArrangeIcons(QMdiArea* area)
{
    const QRect space = area->viewport()->rect();
    int x = 0;
    int row = 0;  // counted from the bottom
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isHidden() || !w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > space.width()) {
            x = 0;
            ++row;
        }
        w->move(x, space.height() - (row + 1) * size.height());
        x += size.width();
    }
}

QPoint NewWindowPosition(QMdiArea* area, const QSize& size)
{
    const QList<QMdiSubWindow*> open = OpenWindows(area);
    const QSize space = area->viewport()->size();
    const int step = std::max(open.isEmpty() ? 0 : TitleHeight(open.first()), 24);
    const int room = std::max(std::min(space.width() - size.width(), space.height() - size.height()), 0);
    // The new window is not shown yet, so it is not among them.
    const int offset = step * (static_cast<int>(open.size()) % (room / step + 1));
    return {offset, offset};
}

void ListWindowsIn(QMenu* menu, QMdiArea* area)
{
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, area] {
        static constexpr char kListed[] = "listedWindow";  // marks the actions made here
        for (QAction* action : menu->actions()) {
            if (action->property(kListed).toBool()) {
                menu->removeAction(action);
                action->deleteLater();
            }
        }
        const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
        if (windows.isEmpty())
            return;
        menu->addSeparator()->setProperty(kListed, true);
        int number = 0;
        for (QMdiSubWindow* w : windows) {
            QAction* action = menu->addAction(QString("&%1 %2").arg(++number).arg(w->windowTitle()));
            action->setProperty(kListed, true);
            action->setCheckable(true);
            action->setChecked(w == area->activeSubWindow());
            QObject::connect(action, &QAction::triggered, area, [area, w] { area->setActiveSubWindow(w); });
        }
    });
}

}  // namespace mdiarrange
