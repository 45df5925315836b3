// The FTP client against vsftpd, started by each test on 127.0.0.1 with its
// own configuration: anonymous log-in with write rights below "pub" of a
// temporary root, passive and active data connections.
#include "net/FtpClient.h"
#include "peers/VsftpdServer.h"
#include "platform/Thread.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace peertest;

namespace {

// A client for this server, as the program's upload makes it.
void PrepareClient(TFtpClient& ftp, const VsftpdServer& server, bool passive = true)
{
    ftp.HostName = "127.0.0.1";
    ftp.Port = QString::number(server.Port());
    ftp.UserName = "anonymous";
    ftp.PassWord = "station@example.org";
    ftp.SetPassive(passive);
}

QByteArray RandomBytes(int count)
{
    QByteArray bytes(count, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return {};
    return f.fileName();
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(FtpVsftpd, LogInSucceedsAndARefusedUserKeepsTheConnection)
{
    VsftpdServer server;
    START_VSFTPD(server);
    TFtpClient ftp;
    PrepareClient(ftp, server);
    QStringList sent;
    ftp.OnCommand = [&](TCustomFtpCli*, QString& cmd) { sent << cmd.section(' ', 0, 0); };
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(sent, QStringList({"USER", "PASS"}));
    EXPECT_TRUE(ftp.GetConnected());
    ASSERT_TRUE(ftp.Pwd());
    EXPECT_EQ(ftp.CurrentDir(), "/");
    EXPECT_FALSE(ftp.Connect()) << "already connected";
    EXPECT_TRUE(ftp.Quit());
    EXPECT_FALSE(ftp.GetConnected());

    TFtpClient refused;
    PrepareClient(refused, server);
    refused.UserName = "bob";  // the server takes anonymous users only
    EXPECT_FALSE(refused.Connect());
    EXPECT_TRUE(refused.ErrorMessage().startsWith("530")) << refused.ErrorMessage().toStdString();
    EXPECT_TRUE(refused.GetConnected()) << "a refused log-in leaves the connection usable";
    EXPECT_TRUE(refused.Quit());
}

TEST(FtpVsftpd, UserAnsweredWith230SendsNeitherPasswordNorAccount)
{
    VsftpdServer server;
    START_VSFTPD(server, {.loginWithoutPassword = true});
    TFtpClient ftp;
    PrepareClient(ftp, server);
    QStringList sent;
    ftp.OnCommand = [&](TCustomFtpCli*, QString& cmd) { sent << cmd.section(' ', 0, 0); };
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(sent, QStringList({"USER"}));
    EXPECT_TRUE(ftp.Pwd()) << "the session works";
    ftp.Quit();
}

TEST(FtpVsftpd, PassiveUploadsStoreFilesByteForByte)
{
    VsftpdServer server;
    START_VSFTPD(server);
    QTemporaryDir local;
    const QByteArray image = RandomBytes(300 * 1024 + 17);  // many blocks and a short last one
    TFtpClient ftp;
    PrepareClient(ftp, server);
    long long lastProgress = 0;
    ftp.OnProgress = [&](TCustomFtpCli*, int count, bool&) { lastProgress = count; };
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();

    // Folders as the upload makes them: made once, refused the second time.
    ftp.HostFileName = "/pub/daily";
    ASSERT_TRUE(ftp.Mkd()) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(ftp.CurrentDir(), "/pub/daily");
    EXPECT_FALSE(ftp.Mkd());
    EXPECT_TRUE(ftp.ErrorMessage().startsWith("550 ")) << ftp.ErrorMessage().toStdString();
    ftp.HostDirName = "/pub/daily";
    ASSERT_TRUE(ftp.Cwd()) << "the connection goes on after a refusal";

    struct Case {
        const char* name;
        QByteArray content;
        bool binary;
    };
    const Case cases[] = {
        {"image.bin", image, true},
        {"empty.bin", QByteArray(), true},
        {"index.html", QByteArray("<html>\n<p>pass</p>\n</html>\n"), false},
    };
    for (const auto& c : cases) {
        ftp.SetBinary(c.binary);
        ASSERT_TRUE(ftp.TypeSet()) << c.name;
        ftp.HostFileName = c.name;
        ftp.SetLocalFileName(WriteFile(local, c.name, c.content));
        ASSERT_TRUE(ftp.Put()) << c.name << ": " << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ReadFile(server.Pub() + "/daily/" + c.name), c.content) << c.name;
        EXPECT_EQ(ftp.ByteCount(), c.content.size()) << c.name;
    }
    EXPECT_EQ(lastProgress, 27) << "progress counts the bytes of the last upload";

    ftp.HostFileName = "missing.bin";
    ftp.SetLocalFileName(local.filePath("missing.bin"));
    EXPECT_FALSE(ftp.Put());
    EXPECT_EQ(ftp.ErrorMessage(), "426 Unable to open local file " + local.filePath("missing.bin"));
    EXPECT_TRUE(ftp.Quit());
}

// Downloads and listings, over passive and over active connections.
TEST(FtpVsftpd, DownloadsAndListingsInBothModes)
{
    VsftpdServer server;
    START_VSFTPD(server);
    QTemporaryDir local;
    const QByteArray remote = RandomBytes(50000);
    ASSERT_FALSE(WriteFile(local, "seed.bin", remote).isEmpty());
    ASSERT_TRUE(QFile::copy(local.filePath("seed.bin"), server.Pub() + "/pass.bin"));

    for (const bool passive : {true, false}) {
        const char* mode = passive ? "passive" : "active";
        TFtpClient ftp;
        PrepareClient(ftp, server, passive);
        ASSERT_TRUE(ftp.Connect()) << mode;
        ftp.HostDirName = "pub";
        ASSERT_TRUE(ftp.Cwd()) << mode;

        ftp.HostFileName = "pass.bin";
        ftp.SetLocalFileName(local.filePath("got.bin"));
        ASSERT_TRUE(ftp.Get()) << mode << ": " << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ReadFile(local.filePath("got.bin")), remote) << mode;

        const QByteArray upload = RandomBytes(20000);
        ftp.HostFileName = QString("up-%1.bin").arg(mode);
        ftp.SetLocalFileName(WriteFile(local, "up.bin", upload));
        ASSERT_TRUE(ftp.Put()) << mode << ": " << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ReadFile(server.Pub() + "/" + ftp.HostFileName), upload) << mode;

        QStringList lines;
        ftp.OnDisplayFile = [&](TCustomFtpCli*, QString& line) { lines << line; };
        ftp.DisplayFileFlag = true;
        ftp.HostFileName.clear();
        ASSERT_TRUE(ftp.Ls()) << mode << ": " << ftp.ErrorMessage().toStdString();
        lines.sort();
        const QStringList expected = passive ? QStringList{"pass.bin", "up-passive.bin"}
                                             : QStringList{"pass.bin", "up-active.bin", "up-passive.bin"};
        EXPECT_EQ(lines, expected) << mode;
        lines.clear();
        ftp.DisplayFileFlag = false;
        ftp.SetLocalFileName(local.filePath("list.txt"));
        ASSERT_TRUE(ftp.Dir()) << mode;
        const QByteArray listing = ReadFile(local.filePath("list.txt"));
        EXPECT_TRUE(listing.contains(" 50000 ") && listing.contains("pass.bin")) << listing.toStdString();

        ftp.HostFileName = "no-such.bin";
        ftp.SetLocalFileName(local.filePath("none.bin"));
        EXPECT_FALSE(ftp.Get()) << mode;
        EXPECT_TRUE(ftp.ErrorMessage().startsWith("550")) << ftp.ErrorMessage().toStdString();
        EXPECT_TRUE(ftp.Quit()) << mode;
    }
}

