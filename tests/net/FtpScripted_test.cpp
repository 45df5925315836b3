// The FTP client against scripted servers on loopback, for what a real
// server rarely does: odd greetings and replies, a server that goes silent
// or away, unusable passive replies, transfer replies before or after the
// data connection's close, and transfers cut short.
#include "net/FtpClient.h"
#include "support/LoopbackPeer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace nettest;

namespace {

// --- the scripted server's side (blocking, on the peer's thread) ----------------

void Say(int fd, const QByteArray& line) { WriteAll(fd, line + "\r\n"); }
QByteArray Hear(int fd) { return ReadUntil(fd, "\r\n").trimmed(); }

// Greeting and a log-in with password.
void Greet(int fd)
{
    Say(fd, "220 scripted");
    Hear(fd);  // USER
    Say(fd, "331 password please");
    Hear(fd);  // PASS
    Say(fd, "230 in");
}

// A listening data socket on 127.0.0.1 (receive buffer small, so a slow
// reader really slows the sender down).
struct DataPort {
    int listenFd = -1;
    int port = 0;
    explicit DataPort(int receiveBuffer = 0)
    {
        listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0)
            ::setsockopt(listenFd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listenFd, 1);
        socklen_t len = sizeof a;
        ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~DataPort() { ::close(listenFd); }
    // "227 ... (h1,h2,h3,h4,p1,p2)" naming this port at the given address.
    QByteArray Reply(const QByteArray& address = "127,0,0,1") const
    {
        return "227 Entering Passive Mode (" + address + "," + QByteArray::number(port >> 8) + "," +
               QByteArray::number(port & 0xFF) + ").";
    }
    int Accept() const { return ::accept(listenFd, nullptr, nullptr); }
};

// The commands a session heard, for the test's thread to look at.
struct Heard {
    std::mutex mutex;
    QList<QByteArray> lines;
    QByteArray Next(int fd)
    {
        const QByteArray line = Hear(fd);
        std::lock_guard lock(mutex);
        lines << line;
        return line;
    }
    QList<QByteArray> Verbs()
    {
        std::lock_guard lock(mutex);
        QList<QByteArray> verbs;
        for (const auto& l : lines)
            verbs << l.split(' ').first();
        return verbs;
    }
};

// --- the client's side ----------------------------------------------------------------

void Prepare(TFtpClient& ftp, const TcpPeer& peer)
{
    ftp.HostName = "127.0.0.1";
    ftp.Port = QString::number(peer.Port());
    ftp.UserName = "station";
    ftp.PassWord = "secret";
    ftp.SetPassive(true);
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return f.fileName();
}

TEST(FtpScripted, RepliesAreReadLineByLineAndJudgedByTheirFinalLine)
{
    TcpPeer peer([](int fd) {
        Say(fd, "220-first line\r\n220-second line\r\n220 last line");
        Hear(fd);  // USER
        Say(fd, "230 in at once");
        Hear(fd);  // PWD
        Say(fd, "257 \"/a \"\"q\"\" dir\" is the current directory");
        Hear(fd);  // CWD
        WriteAll(fd, "250-two replies\r\n250 in one write\r\n");
        Hear(fd);  // MKD
        Say(fd, "550-Cannot make it:\r\n550 Permission denied.");
        Hear(fd);  // QUIT
        Say(fd, "221 bye");
    });
    TFtpClient ftp;
    Prepare(ftp, peer);
    QStringList shown;
    ftp.OnDisplay = [&](TCustomFtpCli*, QString& msg) { shown << msg; };
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(shown.mid(0, 3), QStringList({"< 220-first line", "< 220-second line", "< 220 last line"}));
    EXPECT_FALSE(shown.contains("> PASS secret")) << "230 to USER: no password";

    ASSERT_TRUE(ftp.Pwd());
    EXPECT_EQ(ftp.CurrentDir(), "/a \"q\" dir");
    ftp.HostDirName = "sub";
    ASSERT_TRUE(ftp.Cwd());
    EXPECT_EQ(ftp.CurrentDir(), "") << "a reply without a quoted folder";
    EXPECT_EQ(ftp.AllResponses(), "250-two replies\r\n250 in one write\r\n");

    ftp.HostFileName = "x";
    EXPECT_FALSE(ftp.Mkd());
    EXPECT_EQ(ftp.ErrorMessage(), "550 Permission denied.");
    EXPECT_EQ(ftp.AllResponses(), "550-Cannot make it:\r\n550 Permission denied.\r\n");
    EXPECT_TRUE(ftp.Quit());
    EXPECT_FALSE(ftp.GetConnected());
}

TEST(FtpScripted, LogInEdgeCases)
{
    struct Case {
        const char* name;
        QByteArray greeting, toUser, toPass, toAcct;
        QString account;
        bool ok;
        QString error;  // its beginning
        QList<QByteArray> verbs;
    };
    const Case cases[] = {
        {"greeting 421 closes", "421 Too many users", "", "", "", "", false, "421 Too many users", {}},
        {"user refused", "220 hi", "530 Not for you", "", "", "", false, "530 Not for you", {"USER"}},
        {"password refused", "220 hi", "331 pw", "530 Login incorrect.", "", "", false, "530 Login incorrect.", {"USER", "PASS"}},
        {"account asked and given", "220 hi", "331 pw", "332 Account?", "230 ok", "acc", true, "", {"USER", "PASS", "ACCT"}},
        {"account asked, none to give", "220 hi", "331 pw", "332 Account?", "", "", false, "426 Account empty!", {"USER", "PASS"}},
    };
    for (const auto& c : cases) {
        Heard heard;
        TcpPeer peer([&](int fd) {
            Say(fd, c.greeting);
            for (const QByteArray& answer : {c.toUser, c.toPass, c.toAcct}) {
                if (answer.isEmpty())
                    break;
                heard.Next(fd);
                Say(fd, answer);
            }
            ReadToEnd(fd);
        });
        TFtpClient ftp;
        Prepare(ftp, peer);
        ftp.Account = c.account;
        EXPECT_EQ(ftp.Connect(), c.ok) << c.name;
        EXPECT_TRUE(c.error.isEmpty() ? ftp.ErrorMessage().isEmpty() : ftp.ErrorMessage().startsWith(c.error))
            << c.name << ": " << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ftp.State(), ftpReady) << c.name;
        PumpFor(50);  // nothing more is sent
        EXPECT_EQ(heard.Verbs(), c.verbs) << c.name;
        if (c.greeting.startsWith("421")) {
            EXPECT_FALSE(ftp.GetConnected()) << c.name;
        }
        ftp.Abort();
    }
}

