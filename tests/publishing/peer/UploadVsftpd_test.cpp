// The daily log's upload against vsftpd on loopback: whole days arriving
// byte for byte, a refused file and a server that vanishes mid-upload
// leaving their names for a retry, and the automatic road from a recorded
// pass on the processing thread to the files on the server.
#include "AptTestHelpers.h"
#include "LogTestSupport.h"
#include "ThreadTestSupport.h"
#include "peers/VsftpdServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace logtest;
using namespace peertest;

namespace {

constexpr char kFtpDir[] = "/pub/html/apt/logs";

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
}

// Every file of the local daily log that an upload sends, relative to it.
QStringList UploadedFiles()
{
    QStringList files{"index.html", "daily_apt_blog.xml"};
    for (const QString& name : QDir(DailyDir() + "/images").entryList(QDir::Files, QDir::Name))
        files << "images/" + name << "images/thumbs/" + name;
    return files;
}

// The server's copy of every uploaded file equals the local one.
void ExpectOnServer(const VsftpdServer& server, const QStringList& files)
{
    const QString remote = server.Pub() + "/html/apt/logs/daily/";
    for (const QString& file : files)
        EXPECT_EQ(ReadBytes(remote + file), ReadBytes(DailyDir() + "/" + file)) << file.toStdString();
}

QStringList Texts(const QStringList& messages)
{
    QStringList texts;
    for (qsizetype i = 1; i < messages.size(); i += 3)
        texts << messages[i];
    return texts;
}

class UploadToVsftpd : public ::testing::Test {
protected:
    void SetUp() override { FillEngine(station.engine); }

    TLogSource Source(int pass, const VsftpdServer& server)
    {
        TLogSource source = station.Source(Noaa18Pass(pass));
        source.FtpPort = QString::number(server.Port());
        return source;
    }
    static TSetting ServerSettings(std::initializer_list<int> types, const QString& user = "anonymous")
    {
        TSetting settings = LogSettings(types);
        settings.Host = "127.0.0.1";
        settings.UserName = user;
        settings.Password = "station@example.org";
        settings.FTPDir = kFtpDir;
        return settings;
    }
    // One pass logged and uploaded; the logger is returned for its messages.
    std::unique_ptr<TLogger> LogAndUpload(const TSetting& settings, int pass, const VsftpdServer& server,
                                          bool expectSent)
    {
        auto logger = std::make_unique<TLogger>(settings, Source(pass, server), nullptr);
        EXPECT_TRUE(logger->WriteLog(true)) << logger->Messages.join('|').toStdString();
        EXPECT_EQ(logger->UploadLog(false), expectSent) << logger->Messages.join('|').toStdString();
        return logger;
    }
    QString uploadList() const { return DailyDir() + "/upload.txt"; }

    Station station;
    QTemporaryDir root;
};

TEST_F(UploadToVsftpd, ALoggedDayArrivesInTheDailyFolderWithWhatAnEarlierUploadMissed)
{
    VsftpdServer server(root.path());
    START_VSFTPD(server);

    // The first pass finds the log-in refused: its images wait.
    auto refused = LogAndUpload(ServerSettings({0, 2}, "bob"), 0, server, false);
    const QStringList refusal = Texts(refused->Messages);
    ASSERT_EQ(refusal.size(), 2) << refusal.join('|').toStdString();
    EXPECT_TRUE(refusal[0].startsWith("Failed to connect to 127.0.0.1 :530")) << refusal[0].toStdString();
    EXPECT_EQ(ReadText(uploadList()), "img_000.jpg\nimg_001.jpg\n");

    // The next one makes the folders from "/", sends its own files, then
    // the pending ones, the last listed first.
    auto second = LogAndUpload(ServerSettings({0, 2}), 1, server, true);
    EXPECT_EQ(Texts(second->Messages), QStringList({"NOAA 18 Daily log uploaded succesfully!"}));
    EXPECT_FALSE(QFile::exists(uploadList())) << "everything pending was sent";
    const QString daily = QString(kFtpDir) + "/daily/";
    QStringList expected{daily + "index.html", daily + "daily_apt_blog.xml"};
    for (const char* name : {"img_002.jpg", "img_003.jpg", "img_001.jpg", "img_000.jpg"})
        expected << daily + "images/" + name << daily + "images/thumbs/" + name;
    EXPECT_EQ(server.StoredPaths(), expected);

    auto third = LogAndUpload(ServerSettings({0, 2, 6}), 2, server, true);
    EXPECT_EQ(QDir(DailyDir() + "/images").entryList(QDir::Files).size(), 7);
    ExpectOnServer(server, UploadedFiles());
    const QString page = ReadBytes(server.Pub() + "/html/apt/logs/daily/index.html");
    EXPECT_EQ(page.count("<table class=\"thumb\""), 7) << "the page on the server shows the whole day";
}

