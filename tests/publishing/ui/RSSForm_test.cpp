// The feed reader offscreen, without a network: the list it starts with and
// saves, a cached feed shown with its picture, links, the tree commands and
// the picture put into the text.
#include "RSSFormTestSupport.h"

#include "publishing/FeedList.h"
#include "publishing/ui/RSSMemo.h"
#include "publishing/ui/RSSOleImage.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/LogForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace rsstest;

namespace {

const char kNoCache[] = "Last-Modified: N/A";

// The first character's format of each paragraph: alignment and bullet.
QStringList ParagraphStyles(const TRSSForm& reader)
{
    QStringList styles;
    for (QTextBlock block = reader.memo->document()->begin(); block.isValid(); block = block.next())
        styles << QString(block.blockFormat().alignment() & Qt::AlignHCenter ? "centre" : "left") +
                      (block.textList() ? "+bullet" : "");
    return styles;
}

// A server on loopback that takes connections (the system's backlog does)
// and never answers; after it is gone, its port refuses.
struct SilentServer {
    SilentServer()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(fd, 4) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd); }
    QString Url(const char* path, const char* user = "") const
    {
        return QString("http://") + user + QString("127.0.0.1:%1%2").arg(port).arg(path);
    }
    int fd = -1;
    int port = 0;
};

}  // namespace

TEST(RSSForm, FetchAllReportsAServerThatNeverAnswersOnceAndParsesNothing)
{
    SilentServer silent;
    ASSERT_NE(silent.port, 0);
    const Folders folders = MakeFolders();
    // The feed's password is never shown.
    const QString url = silent.Url("/feed.xml", "reader:secret@");
    ASSERT_TRUE(WriteFile(QDir(folders.Config).filePath(kFeedListFileName), ListFile({{url}})));
    auto reader = MakeReader();
    // Hidden feeds are skipped by Fetch all: the silent one is the only one.
    for (int i = 1; i < reader->tw->topLevelItemCount(); ++i)
        reader->tw->topLevelItem(i)->setHidden(true);
    reader->HttpCli->IdleTimeoutMs = 500;
    ModalCatcher boxes;
    reader->Fetchall1Click();
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Captions.join('|').toStdString();
    const QStringList lines = MemoLines(*reader);
    ASSERT_EQ(lines.size(), 3) << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], "Download failed !");
    EXPECT_EQ(lines[1], "URL: " + silent.Url("/feed.xml", "reader@"));
    EXPECT_TRUE(lines[2].startsWith("Reason: No answer from 127.0.0.1")) << lines[2].toStdString();
    EXPECT_TRUE(reader->RecordOf(reader->tw->topLevelItem(0))->DocFile.isEmpty());
    EXPECT_TRUE(QDir(folders.Cache).entryList(QDir::Files).isEmpty()) << "nothing kept of what never came";
}

TEST(RSSForm, OneFeedInTheListStartsWithNineAndCloseRenumbersThem)
{
    const Folders folders = MakeFolders();
    const QString list = QDir(folders.Config).filePath(kFeedListFileName);
    ASSERT_TRUE(WriteFile(list, "junk before\n" + ListSection(0, {"http://own.example.org/feed.xml", "", "3"})));
    auto reader = MakeReader();
    const QStringList urls = TopLevelTexts(*reader);
    ASSERT_EQ(urls.size(), 9) << "the one feed read and the eight built-in ones";
    EXPECT_EQ(urls.first(), "http://own.example.org/feed.xml");
    EXPECT_EQ(ChildTexts(reader->tw->topLevelItem(0)),
              QStringList({QString("Link: ") + kPlaceholderFeedLink, "Stories: 3", kNoCache}));
    EXPECT_EQ(reader->twGetImageIndex(reader->tw->topLevelItem(0)), 0) << "not cached: new";
    EXPECT_EQ(reader->twGetImageIndex(reader->tw->topLevelItem(0)->child(0)), 2);

    reader->AddFeedToolButtonClick();
    reader->show();
    reader->close();
    const QByteArray saved = ReadFile(list);
    EXPECT_TRUE(saved.contains("[Feed-9]\n" + QByteArray(kPlaceholderFeedURL) + "\n")) << "the added feed";
    EXPECT_FALSE(saved.contains("[Feed-10]"));
    EXPECT_TRUE(saved.contains("[Feed-0]\nhttp://own.example.org/feed.xml\n" + QByteArray(kPlaceholderFeedLink) +
                               "\n3\n"));
}

