// The pending-upload list, the remote paths, and the uploads that fail
// before any server takes a file (no log-in data, nobody listening).
#include "LogTestSupport.h"
#include "publishing/PendingUploads.h"
#include "publishing/RemotePaths.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace logtest;

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// A loopback port that refuses connections: bound once, never listened on.
int ClosedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

QStringList Texts(const QStringList& messages)
{
    QStringList texts;
    for (qsizetype i = 1; i < messages.size(); i += 3)
        texts << messages[i];
    return texts;
}

}  // namespace

TEST(PendingList, ReadsNamesOnceInFileOrderAndShrinksToNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("upload.txt");
    QStringList names;
    QString error;
    ASSERT_TRUE(pending::ReadPendingList(path, names, error)) << "a missing list is empty";
    EXPECT_TRUE(names.isEmpty());

    WriteBytes(path, "img_002.jpg\r\n\r\nimg_000.jpg\nimg_002.jpg\n\nimg_001.jpg");
    ASSERT_TRUE(pending::ReadPendingList(path, names, error));
    EXPECT_EQ(names, QStringList({"img_002.jpg", "img_000.jpg", "img_001.jpg"}));

    ASSERT_TRUE(pending::AppendPendingNames(path, {"img_001.jpg", "img_003.jpg", "img_003.jpg"}, error));
    EXPECT_EQ(ReadText(path), "img_002.jpg\nimg_000.jpg\nimg_001.jpg\nimg_003.jpg\n");

    ASSERT_TRUE(pending::WritePendingList(path, {"img_003.jpg"}, error));
    EXPECT_EQ(ReadText(path), "img_003.jpg\n");
    ASSERT_TRUE(pending::WritePendingList(path, {}, error));
    EXPECT_FALSE(QFile::exists(path)) << "an empty list is no file";

    QDir().mkpath(path);  // a folder where the list belongs
    EXPECT_FALSE(pending::AppendPendingNames(path, {"img_004.jpg"}, error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
}

TEST(PendingList, OnlyPlainFileNamesAreTakenAndAListTooLargeIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("upload.txt");
    WriteBytes(path, "img_000.jpg\n../../../home/user/.ssh/id_rsa\n/etc/passwd\n..\nsub\\img.jpg\nimg_001.jpg\n");
    QStringList names, refused;
    QString error;
    ASSERT_TRUE(pending::ReadPendingList(path, names, error, &refused));
    EXPECT_EQ(names, QStringList({"img_000.jpg", "img_001.jpg"}));
    EXPECT_EQ(refused, QStringList({"../../../home/user/.ssh/id_rsa", "/etc/passwd", "..", "sub\\img.jpg"}));

    refused.clear();
    ASSERT_TRUE(pending::AppendPendingNames(path, {"img_002.jpg"}, error, &refused));
    EXPECT_EQ(refused.size(), 4);
    EXPECT_EQ(ReadText(path), "img_000.jpg\nimg_001.jpg\nimg_002.jpg\n") << "what names no image is not kept";

    WriteBytes(path, QByteArray(pending::kMaxPendingListBytes + 1, 'a'));
    EXPECT_FALSE(pending::ReadPendingList(path, names, error));
    EXPECT_TRUE(error.contains(path) && error.contains("larger than")) << error.toStdString();
}

TEST(RemotePaths, PartsAreJoinedWithExactlyOneSlash)
{
    struct Case {
        const char* start;
        const char* ftpDir;
        const char* daily;
    };
    const Case cases[] = {
        {"/", "/html/apt/logs", "/html/apt/logs/daily"},
        {"/home/station", "/html/apt/logs", "/home/station/html/apt/logs/daily"},
        {"/home/station/", "html//apt/logs/", "/home/station/html/apt/logs/daily"},
        {"/", "", "/daily"},
        {"", "logs", "logs/daily"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(remotepath::DailyDir(c.start, c.ftpDir), c.daily) << c.start << " + " << c.ftpDir;
    EXPECT_EQ(remotepath::Join("/html/daily", {"images/thumbs", "/img_000.jpg"}), "/html/daily/images/thumbs/img_000.jpg");
}

class UploadWithoutServer : public ::testing::Test {
protected:
    void SetUp() override { FillEngine(station.engine); }

    // A logged run, ready to upload to the given server settings.
    std::unique_ptr<TLogger> LoggedRun(const TSetting& settings, int pass = 0)
    {
        auto logger = std::make_unique<TLogger>(settings, Source(Noaa18Pass(pass)), nullptr);
        EXPECT_TRUE(logger->WriteLog(true)) << logger->Messages.join('|').toStdString();
        return logger;
    }
    TLogSource Source(const TSat& pass)
    {
        TLogSource source = station.Source(pass);
        source.FtpPort = QString::number(port);
        return source;
    }
    static TSetting ServerSettings(std::initializer_list<int> types)
    {
        TSetting settings = LogSettings(types);
        settings.Host = "127.0.0.1";
        settings.UserName = "station";
        settings.Password = "secret";
        return settings;
    }
    QString uploadList() const { return DailyDir() + "/upload.txt"; }

    Station station;
    int port = ClosedPort();
};

TEST_F(UploadWithoutServer, ANewUsersEmptyServerSaysWhatToFill)
{
    TSetting settings = LogSettings({0});
    settings.Host.clear();
    settings.UserName.clear();
    settings.Password.clear();
    auto logger = LoggedRun(settings);
    EXPECT_FALSE(logger->UploadLog(false));
    EXPECT_EQ(Texts(logger->Messages),
              QStringList({"Missing hostname, username or password",
                           "Fill \"Hostname:\", \"Username:\", \"Password:\" in Settings > General settings..., "
                           "page \"General\", tab \"FTP-Server\"."}));
}

TEST_F(UploadWithoutServer, MissingLogInDataSendsNothingAndKeepsTheRunsImages)
{
    TSetting settings = ServerSettings({0, 2});
    settings.Password.clear();
    auto logger = LoggedRun(settings);
    QStringList shown;
    logger->OnMessages = [&](const QStringList& lines) { shown << lines; };
    EXPECT_FALSE(logger->UploadLog(false));
    EXPECT_EQ(Texts(logger->Messages),
              QStringList({"Missing hostname, username or password",
                           "Fill \"Password:\" in Settings > General settings..., page \"General\", tab "
                           "\"FTP-Server\".",
                           "Failed to connect to 127.0.0.1"}));
    EXPECT_EQ(shown, logger->Messages);
    EXPECT_EQ(ReadText(uploadList()), "img_000.jpg\nimg_001.jpg\n");
    EXPECT_EQ(logger->GetPendingUploadFile(false), uploadList());
    EXPECT_FALSE(logger->IsBusy());

    // The next pass of the day fails too: its names follow, none twice.
    auto next = LoggedRun(settings, 1);
    EXPECT_FALSE(next->UploadLog(false));
    EXPECT_EQ(ReadText(uploadList()), "img_000.jpg\nimg_001.jpg\nimg_002.jpg\nimg_003.jpg\n");

    EXPECT_EQ(next->GetPendingUploadFile(true), QString());
    EXPECT_FALSE(QFile::exists(uploadList()));
    EXPECT_EQ(next->GetPendingUploadFile(false), QString());
}

TEST_F(UploadWithoutServer, AnUnreachableServerLeavesTheListAsItWas)
{
    auto logger = LoggedRun(ServerSettings({0, 2}));
    EXPECT_FALSE(logger->UploadLog(false));
    QStringList texts = Texts(logger->Messages);
    ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
    EXPECT_TRUE(texts[0].startsWith("Failed to connect to 127.0.0.1 :")) << texts[0].toStdString();
    EXPECT_EQ(texts[1], "Failed to connect to 127.0.0.1");
    const QString listed = ReadText(uploadList());
    EXPECT_EQ(listed, "img_000.jpg\nimg_001.jpg\n");

    TLogger retry(ServerSettings({0}), Source(Noaa18Pass(0)), nullptr);
    EXPECT_FALSE(retry.RetryUpload());
    EXPECT_EQ(ReadText(uploadList()), listed);

    // A line naming a file elsewhere is said and never taken for an image.
    WriteBytes(uploadList(), listed.toUtf8() + "../../../secret.txt\n");
    EXPECT_FALSE(retry.RetryUpload());
    EXPECT_EQ(Texts(retry.Messages).value(0), "Not an image of the daily log, not uploaded: ../../../secret.txt");
    EXPECT_EQ(ReadText(uploadList()), listed);

    // "Upload all files" sends only images that have their thumbnail; what
    // it could not send becomes the list.
    QFile::remove(DailyDir() + "/images/thumbs/img_000.jpg");
    TLogger all(ServerSettings({0}), Source(Noaa18Pass(0)), nullptr);
    EXPECT_FALSE(all.UploadAllFiles());
    EXPECT_EQ(ReadText(uploadList()), "img_001.jpg\n");
}

TEST_F(UploadWithoutServer, NothingToSendIsSaidAndAnUnwritableListIsReported)
{
    TLogger idle(ServerSettings({0}), Source(Noaa18Pass(0)), nullptr);
    EXPECT_FALSE(idle.UploadLog(false));
    EXPECT_EQ(Texts(idle.Messages), QStringList({"Nothing to log..."}));
    EXPECT_FALSE(idle.RetryUpload());
    EXPECT_EQ(Texts(idle.Messages), QStringList({"Nothing to upload"}));
    EXPECT_FALSE(idle.UploadAllFiles());
    EXPECT_EQ(Texts(idle.Messages), QStringList({"Nothing to upload"}));

    TSetting settings = ServerSettings({0, 2});
    settings.UserName.clear();
    auto logger = LoggedRun(settings);
    QDir().mkpath(uploadList());  // a folder where the list belongs
    EXPECT_FALSE(logger->UploadLog(false));
    const QStringList texts = Texts(logger->Messages);
    ASSERT_EQ(texts.size(), 4) << texts.join('|').toStdString();
    EXPECT_TRUE(texts[3].startsWith("Failed to keep the images img_000.jpg, img_001.jpg for a later upload: "))
        << texts[3].toStdString();
    EXPECT_TRUE(texts[3].contains(uploadList())) << texts[3].toStdString();
}
