#include "publishing/FeedList.h"

#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"
#include "shell/TextHelpers.h"

#include <QFile>

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

}  // namespace

bool ReadLinkLine(QIODevice& file, QString& line)
{
    line.clear();
    if (file.atEnd())
        return false;
    QByteArray bytes = file.readLine();
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromUtf8(bytes);
    return !line.isEmpty();
}

int ReadFeedList(const QString& path, const TFeedReceiver& add)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int count = 0;
    while (FindLineInFile(SectionHeader(count), &file, false)) {
        auto feed = std::make_unique<TFeedInfo>();
        QString* const fields[kLinesPerFeed] = {&feed->URL,     &feed->Link,      nullptr,
                                                &feed->DocFile, &feed->DocLastModified,
                                                &feed->ImageFile, &feed->ImageLastModified};
        QString line;
        for (int i = 0; i < kLinesPerFeed; ++i) {
            ReadLinkLine(file, line);
            if (line.startsWith('['))
                break;  // the section was cut short by the next header
            if (fields[i])
                *fields[i] = line;
            else
                feed->Stories = static_cast<int>(cnum::ParseInt(line));
        }
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
            out += entry.Text + "\n";
            continue;
        }
        const TFeedInfo& f = *entry.Feed;
        for (const QString& value : {f.GetURL(), f.GetLink(), QString::number(f.Stories), f.DocFile,
                                     f.DocLastModified, f.ImageFile, f.ImageLastModified})
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
