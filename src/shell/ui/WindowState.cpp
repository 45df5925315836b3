#include "shell/ui/WindowState.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

#include <QTableWidget>
#include <QWidget>

void SaveFormPlacement(const QWidget* window, const QString& key)
{
    const Qt::WindowStates states = window->windowState();
    const int state = states & Qt::WindowMinimized ? 1 : states & Qt::WindowMaximized ? 2 : 0;
    const QRect bounds = window->geometry();
    WriteRegistryString(key, "wAttr",
                        QString::fromStdString(cnum::Format("%d;%d;%d;%d;%d", state, bounds.width(),
                                                            bounds.height(), bounds.x(), bounds.y())));
}

bool RestoreFormPlacement(QWidget* window, const QString& key, int flags)
{
    const QString placement = ReadRegistryString(key, "wAttr");
    if (placement.isEmpty())
        return false;
    auto field = [&](int i) { return static_cast<int>(cnum::ParseInt(GetToken(placement, ';', i))); };
    const int state = field(0);
    window->setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    if (state == 0) {
        if (!(flags & 1))
            window->resize(field(1), field(2));
        window->move(field(3), field(4));
    }
    return true;
}

void PlaceOverOwner(QWidget* window)
{
    if (!window->parentWidget())
        return;
    const QRect owner = window->parentWidget()->window()->frameGeometry();
    window->move(owner.center() - QPoint(window->width() / 2, window->height() / 2));
}

void SaveGridColumns(const QTableWidget* grid, const QString& key)
{
    QStringList widths;
    for (int column = 0; column < grid->columnCount(); ++column)
        widths << QString::number(grid->columnWidth(column));
    WriteRegistryString(key, grid->objectName(), widths.join(';'));
}

void RestoreGridColumns(QTableWidget* grid, const QString& key)
{
    const QString widths = ReadRegistryString(key, grid->objectName());
    if (widths.isEmpty())
        return;
    for (int i = 0;; ++i) {
        const QString field = GetToken(widths, ';', i);
        if (field.isEmpty())
            break;
        if (grid->columnCount() <= i)
            grid->setColumnCount(grid->columnCount() + 1);
        grid->setColumnWidth(i, static_cast<int>(cnum::ParseInt(field)));
    }
}

static void ClearRow(QTableWidget* grid, int row)
{
    for (int column = 0; column < grid->columnCount(); ++column)
        delete grid->takeItem(row, column);
}

void DeleteGridRow(QTableWidget* grid, int flags)
{
    if (!grid)
        return;
    if (grid->rowCount() <= 1) {
        if (grid->rowCount() == 1)
            ClearRow(grid, 0);
    } else if (grid->currentRow() >= 0) {
        grid->removeRow(grid->currentRow());
    }
    if (flags & 1)
        grid->setFocus();
}

void ClearGrid(QTableWidget* grid)
{
    grid->clearContents();
    grid->setRowCount(1);
}