TEST(RSSForm, CachedFeedIsShownWithItsPictureOnTop)
{
    const Folders folders = MakeFolders();
    const QString doc = folders.Cache + "/201210_101010_001.xml";
    const QString picture = folders.Cache + "/201210_101010_002.png";
    ASSERT_TRUE(WriteFile(doc, Rss2Feed("Station log", "http://station.example.org/logo.png")));
    ASSERT_TRUE(WriteFile(picture, PngPicture(40, 20)));
    const QString line = "Last-Modified: Thu, 10 Dec 2020 10:10:10 GMT";
    ASSERT_TRUE(WriteFile(QDir(folders.Config).filePath(kFeedListFileName),
                          ListFile({{"http://one.example.org/feed.xml", "", "0", doc, line, picture, line},
                                    {"http://two.example.org/feed.xml"}})));
    auto reader = MakeReader();
    ASSERT_EQ(TopLevelTexts(*reader).size(), 2);
    EXPECT_EQ(reader->twGetImageIndex(reader->tw->topLevelItem(0)), 1) << "cached when loaded: read";

    reader->tw->setCurrentItem(reader->tw->topLevelItem(0));
    const QStringList expected = {
        QString(QChar::ObjectReplacementCharacter),  // the picture, in the reader's empty first line
        "Station log",
        "http://station.example.org/",
        "Description: Passes of the day",
        "",
        "Title: NOAA 19 at 10:04",
        "Link: http://station.example.org/n19.html",
        "Description: <b>Clear</b> sky, see http://station.example.org/map.",
        "",
        "Title: NOAA 18 at 11:40",
    };
    EXPECT_EQ(MemoLines(*reader), expected) << "HTML of a feed shows as text";
    EXPECT_EQ(ParagraphStyles(*reader),
              QStringList({"centre", "centre", "centre", "centre", "left+bullet", "left+bullet", "left+bullet",
                           "left+bullet", "left+bullet", "left+bullet"}));
    const QTextBlock second = reader->memo->document()->findBlockByNumber(4);
    const QTextBlock fourth = reader->memo->document()->findBlockByNumber(8);
    EXPECT_NE(second.textList(), fourth.textList()) << "each item starts a list of its own";

    const TFeedInfo* feed = reader->Feed;
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->Stories, 2);
    EXPECT_EQ(feed->Flags & (TFeedInfo::Valid | TFeedInfo::Read | TFeedInfo::ImageKnown),
              TFeedInfo::Valid | TFeedInfo::Read | TFeedInfo::ImageKnown);
    EXPECT_EQ(ChildTexts(reader->tw->topLevelItem(0)),
              QStringList({"Link: http://station.example.org/", "Stories: 2", line}));
    EXPECT_EQ(reader->tw->currentItem(), reader->tw->topLevelItem(0)) << "the node stays selected";

    // The picture is a copy inside the document, of the file's size.
    QTextCursor atPicture(reader->memo->document());
    atPicture.setPosition(1);
    const QTextImageFormat format = atPicture.charFormat().toImageFormat();
    ASSERT_TRUE(format.isValid());
    const QImage shown =
        reader->memo->document()->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    EXPECT_EQ(shown.size(), QSize(40, 20));

    reader->Clearfeedfromcache1Click();
    EXPECT_FALSE(QFile::exists(doc));
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_EQ(reader->tw->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(reader->tw->topLevelItem(0)->text(0), "http://one.example.org/feed.xml") << "still subscribed";
    EXPECT_EQ(reader->twGetImageIndex(reader->tw->topLevelItem(0)), 0);
    EXPECT_TRUE(MemoLines(*reader).join("").isEmpty());
}

TEST(RSSForm, LinksOpenOnlyForWebAndFtpAddresses)
{
    MakeFolders();
    auto reader = MakeReader();
    const auto opened = RecordLinks(*reader);
    reader->resize(758, 547);
    reader->show();
    reader->memo->ClearLines();
    reader->memo->AppendLine("web: http://station.example.org/a and local: file:/etc/hosts end");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(reader.get()));
    const QString text = reader->memo->toPlainText();
    for (const QString& link : {QString("http://station.example.org/a"), QString("file:/etc/hosts")}) {
        QTextCursor cursor(reader->memo->document());
        cursor.setPosition(static_cast<int>(text.indexOf(link)) + 3);
        const QPoint at = reader->memo->cursorRect(cursor).center();
        QTest::mouseClick(reader->memo->viewport(), Qt::LeftButton, {}, at);
    }
    EXPECT_EQ(*opened, QStringList({"http://station.example.org/a"})) << "the file: link is refused";
    EXPECT_TRUE(reader->StatusBar->currentMessage().contains("file:/etc/hosts"));

    // The tree's "Link: " line opens the channel link under the same rule.
    const struct {
        const char* link;
        bool opens;
    } cases[] = {{"https://station.example.org/", true}, {"javascript:alert(1)", false}, {"/etc/passwd", false}};
    QTreeWidgetItem* node = reader->tw->topLevelItem(0);
    for (const auto& c : cases) {
        opened->clear();
        reader->RecordOf(node)->Link = c.link;
        reader->tw->setCurrentItem(node->child(0));
        reader->twDblClick(node->child(0));
        EXPECT_EQ(opened->size(), c.opens ? 1 : 0) << c.link;
    }
}