TEST_F(UploadToVsftpd, ARefusedFileStaysListedUntilARetrySendsIt)
{
    VsftpdServer server(root.path());
    START_VSFTPD(server);
    LogAndUpload(ServerSettings({0}), 0, server, true);

    // The second product's thumbnail cannot be stored: a folder holds its name.
    const QString blocker = server.Pub() + "/html/apt/logs/daily/images/thumbs/img_002.jpg";
    ASSERT_TRUE(QDir().mkpath(blocker));
    auto logger = LogAndUpload(ServerSettings({0, 2, 6}), 1, server, false);
    const QStringList texts = Texts(logger->Messages);
    ASSERT_GE(texts.size(), 2) << texts.join('|').toStdString();
    EXPECT_EQ(texts[0], "Failed to send file " + DailyDir() + "/images/thumbs/img_002.jpg");
    EXPECT_TRUE(texts[1].startsWith("553")) << texts[1].toStdString();
    // From the product before the failed one (stored, sent again) to the last.
    EXPECT_EQ(ReadText(uploadList()), "img_001.jpg\nimg_002.jpg\nimg_003.jpg\n");
    EXPECT_FALSE(QFile::exists(server.Pub() + "/html/apt/logs/daily/images/img_003.jpg")) << "the first failure stops";

    TLogger stillRefused(ServerSettings({0}), Source(0, server), nullptr);
    EXPECT_FALSE(stillRefused.RetryUpload());
    EXPECT_EQ(ReadText(uploadList()), "img_002.jpg\nimg_003.jpg\n") << "what was sent leaves the list";

    ASSERT_TRUE(QDir(blocker).removeRecursively());
    TLogger retry(ServerSettings({0}), Source(0, server), nullptr);
    EXPECT_TRUE(retry.RetryUpload()) << retry.Messages.join('|').toStdString();
    EXPECT_FALSE(QFile::exists(uploadList()));
    EXPECT_EQ(retry.GetPendingUploadFile(false), QString());
    ExpectOnServer(server, UploadedFiles());
}

TEST_F(UploadToVsftpd, AServerThatVanishesMidFileLeavesItListedAndARetryCompletesIt)
{
    station.renderer.height = 800;  // images big enough to be caught in flight
    const QString local = DailyDir() + "/images/img_001.jpg";
    QString remote;
    {
        VsftpdServer server(root.path());
        START_VSFTPD(server, {.bytesPerSecond = 100000});
        remote = server.Pub() + "/html/apt/logs/daily/images/img_001.jpg";
        TLogger uploader(ServerSettings({0, 2, 6}), Source(0, server), nullptr);
        ASSERT_TRUE(uploader.WriteLog(true));
        ASSERT_GT(QFileInfo(local).size(), 40000);
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            // The server makes the file when the transfer starts.
            while (!done && !QFile::exists(remote))
                QThread::msleep(2);
            server.Vanish();
        });
        EXPECT_FALSE(uploader.UploadLog(false));
        done = true;
        watcher.join();
        const QStringList texts = Texts(uploader.Messages);
        ASSERT_GE(texts.size(), 1);
        EXPECT_EQ(texts[0], "Failed to send file " + DailyDir() + "/images/img_001.jpg") << texts.join('|').toStdString();
    }
    EXPECT_LT(QFileInfo(remote).size(), QFileInfo(local).size()) << "the server kept a cut-short file";
    EXPECT_EQ(ReadText(uploadList()), "img_000.jpg\nimg_001.jpg\nimg_002.jpg\n");

    VsftpdServer again(root.path());
    START_VSFTPD(again);
    TLogger retry(ServerSettings({0}), Source(0, again), nullptr);
    EXPECT_TRUE(retry.RetryUpload()) << retry.Messages.join('|').toStdString();
    EXPECT_FALSE(QFile::exists(uploadList()));
    ExpectOnServer(again, UploadedFiles());
}

// The automatic road: the processing thread decodes a recorded pass, logs it
// and uploads it with a client it makes, uses and deletes itself.
TEST_F(UploadToVsftpd, ARecordedPassIsDecodedLoggedAndUploadedByItsProcessingThread)
{
    using namespace threadtest;
    VsftpdServer server(root.path());
    START_VSFTPD(server);

    aptgen::PassSpec spec;
    spec.lines = 400;
    spec.frameOffset = 37;
    const QString path = apttest::WritePass(spec, "recorded.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    TAPT apt;
    ASSERT_TRUE(PrepareHandOver(apt, recording, 420));
    apt.SpacecraftModel = scNOAA18;
    RecordingDisplay display(apt);

    TLogSource source = Source(0, server);
    source.Engine = &apt;
    TAPTThreadSetup setup;
    setup.Engine = &apt;
    setup.Display = &display;
    setup.Settings = ServerSettings({0, 2});
    setup.Settings.LogModes = 0x8 | 0x10;  // daily log and upload
    setup.MakeLogger = MakeThreadLoggerFactory(source);
    TAPTThread thread(false, std::move(setup));
    thread.WaitFor();

    EXPECT_EQ(display.offGuiThread, 0);
    EXPECT_EQ(display.steps, std::vector<std::string>({"image", "gauge", "status Logging...Please wait!",
                                                       "status Uploading Log...Please wait!", "progress", "result"}));
    EXPECT_EQ(Texts(display.logLines), QStringList({"NOAA 18 Daily log uploaded succesfully!"}))
        << display.logLines.join('|').toStdString();
    EXPECT_EQ(UploadedFiles().size(), 6);
    ExpectOnServer(server, UploadedFiles());
    EXPECT_FALSE(QFile::exists(uploadList()));
}

}  // namespace
