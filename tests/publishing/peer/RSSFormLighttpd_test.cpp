// The feed reader fetching from lighttpd, started by each test on 127.0.0.1
// with its own configuration, and from a scripted slow peer: a feed and its
// picture cached under time-stamped names, an unchanged feed kept and
// marked read, failures reported, a document that is no feed dropped, a
// broken picture left out, and Delete and Close while a download pumps.
#include "peers/LighttpdServer.h"
#include "publishing/FeedList.h"
#include "publishing/ui/RSSMemo.h"
#include "support/LoopbackPeer.h"
#include "support/ModalCatcher.h"
#include "ui/RSSFormTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace peertest;
using namespace rsstest;

namespace {

const QDateTime kModified(QDate(2020, 12, 10), QTime(10, 10, 10), Qt::UTC);
const char kModifiedLine[] = "Last-Modified: Thu, 10 Dec 2020 10:10:10 GMT";
const QString kPicture = QString(QChar::ObjectReplacementCharacter);

QStringList CacheFiles(const Folders& folders)
{
    return QDir(folders.Cache).entryList(QDir::Files, QDir::Name);
}

bool IsCacheName(const QString& path, const QString& extension)
{
    static const QRegularExpression name(R"(^\d{6}_\d{6}_\d{3}(\.\w+)?$)");
    const QString file = QFileInfo(path).fileName();
    return name.match(file).hasMatch() && file.endsWith(extension);
}

// Starts lighttpd and writes the list of the given feeds (paths on it).
std::unique_ptr<TRSSForm> ReaderOn(const LighttpdServer& server, const Folders& folders, const QStringList& paths)
{
    QList<QStringList> feeds;
    for (const QString& path : paths)
        feeds.append({path.startsWith("http") ? path : server.Url(path)});
    WriteFile(QDir(folders.Config).filePath(kFeedListFileName), ListFile(feeds));
    return MakeReader();
}

void Select(TRSSForm& reader, int index)
{
    reader.tw->setCurrentItem(reader.tw->topLevelItem(index));
}

}  // namespace

TEST(RSSFormLighttpd, FetchCachesFeedAndPictureThenAnUnchangedFeedIsKeptAndRead)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/feeds/log.xml", Rss2Feed("Station log", server.Url("/img/logo.png")), kModified));
    ASSERT_TRUE(server.Put("/img/logo.png", PngPicture(40, 20), kModified));
    ASSERT_TRUE(server.Put("/feeds/second.xml", Rss2Feed("Second", ""), kModified));
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {"/feeds/log.xml", "/feeds/second.xml"});

    Select(*reader, 0);
    reader->DownloadFeedClick();
    const QStringList lines = MemoLines(*reader);
    ASSERT_GE(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.mid(0, 3), QStringList({kPicture, "Station log", "http://station.example.org/"}));
    TFeedInfo* feed = reader->RecordOf(reader->tw->topLevelItem(0));
    EXPECT_TRUE(IsCacheName(feed->DocFile, ".xml")) << feed->DocFile.toStdString();
    EXPECT_TRUE(IsCacheName(feed->ImageFile, ".png")) << feed->ImageFile.toStdString();
    EXPECT_EQ(feed->DocLastModified, kModifiedLine);
    EXPECT_EQ(CacheFiles(folders).size(), 2) << "the two cache files, no download left: "
                                             << CacheFiles(folders).join(' ').toStdString();
    EXPECT_EQ(ChildTexts(reader->tw->topLevelItem(0)),
              QStringList({"Link: http://station.example.org/", "Stories: 2", kModifiedLine}));
    EXPECT_EQ(reader->twGetImageIndex(reader->tw->topLevelItem(0)), 1);

    const QString cachedDoc = feed->DocFile;
    const QString cachedPicture = feed->ImageFile;
    reader->Fetchall1Click();
    EXPECT_EQ(feed->DocFile, cachedDoc) << "304: the cached document stays";
    EXPECT_EQ(feed->ImageFile, cachedPicture);
    EXPECT_TRUE(QFileInfo::exists(cachedDoc));
    EXPECT_TRUE(feed->Flags & TFeedInfo::Read) << "unchanged since it was read";
    EXPECT_EQ(ChildTexts(reader->tw->topLevelItem(0)),
              QStringList({"Link: http://station.example.org/", "Stories: 0", kModifiedLine}))
        << "Fetch all only scans";
    EXPECT_EQ(MemoLines(*reader).value(1), "Second") << "the last feed is shown";
    EXPECT_EQ(CacheFiles(folders).size(), 3);
}