// The log writer's processing thread: the client is made, used and deleted
// on a worker thread that has no event loop of its own.
class UploadThread : public TThread {
public:
    UploadThread(const VsftpdServer& server, QString localFile) : TThread(true), server_(server), localFile_(std::move(localFile)) {}
    bool connected = false, stored = false, quit = false;
    QString error;

protected:
    void Execute() override
    {
        auto ftp = std::make_unique<TFtpClient>();
        PrepareClient(*ftp, server_);
        connected = ftp->Connect();
        ftp->HostFileName = "/pub/from-thread.bin";
        ftp->SetLocalFileName(localFile_);
        stored = connected && ftp->Put();
        error = ftp->ErrorMessage();
        quit = ftp->GetConnected() && ftp->Quit();
    }

private:
    const VsftpdServer& server_;
    QString localFile_;
};

TEST(FtpVsftpd, AWorkerThreadUploadsWithItsOwnClient)
{
    VsftpdServer server;
    START_VSFTPD(server);
    QTemporaryDir local;
    const QByteArray content = RandomBytes(64 * 1024);
    UploadThread thread(server, WriteFile(local, "t.bin", content));
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(thread.connected);
    EXPECT_TRUE(thread.stored) << thread.error.toStdString();
    EXPECT_TRUE(thread.quit);
    EXPECT_EQ(ReadFile(server.Pub() + "/from-thread.bin"), content);
}

}  // namespace