TEST(FtpScripted, ASilentServerEndsTheCallAfterTheTimeout)
{
    TcpPeer peer([](int fd) {
        Say(fd, "220 hi");
        ReadToEnd(fd);  // hears USER, never answers
    });
    TFtpClient ftp;
    Prepare(ftp, peer);
    ftp.Timeout = 1;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(ftp.Connect());
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(ftp.ErrorMessage(), "426 Timeout");
    EXPECT_EQ(ftp.StatusCode(), 426);
    EXPECT_FALSE(ftp.GetConnected()) << "both connections aborted";
    EXPECT_FALSE(ftp.Pwd()) << "refused until connected again";
    EXPECT_EQ(ftp.ErrorMessage(), "426 Timeout");
}

TEST(FtpScripted, AServerThatNeverStopsTalkingStillEndsTheCallAtTheTimeout)
{
    // A greeting that never ends: continuation lines as fast as the client
    // takes them, until the client hangs up (or a minute has passed).
    std::atomic<bool> clientHungUp{false};
    TcpPeer peer([&clientHungUp](int fd) {
        const QByteArray lines = QByteArray("220-still greeting\r\n").repeated(200);
        QElapsedTimer flooding;
        flooding.start();
        while (flooding.elapsed() < 60000) {
            if (::send(fd, lines.constData(), size_t(lines.size()), MSG_NOSIGNAL) < 0) {
                clientHungUp = true;
                return;
            }
        }
    });
    TFtpClient ftp;
    Prepare(ftp, peer);
    ftp.Timeout = 1;
    EXPECT_FALSE(ftp.Connect());
    EXPECT_EQ(ftp.ErrorMessage(), "426 Timeout");
    EXPECT_FALSE(ftp.GetConnected());
    EXPECT_TRUE(PumpUntil([&] { return clientHungUp.load(); }, 30000))
        << "the call ended while the server was still sending";
}

