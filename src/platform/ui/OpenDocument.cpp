#include "platform/ui/OpenDocument.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool OpenDocument(const QString& address)
{
    const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath())
                                                : QUrl::fromUserInput(address);
    return url.isValid() && QDesktopServices::openUrl(url);
}