TEST(RSSFormLighttpd, FailedDownloadsSayWhatAndWhyAndKeepTheCache)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/feeds/log.xml", Rss2Feed("Station log", ""), kModified));
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {"/feeds/log.xml", "/feeds/other.xml"});
    Select(*reader, 0);
    reader->DownloadFeedClick();
    TFeedInfo* feed = reader->RecordOf(reader->tw->topLevelItem(0));
    const QString cached = feed->DocFile;
    ASSERT_TRUE(QFileInfo::exists(cached));

    const QString urls[] = {server.Url("/feeds/missing.xml"),
                            QString("http://127.0.0.1:%1/feed.xml").arg(nettest::UnusedPort())};
    for (const QString& url : urls) {
        feed->URL = url;
        reader->DownloadFeedClick();
        const QStringList lines = MemoLines(*reader);
        ASSERT_EQ(lines.size(), 3) << url.toStdString() << ": " << lines.join('|').toStdString();
        EXPECT_EQ(lines[0], "Download failed !");
        EXPECT_EQ(lines[1], "URL: " + url);
        EXPECT_GT(lines[2].size(), QString("Reason: ").size()) << lines[2].toStdString();
        EXPECT_EQ(feed->DocFile, cached);
        EXPECT_TRUE(QFileInfo::exists(cached));
        EXPECT_EQ(CacheFiles(folders), QStringList({QFileInfo(cached).fileName()})) << "no error page kept";
    }
}

TEST(RSSFormLighttpd, FetchAllGoesOnAfterAFailedFeed)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/feeds/log.xml", Rss2Feed("Station log", ""), kModified));
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {"/feeds/missing.xml", "/feeds/log.xml"});
    reader->Fetchall1Click();
    EXPECT_TRUE(reader->RecordOf(reader->tw->topLevelItem(0))->DocFile.isEmpty());
    const TFeedInfo* fetched = reader->RecordOf(reader->tw->topLevelItem(1));
    EXPECT_TRUE(IsCacheName(fetched->DocFile, ".xml")) << fetched->DocFile.toStdString();
    EXPECT_EQ(MemoLines(*reader).value(1), "Station log");
    EXPECT_TRUE(reader->ToolBar1->isEnabled() && reader->ReceiveToolButton->isEnabled()) << "enabled again";
}

TEST(RSSFormLighttpd, DocumentThatIsNoFeedIsDroppedAndABrokenPictureLeftOut)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/atom.xml", "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                                        "<title>Atom</title></feed>\n"));
    ASSERT_TRUE(server.Put("/broken.xml", Rss2Feed("Broken picture", server.Url("/img/broken.png"))));
    ASSERT_TRUE(server.Put("/img/broken.png", "this is no picture"));
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {"/atom.xml", "/broken.xml"});

    ModalCatcher boxes;
    Select(*reader, 0);
    reader->DownloadFeedClick();
    EXPECT_EQ(boxes.Captions, QStringList({"Error: Invalid document type!"}));
    EXPECT_EQ(MemoLines(*reader).mid(1), QStringList({"", "Invalid RSS Feed!", "URL: " + server.Url("/atom.xml")}));
    EXPECT_TRUE(reader->RecordOf(reader->tw->topLevelItem(0))->DocFile.isEmpty());
    EXPECT_TRUE(CacheFiles(folders).isEmpty()) << CacheFiles(folders).join(' ').toStdString();

    Select(*reader, 1);
    reader->DownloadFeedClick();
    const TFeedInfo* feed = reader->RecordOf(reader->tw->topLevelItem(1));
    EXPECT_EQ(MemoLines(*reader).mid(0, 2), QStringList({"", "Broken picture"})) << "shown without picture";
    EXPECT_TRUE(feed->ImageFile.isEmpty());
    EXPECT_FALSE(feed->Flags & TFeedInfo::ImageKnown);
    EXPECT_EQ(CacheFiles(folders), QStringList({QFileInfo(feed->DocFile).fileName()})) << "the picture is deleted";
    EXPECT_EQ(boxes.Captions.size(), 1) << "a broken picture shows no box";
}

