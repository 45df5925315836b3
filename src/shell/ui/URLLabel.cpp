#include "shell/ui/URLLabel.h"

#include "platform/ui/OpenDocument.h"

#include <QMouseEvent>

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::blue);
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

void TURLLabel::Click()
{
    emit OnClick();
    if (!text().isEmpty())
        OpenDocument(text());
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}
