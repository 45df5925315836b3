#include "platform/ui/OpenDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

constexpr int kOpened = 33;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kNoAssociation = 31;

}  // namespace

int OpenDocumentResult(const QString& address)
{
    const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath())
                                                : QUrl::fromUserInput(address);
    if (url.isLocalFile()) {
        // The desktop's opener takes a missing file without complaint; its
        // window would only say so later, or not at all.
        const QFileInfo file(url.toLocalFile());
        if (!file.exists())
            return file.dir().exists() ? kFileNotFound : kPathNotFound;
    }
    if (!url.isValid())
        return kFileNotFound;
    return QDesktopServices::openUrl(url) ? kOpened : kNoAssociation;
}