TEST(FtpScripted, AControlConnectionClosedInARequestFailsIt)
{
    QTemporaryDir local;
    const QString file = WriteFile(local, "a.bin", QByteArray(200000, 'a'));
    for (const bool duringUpload : {false, true}) {
        TcpPeer peer([&](int fd) {
            Greet(fd);
            if (!duringUpload) {
                Hear(fd);  // PWD, never answered
                return;    // the session closes the connection
            }
            DataPort data;
            Hear(fd);  // PASV
            Say(fd, data.Reply());
            const int dataFd = data.Accept();
            Hear(fd);  // STOR
            Say(fd, "150 go");
            ReadExactly(dataFd, 1000);
            ::close(dataFd);
        });
        TFtpClient ftp;
        Prepare(ftp, peer);
        ASSERT_TRUE(ftp.Connect());
        ftp.HostFileName = "a.bin";
        ftp.SetLocalFileName(file);
        EXPECT_FALSE(duringUpload ? ftp.Put() : ftp.Pwd()) << "upload " << duringUpload;
        // Mid-upload the data connection's early close or the control
        // connection's may be seen first; either fails the upload.
        const QString error = ftp.ErrorMessage();
        EXPECT_TRUE(duringUpload ? error.startsWith("426 Data connection closed before") || error.startsWith("500 Control connection closed")
                                 : error.startsWith("500 Control connection closed"))
            << error.toStdString();
        EXPECT_FALSE(ftp.GetConnected());
    }
}

TEST(FtpScripted, PassiveRepliesGiveOnlyAPortOnTheControlPeer)
{
    QTemporaryDir local;
    const QByteArray content = "pass image bytes";
    const QString file = WriteFile(local, "a.bin", content);
    struct Case {
        const char* name;
        QByteArray address;  // what the 227 names; empty: a reply that cannot be used
        QByteArray reply;    // or a whole reply of its own
        bool ok;
    };
    const Case cases[] = {
        {"another host named: the control peer is used", "10,255,255,1", "", true},
        {"no numbers", "", "227 Entering Passive Mode (127,0,0,1,x,y).", false},
        {"numbers out of range", "", "227 Entering Passive Mode (127,0,0,1,300,1).", false},
        {"PASV answered 200", "", "200 No passive mode today", false},
    };
    for (const auto& c : cases) {
        Heard heard;
        QByteArray stored;
        TcpPeer peer([&](int fd) {
            Greet(fd);
            DataPort data;
            for (int transfer = 0; transfer < 2; ++transfer) {
                // A good transfer first, so an old 227 is there to be misused.
                const bool good = transfer == 0 || !c.address.isEmpty();
                if (heard.Next(fd) != "PASV")
                    return;
                Say(fd, good ? data.Reply(transfer == 0 ? "127,0,0,1" : c.address) : c.reply);
                if (!good)
                    continue;
                const int dataFd = data.Accept();
                heard.Next(fd);  // STOR
                Say(fd, "150 go");
                stored = ReadToEnd(dataFd);
                ::close(dataFd);
                Say(fd, "226 stored");
            }
            heard.Next(fd);
        });
        TFtpClient ftp;
        Prepare(ftp, peer);
        ASSERT_TRUE(ftp.Connect()) << c.name;
        ftp.HostFileName = "a.bin";
        ftp.SetLocalFileName(file);
        ASSERT_TRUE(ftp.Put()) << c.name << ": " << ftp.ErrorMessage().toStdString();
        stored.clear();
        EXPECT_EQ(ftp.Put(), c.ok) << c.name << ": " << ftp.ErrorMessage().toStdString();
        if (c.ok) {
            EXPECT_EQ(stored, content) << c.name;
        } else {
            EXPECT_TRUE(ftp.ErrorMessage().startsWith("426 ")) << c.name << ": " << ftp.ErrorMessage().toStdString();
            EXPECT_EQ(heard.Verbs().count("STOR"), 1) << c.name << ": no second STOR";
        }
        ftp.Quit();
    }
}

