#include "shell/RegistryHelpers.h"
#include "shell/ui/WindowState.h"

#include <QTableWidget>
#include <QWidget>
#include <gtest/gtest.h>

TEST(WindowState, PlacementRoundTripAndStoredForms)
{
    QWidget window;
    window.setGeometry(30, 40, 640, 480);
    SaveFormPlacement(&window, "APT\\Test");
    EXPECT_EQ(ReadRegistryString("APT\\Test", "wAttr"), "0;640;480;30;40");

    struct Case {
        const char* name;
        const char* stored;
        int flags;
        Qt::WindowStates state;
        QSize size;
        QPoint position;
    };
    const Case cases[] = {
        {"normal", "0;900;700;10;10", 0, Qt::WindowNoState, {900, 700}, {10, 10}},
        {"maximised keeps its layout", "2;900;700;10;10", 0, Qt::WindowMaximized, {200, 100}, {5, 6}},
        {"short list gives zeros", "0;900", 0, Qt::WindowNoState, {900, 0}, {0, 0}},
        {"keep size moves only", "0;900;700;10;10", 1, Qt::WindowNoState, {200, 100}, {10, 10}},
    };
    for (const Case& c : cases) {
        QWidget w;
        w.setGeometry(5, 6, 200, 100);
        WriteRegistryString("APT\\Test", "wAttr", c.stored);
        EXPECT_TRUE(RestoreFormPlacement(&w, "APT\\Test", c.flags)) << c.name;
        EXPECT_EQ(w.windowState(), c.state) << c.name;
        if (c.state == Qt::WindowNoState) {
            EXPECT_EQ(w.size(), c.size.expandedTo(w.minimumSize())) << c.name;
            EXPECT_EQ(w.pos(), c.position) << c.name;
        }
    }
    QWidget untouched;
    EXPECT_FALSE(RestoreFormPlacement(&untouched, "APT\\NoPlacement"));
}

TEST(WindowState, GridColumnsRoundTripAndGrow)
{
    QTableWidget grid(1, 3);
    grid.setObjectName("PassGrid");
    grid.setColumnWidth(0, 64);
    grid.setColumnWidth(1, 120);
    grid.setColumnWidth(2, 80);
    SaveGridColumns(&grid, "APT\\SatPass");
    EXPECT_EQ(ReadRegistryString("APT\\SatPass", "PassGrid"), "64;120;80");

    QTableWidget small(1, 2);
    small.setObjectName("PassGrid");
    WriteRegistryString("APT\\SatPass", "PassGrid", "50;60;70");
    RestoreGridColumns(&small, "APT\\SatPass");
    ASSERT_EQ(small.columnCount(), 3);
    EXPECT_EQ(small.columnWidth(2), 70);

    QTableWidget gap(1, 2);
    gap.setObjectName("PassGrid");
    gap.setColumnWidth(1, 33);
    WriteRegistryString("APT\\SatPass", "PassGrid", "50;;70");
    RestoreGridColumns(&gap, "APT\\SatPass");
    EXPECT_EQ(gap.columnWidth(0), 50);
    EXPECT_EQ(gap.columnWidth(1), 33) << "an empty field ends the list";
}

TEST(WindowState, DeleteAndClearGridRows)
{
    QTableWidget grid(4, 1);
    for (int row = 0; row < 4; ++row)
        grid.setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
    grid.setCurrentCell(1, 0);
    DeleteGridRow(&grid);
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.item(1, 0)->text(), "3");
    EXPECT_EQ(grid.item(2, 0)->text(), "4");

    QTableWidget one(1, 2);
    one.setItem(0, 0, new QTableWidgetItem("x"));
    DeleteGridRow(&one);
    EXPECT_EQ(one.rowCount(), 1);
    EXPECT_EQ(one.item(0, 0), nullptr);
    DeleteGridRow(nullptr);

    ClearGrid(&grid);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.item(0, 0), nullptr);
}