namespace {

// Sends the header and half of a feed, then waits for release (at most
// 20 s) before the rest.
class SlowFeedPeer {
public:
    explicit SlowFeedPeer(int sessions = 1)
        : peer_([this](int fd) { Serve(fd); }, sessions)
    {
    }
    ~SlowFeedPeer() { Release(); }
    QString Url() const { return QString("http://127.0.0.1:%1/slow.xml").arg(peer_.Port()); }
    void Release() { released_ = true; }
    bool Waiting() const { return waiting_; }

private:
    void Serve(int fd)
    {
        nettest::ReadUntil(fd, "\r\n\r\n");
        const QByteArray body = Rss2Feed("Slow feed", "");
        nettest::WriteAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\n\r\n" + body.left(body.size() / 2));
        waiting_ = true;
        for (int i = 0; i < 2000 && !released_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        nettest::WriteAll(fd, body.mid(body.size() / 2));
    }

    std::atomic<bool> released_{false};
    std::atomic<bool> waiting_{false};
    nettest::TcpPeer peer_;
};

// Runs act once the peer holds the download half-way.
void WhenHalfWay(QObject* owner, const SlowFeedPeer& peer, std::function<void()> act)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, &peer, act] {
        if (!peer.Waiting())
            return;
        timer->stop();
        timer->deleteLater();
        act();
    });
    timer->start();
}

}  // namespace

TEST(RSSFormLighttpd, DeleteDuringAFetchWaitsForItsEnd)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/second.xml", Rss2Feed("Second", ""), kModified));
    SlowFeedPeer slow;
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {slow.Url(), "/second.xml"});
    Select(*reader, 0);
    QStringList seenDuring;
    WhenHalfWay(reader.get(), slow, [&] {
        reader->DelFeedToolButtonClick();
        reader->AddFeedToolButtonClick();
        seenDuring = TopLevelTexts(*reader);
        slow.Release();
    });
    reader->DownloadFeedClick();
    EXPECT_EQ(seenDuring, QStringList({server.Url("/second.xml"), kPlaceholderFeedURL})) << "hidden at once";
    EXPECT_EQ(TopLevelTexts(*reader), QStringList({server.Url("/second.xml"), kPlaceholderFeedURL}));
    EXPECT_EQ(reader->tw->topLevelItemCount(), 2) << "deleted once the fetch was over";
    EXPECT_TRUE(CacheFiles(folders).isEmpty()) << "the deleted feed's document went with it: "
                                               << CacheFiles(folders).join(' ').toStdString();
    EXPECT_EQ(reader->Feed, nullptr);
}

TEST(RSSFormLighttpd, ClosingDuringFetchAllEndsItAndSavesTheList)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/second.xml", Rss2Feed("Second", ""), kModified));
    SlowFeedPeer slow;
    const Folders folders = MakeFolders();
    auto reader = ReaderOn(server, folders, {slow.Url(), "/second.xml"});
    reader->show();
    WhenHalfWay(reader.get(), slow, [&] { reader->close(); });
    reader->Fetchall1Click();  // the peer is released only afterwards
    slow.Release();
    EXPECT_FALSE(reader->isVisible());
    EXPECT_EQ(MemoLines(*reader).value(0), "Download failed !") << "the download was aborted";
    EXPECT_TRUE(reader->RecordOf(reader->tw->topLevelItem(1))->DocFile.isEmpty()) << "the next feed was not fetched";
    EXPECT_TRUE(CacheFiles(folders).isEmpty());
    const QByteArray saved = ReadFile(QDir(folders.Config).filePath(kFeedListFileName));
    EXPECT_TRUE(saved.contains("[Feed-0]\n" + slow.Url().toUtf8() + "\n"));
    EXPECT_TRUE(saved.contains("[Feed-1]\n" + server.Url("/second.xml").toUtf8() + "\n"));
}
