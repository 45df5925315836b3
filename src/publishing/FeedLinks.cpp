#include "publishing/FeedLinks.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr char kDocumentDownload[] = "feed_download.tmp";
constexpr char kPictureDownload[] = "feed_picture";
constexpr int kLongestPictureExtension = 4;

}  // namespace

bool IsOpenableFeedLink(const QString& link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "ftp";
}

QString FeedDownloadPath(const QString& cacheFolder, const QString& url, bool picture)
{
    const QDir folder(cacheFolder);
    if (!picture)
        return folder.filePath(kDocumentDownload);
    const QString path = QUrl(url).path();
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    const int dot = static_cast<int>(name.lastIndexOf('.'));
    QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    static const QRegularExpression shortAlphanumeric(QString("^[A-Za-z0-9]{1,%1}$").arg(kLongestPictureExtension));
    if (!shortAlphanumeric.match(extension).hasMatch())
        extension.clear();
    return folder.filePath(extension.isEmpty() ? QString(kPictureDownload) : kPictureDownload + ("." + extension));
}

QList<TTextSpan> FindWebAddresses(const QString& text)
{
    // The schemes a reader expects to see as links; whether one may be
    // opened is decided when it is clicked.
    static const QRegularExpression address(
        R"((?<![A-Za-z0-9])(?:https?://|ftp://|file:|mailto:|news:)[^\s<>"]+)",
        QRegularExpression::CaseInsensitiveOption);
    QList<TTextSpan> spans;
    for (auto it = address.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        int length = static_cast<int>(match.capturedLength());
        const int start = static_cast<int>(match.capturedStart());
        while (length > 0 && QString(".,;:!?)]'").contains(text.at(start + length - 1)))
            --length;
        if (length > 0)
            spans.append({start, length});
    }
    return spans;
}