TEST(RSSForm, NeverDownloadedFeedAndDeletingTheSelectedOne)
{
    MakeFolders();
    auto reader = MakeReader();
    ASSERT_EQ(TopLevelTexts(*reader).size(), 8) << "no list: the built-in feeds";
    reader->tw->setCurrentItem(reader->tw->topLevelItem(2));
    EXPECT_EQ(MemoLines(*reader), QStringList({"The feed has not yet been downloaded!"}));

    const QString next = reader->tw->topLevelItem(3)->text(0);
    ModalCatcher boxes;
    reader->DelFeedToolButtonClick();
    EXPECT_EQ(TopLevelTexts(*reader).size(), 7);
    ASSERT_NE(reader->tw->currentItem(), nullptr);
    EXPECT_EQ(reader->tw->currentItem()->text(0), next) << "the tree selects the next feed";
    EXPECT_TRUE(boxes.Captions.isEmpty()) << "a document that never came is not parsed: "
                                          << boxes.Captions.join('|').toStdString();
    EXPECT_EQ(MemoLines(*reader), QStringList({"The feed has not yet been downloaded!"}));
}

TEST(RSSForm, FailedSaveIsReportedAndTheOldListKept)
{
    const Folders folders = MakeFolders();
    const QString list = QDir(folders.Config).filePath(kFeedListFileName);
    const QByteArray old = ListFile({{"http://one.example.org/a.xml"}, {"http://two.example.org/b.xml"}});
    ASSERT_TRUE(WriteFile(list, old));
    auto reader = MakeReader();
    reader->AddFeedToolButtonClick();
    // A folder where the temporary file would go: the write cannot start.
    ASSERT_TRUE(QDir().mkpath(list + ".tmp"));
    ModalCatcher boxes;
    reader->show();
    reader->close();
    EXPECT_EQ(ReadFile(list), old);
    ASSERT_EQ(boxes.Captions, QStringList({"Error: Unable to save the feed list!"}));
    EXPECT_TRUE(boxes.Texts.first().contains(list)) << boxes.Texts.first().toStdString();
}

TEST(RSSForm, EditedUrlBecomesTheFeedsUrl)
{
    MakeFolders();
    auto reader = MakeReader();
    reader->AddFeedToolButtonClick();
    QTreeWidgetItem* node = reader->tw->currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), kPlaceholderFeedURL);
    EXPECT_TRUE(reader->RecordOf(node)->URL.isEmpty()) << "not edited yet";
    EXPECT_FALSE(reader->twEditing(node->child(0))) << "child lines are not edited";

    node->setText(0, "http://new.example.org/feed.rss");
    reader->twEdited(node);
    EXPECT_EQ(reader->RecordOf(node)->URL, "http://new.example.org/feed.rss");
    node->setText(0, "   ");
    reader->twEdited(node);
    EXPECT_EQ(node->text(0), kPlaceholderFeedURL);
    EXPECT_EQ(reader->RecordOf(node)->URL, kPlaceholderFeedURL);
}