TEST(FtpScripted, ADownloadEndsOnceWhicheverOfReplyAndCloseComesFirst)
{
    QTemporaryDir local;
    const QByteArray content(10000, 'd');
    for (const bool replyFirst : {true, false}) {
        TcpPeer peer([&](int fd) {
            Greet(fd);
            DataPort data;
            Hear(fd);  // PASV
            Say(fd, data.Reply());
            const int dataFd = data.Accept();
            Hear(fd);  // RETR
            Say(fd, "150 here it comes");
            WriteAll(dataFd, content);
            if (replyFirst) {
                Say(fd, "226 sent");
                QThread::msleep(100);
                ::close(dataFd);
            } else {
                ::close(dataFd);
                QThread::msleep(100);
                Say(fd, "226 sent");
            }
            ReadToEnd(fd);
        });
        TFtpClient ftp;
        Prepare(ftp, peer);
        int done = 0;
        ftp.OnRequestDone = [&](TCustomFtpCli*, TFtpRequest rq, int) { done += rq == ftpGetAsync; };
        ASSERT_TRUE(ftp.Connect());
        ftp.HostFileName = "pass.bin";
        ftp.SetLocalFileName(local.filePath("got.bin"));
        ASSERT_TRUE(ftp.Get()) << "reply first " << replyFirst << ": " << ftp.ErrorMessage().toStdString();
        PumpFor(150);
        EXPECT_EQ(done, 1) << "reply first " << replyFirst;
        QFile got(local.filePath("got.bin"));
        ASSERT_TRUE(got.open(QIODevice::ReadOnly));
        EXPECT_EQ(got.readAll(), content) << "reply first " << replyFirst;
        ftp.Abort();
    }
}

// A stream that fails after its first bytes, as a disk read error would.
class FailingStream : public QBuffer {
public:
    explicit FailingStream(int failAfter) : failAfter_(failAfter) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (pos() >= failAfter_)
            return -1;
        return QBuffer::readData(data, maxSize);
    }

private:
    qint64 failAfter_;
};

// The server answers 226 whatever it got: the client must still know the
// file did not go out whole.
TEST(FtpScripted, AnUploadCutShortIsNeverReportedAsStored)
{
    struct Case {
        const char* name;
        int serverReadsBytes;  // then resets the data connection; -1: reads all
        bool failingStream;
        bool abortByProgress;
    };
    const Case cases[] = {
        {"the server resets the data connection", 3000, false, false},
        {"the local file cannot be read", -1, true, false},
        {"OnProgress aborts", -1, false, true},
    };
    // Far more than the kernel can hold for the connection (a send buffer of
    // at most 4 MB, a receive buffer of 4 kB): on a busy machine a smaller
    // file could be wholly queued before the server resets, and a sender
    // cannot learn that queued bytes were thrown away.
    const QByteArray content(16 << 20, 'u');
    for (const auto& c : cases) {
        TcpPeer peer([&](int fd) {
            Greet(fd);
            DataPort data(4096);
            Hear(fd);  // PASV
            Say(fd, data.Reply());
            const int dataFd = data.Accept();
            Hear(fd);  // STOR
            Say(fd, "150 go");
            if (c.serverReadsBytes >= 0) {
                ReadExactly(dataFd, c.serverReadsBytes);
                ResetConnection(dataFd);
            } else {
                ReadToEnd(dataFd);
            }
            ::close(dataFd);
            Say(fd, "226 stored, as far as I know");
            ReadToEnd(fd);
        });
        TFtpClient ftp;
        Prepare(ftp, peer);
        ASSERT_TRUE(ftp.Connect()) << c.name;
        FailingStream failing(5000);
        QBuffer whole;
        failing.setData(content);
        whole.setData(content);
        failing.open(QIODevice::ReadOnly);
        whole.open(QIODevice::ReadOnly);
        ftp.SetLocalStream(c.failingStream ? static_cast<QIODevice*>(&failing) : &whole);
        if (c.abortByProgress)
            ftp.OnProgress = [](TCustomFtpCli*, int count, bool& abort) { abort = count > 10000; };
        ftp.HostFileName = "a.bin";
        EXPECT_FALSE(ftp.Put()) << c.name;
        EXPECT_TRUE(ftp.ErrorMessage().startsWith("426 ")) << c.name << ": " << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ftp.RequestResult(), 426) << c.name;
        EXPECT_EQ(ftp.DataSocket()->State(), wsClosed) << c.name;
        ftp.Abort();
    }
}

