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

QUrl AddressUrl(const QString& address)
{
    return QFileInfo::exists(address) ? QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath())
                                      : QUrl::fromUserInput(address);
}

}  // namespace

int MissingLocalFileResult(const QString& address)
{
    // The desktop's opener takes a missing file without complaint; its
    // window would only say so later, or not at all.
    const QUrl url = AddressUrl(address);
    if (!url.isLocalFile())
        return 0;
    const QFileInfo file(url.toLocalFile());
    if (file.exists())
        return 0;
    return file.dir().exists() ? kFileNotFound : kPathNotFound;
}

int OpenDocumentResult(const QString& address)
{
    if (const int missing = MissingLocalFileResult(address))
        return missing;
    const QUrl url = AddressUrl(address);
    if (!url.isValid())
        return kFileNotFound;
    return QDesktopServices::openUrl(url) ? kOpened : kNoAssociation;
}
