#include "publishing/ui/RSSOleImage.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

bool TOLEImage::Insert(const QImage& bitmap)
{
    if (!RichEdit || bitmap.isNull())
        return false;
    const QUrl name(QString("feed-picture:%1").arg(++inserted_));
    // A deep copy: the document's picture never shares pixels with the caller's.
    RichEdit->document()->addResource(QTextDocument::ImageResource, name, bitmap.copy());
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(bitmap.width());
    format.setHeight(bitmap.height());
    QTextCursor cursor = RichEdit->textCursor();
    cursor.insertImage(format);
    return true;
}

void TOLEImage::Clear(bool releaseOle)
{
    if (releaseOle)
        RichEdit = nullptr;
}