TEST(RSSForm, PictureIsACopyAtTheCaret)
{
    TFeedMemo memo;
    memo.AppendLine("first");
    TOLEImage none(nullptr);
    QImage bitmap(8, 4, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    EXPECT_FALSE(none.Insert(bitmap)) << "no text control";
    TOLEImage image(&memo);
    EXPECT_FALSE(image.Insert(QImage())) << "no picture";
    EXPECT_EQ(memo.toPlainText(), "first");

    memo.moveCursor(QTextCursor::Start);
    ASSERT_TRUE(image.Insert(bitmap));
    bitmap.fill(Qt::red);  // the caller's bitmap changes afterwards
    QTextCursor cursor(memo.document());
    cursor.setPosition(1);
    const QString name = cursor.charFormat().toImageFormat().name();
    ASSERT_FALSE(name.isEmpty()) << "the picture stands before the first line";
    const QImage kept = memo.document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
    EXPECT_EQ(kept.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(memo.toPlainText(), QString(QChar::ObjectReplacementCharacter) + "first");

    image.Clear(true);
    EXPECT_FALSE(image.Insert(bitmap)) << "released";
}

TEST(RSSForm, TreeKeepsAUsableWidthAndShowsEachFeedsTitle)
{
    const Folders folders = MakeFolders();
    const QString doc = folders.Cache + "/201210_101010_001.xml";
    ASSERT_TRUE(WriteFile(doc, Rss2Feed("Station log", "")));
    ASSERT_TRUE(WriteFile(QDir(folders.Config).filePath(kFeedListFileName),
                          ListFile({{"http://one.example.org/feed.xml", "", "0", doc},
                                    {"http://two.example.org/feed.xml"}})));
    // Dragged to 48 px and saved so in an earlier run.
    WriteRegistryString("APT\\RSS", QString(), "1");
    WriteRegistryString("APT\\RSS", "twWidth", "48");
    auto reader = MakeReader();
    reader->resize(758, 547);
    reader->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(reader.get()));
    EXPECT_GE(reader->tw->width(), kMinTreeWidth) << "a saved width below the minimum is not restored";
    reader->Splitter1->setSizes({48, 758 - 48});
    EXPECT_GE(reader->tw->width(), kMinTreeWidth) << "nor can the tree be dragged that narrow";

    const QAbstractItemModel* model = reader->tw->model();
    EXPECT_EQ(TRSSForm::NodeCaption(model->index(0, 0)), "Station log") << "the cached feed's title, from the start";
    EXPECT_EQ(TRSSForm::NodeCaption(model->index(1, 0)), "http://two.example.org/feed.xml")
        << "a feed never downloaded shows its URL";
    EXPECT_EQ(TRSSForm::NodeCaption(model->index(0, 0, model->index(0, 0))), "Link: " + QString(kPlaceholderFeedLink));
    EXPECT_EQ(reader->tw->topLevelItem(0)->text(0), "http://one.example.org/feed.xml") << "the URL stays the text";

    // Edited to another URL, the node forgets the old feed's title.
    QTreeWidgetItem* node = reader->tw->topLevelItem(0);
    node->setText(0, "http://three.example.org/feed.xml");
    reader->twEdited(node);
    EXPECT_EQ(TRSSForm::NodeCaption(model->index(0, 0)), "http://three.example.org/feed.xml");

    reader->close();
    reader.reset();
    EXPECT_GE(ReadRegistryString("APT\\RSS", "twWidth").toInt(), kMinTreeWidth);
}

TEST(RSSForm, ACachedNameOutsideTheCacheIsLoggedAndNeverDeleted)
{
    const Folders folders = MakeFolders();
    const QString precious = testenv::ProgramDir() + "precious.xml";
    ASSERT_TRUE(WriteFile(precious, Rss2Feed("Not a cache file", "")));
    const QString line = "Last-Modified: Thu, 10 Dec 2020 10:10:10 GMT";
    ASSERT_TRUE(WriteFile(QDir(folders.Config).filePath(kFeedListFileName),
                          ListFile({{"http://one.example.org/feed.xml", "", "0", precious, line, precious, line},
                                    {"http://two.example.org/feed.xml", "", "0", folders.Cache + "/../../precious.xml"}})));
    QWidget host;
    TLogForm log(&host);
    auto reader = MakeReader();
    const QString logged = log.Lines().join("\n");
    EXPECT_TRUE(logged.contains("Feed list: cached files ignored")) << logged.toStdString();
    EXPECT_TRUE(logged.contains("http://one.example.org/feed.xml: cached file \"" + precious + "\" ignored"))
        << logged.toStdString();
    EXPECT_EQ(ChildTexts(reader->tw->topLevelItem(0)).value(2), kNoCache) << "its date is dropped with it";

    ModalCatcher boxes;  // the next feed shown after a delete has nothing to parse
    for (int i = 0; i < 2; ++i) {
        reader->tw->setCurrentItem(reader->tw->topLevelItem(0));
        reader->Clearfeedfromcache1Click();
        reader->DelFeedToolButtonClick();
    }
    EXPECT_TRUE(reader->tw->topLevelItemCount() == 0);
    EXPECT_TRUE(QFile::exists(precious)) << "clearing and deleting the feeds never reaches it";
}
