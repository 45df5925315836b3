#include "publishing/FeedInfo.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTime>

namespace {

// Length of "Last-Modified: Www, DD Mon YYYY HH:MM:SS GMT" less the zone.
constexpr int kShortestLine = 44;
constexpr int kHeaderLength = 15;  // "Last-Modified: "
constexpr int kNameRetryMs = 50;

void RemoveIfNamed(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

TDateTime ToDateTime(const QDateTime& utc)
{
    return UnixEpochDateTime + utc.toMSecsSinceEpoch() / 86400000.0;
}

}  // namespace

void TFeedInfo::Clear()
{
    ClearChannel();
    ClearFiles();
}

void TFeedInfo::ClearChannel()
{
    Link.clear();
    Title.clear();
    ImageURL.clear();
    ImageTitle.clear();
    Stories = 0;
    Flags = 0;
}

void TFeedInfo::ClearFiles()
{
    URL.clear();
    DocFile.clear();
    DocLastModified.clear();
    ImageFile.clear();
    ImageLastModified.clear();
}

bool TFeedInfo::IsValid(int setFlag)
{
    const bool valid = !Link.isEmpty() && !Title.isEmpty();
    if (valid && (setFlag & 1))
        Flags |= Valid;
    return valid;
}

void TFeedInfo::ClearCache()
{
    RemoveIfNamed(DocFile);
    RemoveIfNamed(ImageFile);
    ClearChannel();
    DocFile.clear();
    DocLastModified.clear();
    ImageFile.clear();
    ImageLastModified.clear();
}

bool TFeedInfo::CheckCache()
{
    bool cached = false;
    if (!DocFile.isEmpty() && QFileInfo::exists(DocFile)) {
        cached = true;
        if (DocLastModified.isEmpty())
            DocLastModified = FileLastModified(DocFile);
    } else {
        DocFile.clear();
        DocLastModified.clear();
    }
    if (!ImageFile.isEmpty() && QFileInfo::exists(ImageFile)) {
        if (ImageLastModified.isEmpty())
            ImageLastModified = FileLastModified(ImageFile);
    } else {
        Flags &= ~ImageKnown;
        ImageFile.clear();
        ImageLastModified.clear();
    }
    return cached;
}

QString TFeedInfo::GetURL() const
{
    return URL.isEmpty() ? QString(kPlaceholderFeedURL) : URL;
}

QString TFeedInfo::GetLink() const
{
    return Link.isEmpty() ? QString(kPlaceholderFeedLink) : Link;
}

QString TFeedInfo::GetLastModified() const
{
    if (!DocLastModified.isEmpty())
        return DocLastModified;
    const QString made = FileLastModified(DocFile);
    return made.isEmpty() ? QStringLiteral("Last-Modified: N/A") : made;
}

QString TFeedInfo::FileLastModified(const QString& fileName)
{
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return {};
    const QDateTime modified = QFileInfo(fileName).lastModified().toUTC();
    const TDateTime utc = modified.isValid() ? ToDateTime(modified) : NowUTC();
    return "Last-Modified: " + FormatRFC822Date(utc);
}

void TFeedInfo::CacheFile(const QString& downloadedFile, int kind)
{
    if (!(kind & (DocumentKind | ImageKind)) || downloadedFile.isEmpty() || !QFileInfo::exists(downloadedFile))
        return;
    const QFileInfo download(downloadedFile);
    const QString folder = download.absolutePath() + "/";
    QString extension = ".xml";
    if (!(kind & DocumentKind)) {
        const QString name = download.fileName();
        const int dot = name.lastIndexOf('.');
        extension = dot < 0 ? QString() : name.mid(dot);
    }
    QString cacheName;
    for (;;) {
        const TDateTime now = NowLocal();
        cacheName = folder + FormatDateTime("yymmdd_hhnnss", now) + "_" +
                    QString::number(DecodeDateTime(now).MilliSecond).rightJustified(3, '0') + extension;
        if (!QFileInfo::exists(cacheName))
            break;
        QThread::msleep(kNameRetryMs);
    }
    QFile::remove(cacheName);
    if (!QFile::copy(downloadedFile, cacheName))
        return;
    QString& file = (kind & DocumentKind) ? DocFile : ImageFile;
    QString& line = (kind & DocumentKind) ? DocLastModified : ImageLastModified;
    if (line.isEmpty())
        line = FileLastModified(downloadedFile);
    // Only a file of the cache folder is the record's to delete.
    if (!file.isEmpty() && QDir::cleanPath(QFileInfo(file).absolutePath()) == QDir::cleanPath(download.absolutePath()))
        QFile::remove(file);
    file = cacheName;
    QFile::remove(downloadedFile);
}

TDateTime TFeedInfo::GetModifiedSince(const QString& line)
{
    if (line.size() < kShortestLine)
        return 0;
    // Fixed positions of "Www, DD Mon YYYY HH:MM:SS GMT".
    const QString date = line.mid(kHeaderLength);
    const int day = date.mid(5, 2).toInt();
    const int monthPosition = QString(MonthAbbreviations).indexOf(date.mid(8, 3));
    const int month = monthPosition < 0 ? 1 : monthPosition / 3 + 1;
    bool yearOk = false;
    const int year = date.mid(12, 4).toInt(&yearOk);
    const QTime time = QTime::fromString(date.mid(17, 8), "HH:mm:ss");
    if (!yearOk || !QDate::isValid(year, month, day) || !time.isValid())
        return 0;
    return EncodeDateTime(year, month, day, time.hour(), time.minute(), time.second());
}
