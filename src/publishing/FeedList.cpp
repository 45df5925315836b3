#include "publishing/FeedList.h"

#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"
#include "platform/OneLine.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

constexpr int kLinesPerFeed = 7;

const char* const kBuiltInFeeds[] = {
    "http://www.orvanta.example.org/decoder/news.xml",
    "http://www.orvanta.example.org/daily/daily_apt_blog.xml",
    "http://groups.orvanta.example.net/geo-wx-images/rss.xml",
    "http://groups.orvanta.example.net/wx-sat-reports/rss.xml",
    "http://www.space-agency.example.gov/rss/breaking_news.rss",
    "http://www.space-agency.example.gov/rss/news.rss",
    "http://www.space-agency.example.gov/rss/shuttle_status.rss",
    "http://www.news-network.example.com/rss/topstories.rss",
};

const char kCommentBlock[] =
    "/*\n *\n * RSS Link information file.\n * File saved with %1 on %2.\n *\n * File format:\n *\n"
    " * [Version]\n * current version number\n *\n * [Feed-index]\n * url to feed\n * link to html\n"
    " * nr of stories told\n * document file name\n * last download time\n * image name\n"
    " * image last download time\n *\n */\n\n";

QString SectionHeader(int index)
{
    return QString("[Feed-%1]\n").arg(index);
}

// A channel link is taken from the document as it stands, line breaks and
// indentation included; the list holds it as one line without them.
QString OneLineLink(const QString& link)
{
    return AsOneLine(link).trimmed();
}

// The cached files of the feeds read so far: a name is taken only when it
// is a file directly in the cache folder and no feed took it before.
class TCacheNames {
public:
    explicit TCacheNames(const QString& cacheDir)
        : folder_(cacheDir.isEmpty() ? QString() : QDir::cleanPath(QDir(cacheDir).absolutePath()))
    {
    }

    // Empties name and its line, and says why in ignored, when name may not be taken.
    void Claim(const TFeedInfo& feed, QString& name, QString& line, QStringList* ignored)
    {
        if (name.isEmpty())
            return;
        QString reason;
        if (!InFolder(name))
            reason = "it is not a file of the feed cache folder " + (folder_.isEmpty() ? "(none set)" : folder_);
        else if (claimed_.contains(QDir::cleanPath(name)))
            reason = "another feed names it too";
        if (reason.isEmpty()) {
            claimed_.insert(QDir::cleanPath(name));
            return;
        }
        if (ignored)
            *ignored << QString("%1: cached file \"%2\" ignored and kept, as %3.").arg(feed.GetURL(), name, reason);
        name.clear();
        line.clear();
    }

private:
    bool InFolder(const QString& name) const
    {
        const QFileInfo info(name);
        const QString fileName = info.fileName();
        return !folder_.isEmpty() && info.isAbsolute() && !fileName.isEmpty() && fileName != "." &&
               fileName != ".." && QDir::cleanPath(info.absolutePath()) == folder_;
    }

    QString folder_;  // cleaned, absolute; "" when unknown
    QSet<QString> claimed_;
};

}  // namespace

bool ReadLinkLine(QIODevice& file, QByteArray& line)
{
    line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return !line.isEmpty();
}

int ReadFeedList(const QString& path, const QString& cacheDir, const TFeedReceiver& add, QStringList* ignored)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QBuffer text;
    text.setData(file.read(kFeedListMaxBytes));
    text.open(QIODevice::ReadOnly);
    QList<QByteArray> lines;
    for (QByteArray line; !text.atEnd();) {
        ReadLinkLine(text, line);
        lines << line;
    }
    // Each header's first line, so every section is found as from the top
    // of the file without reading it once per section.
    QHash<QByteArray, qsizetype> headers;
    for (qsizetype i = lines.size() - 1; i >= 0; --i)
        if (lines[i].startsWith("[Feed-"))
            headers.insert(lines[i], i);

    TCacheNames cacheNames(cacheDir);
    int count = 0;
    for (;;) {
        const auto header = headers.constFind(SectionHeader(count).trimmed().toUtf8());
        if (header == headers.constEnd())
            break;
        auto feed = std::make_unique<TFeedInfo>();
        QString* const fields[kLinesPerFeed] = {&feed->URL,     &feed->Link,      nullptr,
                                                &feed->DocFile, &feed->DocLastModified,
                                                &feed->ImageFile, &feed->ImageLastModified};
        for (int i = 0; i < kLinesPerFeed; ++i) {
            const QByteArray line = lines.value(header.value() + 1 + i);
            if (line.startsWith('['))
                break;  // the section was cut short by the next header
            if (fields[i])
                *fields[i] = fields[i] == &feed->Link ? OneLineLink(QString::fromUtf8(line))
                                                      : AsOneLine(QString::fromUtf8(line));
            else
                feed->Stories = static_cast<int>(cnum::ParseInt(std::string_view(line.constData(), line.size())));
        }
        cacheNames.Claim(*feed, feed->DocFile, feed->DocLastModified, ignored);
        cacheNames.Claim(*feed, feed->ImageFile, feed->ImageLastModified, ignored);
        add(std::move(feed));
        ++count;
    }
    return count;
}

void AddBuiltInFeeds(const TFeedReceiver& add)
{
    for (const char* url : kBuiltInFeeds) {
        auto feed = std::make_unique<TFeedInfo>();
        feed->URL = url;
        add(std::move(feed));
    }
}

QByteArray FormatFeedList(const QList<TFeedListEntry>& entries, const QString& programVersion,
                          const QString& savedAt)
{
    QString out = QString(kCommentBlock).arg(programVersion, savedAt);
    out += QString("[Version]\n%1\n").arg(kFeedListVersion);
    int section = 0;
    for (const TFeedListEntry& entry : entries) {
        if (entry.Text.isEmpty())
            continue;
        out += SectionHeader(section++);
        if (!entry.Feed) {
            out += AsOneLine(entry.Text) + "\n";
            continue;
        }
        const TFeedInfo& f = *entry.Feed;
        for (const QString& value : {AsOneLine(f.GetURL()), OneLineLink(f.GetLink()), QString::number(f.Stories),
                                     AsOneLine(f.DocFile),
                                     AsOneLine(f.DocLastModified), AsOneLine(f.ImageFile), AsOneLine(f.ImageLastModified)})
            out += value + "\n";
    }
    return out.toUtf8();
}

bool WriteFeedList(const QString& path, const QList<TFeedListEntry>& entries, const QString& programVersion,
                   QString& error)
{
    const QString savedAt = FormatDateTime("ddd, d mmm yyyy hh:nn:ss", NowLocal());
    return WriteFileAtomically(path, FormatFeedList(entries, programVersion, savedAt), error);
}
