#include "shell/ui/OwnerDrawMenu.h"

#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

// Items fill the whole menu (no frame, no margins), and each item's size
// goes past the menu's measure handler.
class TOwnerDrawStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_MenuPanelWidth:
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        auto* menu = qobject_cast<const TOwnerDrawMenu*>(widget);
        if (type == CT_MenuItem && menu && menu->OnMeasureItem) {
            int width = result.width();
            int height = result.height();
            menu->OnMeasureItem(width, height);
            result = QSize(width, height);
        }
        return result;
    }
};

}  // namespace

TOwnerDrawMenu::TOwnerDrawMenu(const QString& title, QWidget* parent) : QMenu(title, parent)
{
    auto* style = new TOwnerDrawStyle;
    style->setParent(this);
    setStyle(style);
    // The items tile the menu and each paints all of its rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TOwnerDrawMenu::paintEvent(QPaintEvent* event)
{
    if (!OnDrawItem) {
        QMenu::paintEvent(event);
        return;
    }
    QPainter painter(this);
    for (QAction* item : actions()) {
        const QRect rect = actionGeometry(item);
        if (!item->isVisible() || rect.isEmpty() || !event->region().intersects(rect))
            continue;
        painter.save();
        OnDrawItem(item, painter, rect, item == activeAction());
        painter.restore();
    }
}