TEST(FtpScripted, AnUploadThatKeepsMovingOutlastsTheTimeout)
{
    const QByteArray content(200000, 's');
    QByteArray stored;
    TcpPeer peer([&](int fd) {
        Greet(fd);
        DataPort data(4096);
        Hear(fd);  // PASV
        Say(fd, data.Reply());
        const int dataFd = data.Accept();
        Hear(fd);  // STOR
        Say(fd, "150 go");
        char buffer[8192];
        for (;;) {  // a slow reader: about 130 kB a second
            const ssize_t n = ::recv(dataFd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            stored.append(buffer, static_cast<int>(n));
            QThread::msleep(60);
        }
        ::close(dataFd);
        Say(fd, "226 stored");
        ReadToEnd(fd);
    });
    TFtpClient ftp;
    Prepare(ftp, peer);
    ftp.Timeout = 1;
    // A small send buffer keeps the client's blocks coming for as long as
    // the server reads, as on a slow line (loopback would take it all at once).
    ftp.DataSocket()->OnChangeState = [](TCustomWSocket* s, TSocketState, TSocketState to) {
        const int bytes = 4096;
        if (to == wsConnected)
            ::setsockopt(s->HSocket(), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    };
    ASSERT_TRUE(ftp.Connect());
    QBuffer source;
    source.setData(content);
    source.open(QIODevice::ReadOnly);
    ftp.SetLocalStream(&source);
    ftp.HostFileName = "slow.bin";
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(ftp.Put()) << ftp.ErrorMessage().toStdString();
    EXPECT_GT(timer.elapsed(), 1200) << "the upload took longer than the time-out";
    EXPECT_EQ(stored, content);
    ftp.Abort();
}

}  // namespace

namespace {

TEST(FtpScripted, RefusalsSendNothingAndKeepTheConnection)
{
    Heard heard;
    TcpPeer peer([&](int fd) {
        Greet(fd);
        heard.Next(fd);  // QUIT
        Say(fd, "221 bye");
    });
    DataPort busy;  // a port already taken
    TFtpClient ftp;
    Prepare(ftp, peer);
    ASSERT_TRUE(ftp.Connect());
    ftp.HostDirName.clear();
    EXPECT_FALSE(ftp.Cwd()) << "no folder to change to";
    EXPECT_TRUE(ftp.ErrorMessage().isEmpty()) << "a refusal leaves ErrorMessage as it was";

    ftp.SetPassive(false);
    ftp.SetDataPortRangeStart(busy.port);
    ftp.SetDataPortRangeEnd(busy.port);
    QStringList errors;
    ftp.OnError = [&](TCustomFtpCli*, QString& msg) { errors << msg; };
    ftp.HostFileName = "a.bin";
    ftp.SetLocalFileName("/dev/null");
    EXPECT_FALSE(ftp.Put()) << "a refused upload is no stored file";
    EXPECT_EQ(errors, QStringList({"All ports in DataPortRange are in use"}));
    ftp.SetDataPortRangeEnd(70000);
    EXPECT_EQ(ftp.DataPortRangeEnd(), static_cast<unsigned>(busy.port)) << "an impossible port is refused";
    EXPECT_EQ(errors.last(), "DataPortRangeEnd must be in the range 0..65535");

    EXPECT_TRUE(ftp.Quit());
    EXPECT_EQ(heard.Verbs(), QList<QByteArray>({"QUIT"})) << "nothing was sent for the refusals";
}

}  // namespace

namespace {

TEST(FtpScripted, ASizeReplyWithoutAUsableNumberFailsTheRequest)
{
    const QByteArray replies[] = {"213 99999999999999999999999", "213 none", "213 123456789012"};
    TcpPeer peer([&](int fd) {
        Greet(fd);
        for (const QByteArray& reply : replies) {
            Hear(fd);  // SIZE
            Say(fd, reply);
        }
        Hear(fd);  // QUIT
        Say(fd, "221 bye");
    });
    TFtpClient ftp;
    Prepare(ftp, peer);
    ASSERT_TRUE(ftp.Connect());
    ftp.HostFileName = "day.jpg";
    EXPECT_FALSE(ftp.Size()) << "a size past what the count holds";
    EXPECT_EQ(ftp.ErrorMessage().toStdString(), "426 Unusable SIZE reply: 213 99999999999999999999999");
    EXPECT_FALSE(ftp.Size()) << "no number at all";
    EXPECT_EQ(ftp.ErrorMessage().toStdString(), "426 Unusable SIZE reply: 213 none");
    EXPECT_TRUE(ftp.Size()) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(ftp.SizeResult(), 123456789012LL);
    EXPECT_TRUE(ftp.Quit());
}

}  // namespace
