#include "shell/ui/MDIArrange.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

// An MDI area of 900 x 600 with three image windows of 300 x 200, the
// third one a little bigger than its content wants.
struct Area {
    QMdiArea area;
    QList<QMdiSubWindow*> windows;
    Area()
    {
        area.resize(900, 600);
        area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (int i = 0; i < 3; ++i) {
            QMdiSubWindow* w = area.addSubWindow(new QLabel(QString("picture %1").arg(i)));
            w->resize(300, 200);
            windows << w;
        }
        area.show();
    }
    QSize Space() const { return area.viewport()->size(); }
};

}  // namespace

TEST(MDIArrange, TilesStackOrLineUpTheWindowsAsTheirCaptionsSay)
{
    Area a;
    const QSize space = a.Space();
    mdiarrange::TileHorizontally(&a.area);
    int top = 0;
    for (QMdiSubWindow* w : a.windows) {
        EXPECT_EQ(w->geometry().left(), 0);
        EXPECT_EQ(w->width(), space.width()) << "each as wide as the area";
        EXPECT_EQ(w->geometry().top(), top) << "one above the other";
        EXPECT_NEAR(w->height(), space.height() / 3, 1);
        top += w->height();
    }
    EXPECT_EQ(top, space.height());

    mdiarrange::TileVertically(&a.area);
    int left = 0;
    for (QMdiSubWindow* w : a.windows) {
        EXPECT_EQ(w->geometry().top(), 0);
        EXPECT_EQ(w->height(), space.height()) << "each as high as the area";
        EXPECT_EQ(w->geometry().left(), left) << "side by side";
        EXPECT_NEAR(w->width(), space.width() / 3, 1);
        left += w->width();
    }
    EXPECT_EQ(left, space.width());
}

TEST(MDIArrange, CascadeKeepsTheWindowsAUsableSize)
{
    Area a;
    const QSize space = a.Space();
    mdiarrange::Cascade(&a.area);
    QPoint previous(-1, -1);
    for (QMdiSubWindow* w : a.windows) {
        EXPECT_GE(w->width(), space.width() * 2 / 3);
        EXPECT_GE(w->height(), space.height() * 2 / 3);
        EXPECT_TRUE(a.area.viewport()->rect().contains(w->geometry())) << "inside the area";
        EXPECT_GT(w->pos().x(), previous.x()) << "each one further down and right";
        EXPECT_GT(w->pos().y(), previous.y());
        previous = w->pos();
    }
    EXPECT_EQ(a.area.subWindowList(QMdiArea::StackingOrder).last(), a.windows.last()) << "the last on top";
}

TEST(MDIArrange, ArrangeAllLinesTheMinimisedWindowsUpAlongTheBottom)
{
    Area a;
    a.windows[0]->showMinimized();
    a.windows[2]->showMinimized();
    a.windows[0]->move(400, 100);
    const QRect open = a.windows[1]->geometry();
    mdiarrange::ArrangeIcons(&a.area);
    const int bottom = a.Space().height();
    EXPECT_EQ(a.windows[0]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(a.windows[2]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(a.windows[0]->x(), 0);
    EXPECT_EQ(a.windows[2]->x(), a.windows[0]->width()) << "next to each other";
    EXPECT_EQ(a.windows[1]->geometry(), open) << "an open window stays where it is";
}

TEST(MDIArrange, NewWindowsStepDownInsideTheAreaAndTheWindowMenuListsThem)
{
    QMdiArea area;
    area.resize(900, 600);
    area.show();
    const QSize space = area.viewport()->size();
    const QSize size(space.width() * 3 / 4, space.height() * 3 / 4);
    QList<QMdiSubWindow*> windows;
    for (int i = 0; i < 4; ++i) {
        QMdiSubWindow* w = area.addSubWindow(new QLabel);
        w->setWindowTitle(QString("pass %1").arg(i));
        w->resize(size);
        w->move(mdiarrange::NewWindowPosition(&area, w->size()));
        w->show();
        EXPECT_TRUE(area.viewport()->rect().contains(w->geometry())) << "window " << i << " wholly visible";
        if (i > 0) {
            EXPECT_GT(w->x(), windows.last()->x()) << i;
        }
        windows << w;
    }

    QMenu menu;
    menu.addAction("&Cascade");
    mdiarrange::ListWindowsIn(&menu, &area);
    area.setActiveSubWindow(windows[2]);
    for (int shown = 0; shown < 2; ++shown) {  // listed anew each time, not twice
        emit menu.aboutToShow();
        QStringList listed;
        QString checked;
        for (QAction* action : menu.actions()) {
            if (action->isSeparator() || action->text() == "&Cascade")
                continue;
            listed << action->text();
            if (action->isChecked())
                checked = action->text();
        }
        EXPECT_EQ(listed, QStringList({"&1 pass 0", "&2 pass 1", "&3 pass 2", "&4 pass 3"}));
        EXPECT_EQ(checked, "&3 pass 2") << "the active window is checked";
    }
    menu.actions().at(2)->trigger();  // "&1 pass 0"
    EXPECT_EQ(area.activeSubWindow(), windows[0]);
}
