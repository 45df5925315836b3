// The upload to a server whose log-in folder is a home folder, not "/": a
// small scripted FTP server on loopback (the vsftpd of the other tests
// chroots its users, so it always reports "/"). Folders and files must land
// below the same base, the reported folder joined with one "/".
//
//   <- 220    -> USER station <- 331   -> PASS ... <- 230
//   -> PWD    <- 257 "/home/station"
//   -> CWD /home/station/html/apt/logs/daily/images/thumbs <- 550
//   -> CWD /home/station/html <- 550   -> MKD /home/station/html <- 257 ...
//   -> TYPE A <- 200   -> PASV <- 227 (127,0,0,1,p1,p2)   -> STOR /home/station/... <- 150 ... 226
#include "LogTestSupport.h"
#include "support/LoopbackPeer.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

using namespace logtest;
using namespace nettest;

namespace {

class HomeFolderServer {
public:
    HomeFolderServer() : peer_([this](int fd) { Serve(fd); }, 2) {}
    int Port() const { return peer_.Port(); }

    QSet<QString> Folders() const
    {
        std::lock_guard lock(mutex_);
        return folders_;
    }
    QMap<QString, QByteArray> Files() const
    {
        std::lock_guard lock(mutex_);
        return files_;
    }

private:
    static int Listen(int& port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t size = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        ::listen(fd, 1);
        port = ntohs(a.sin_port);
        return fd;
    }

    void Serve(int fd)
    {
        QString cwd = "/home/station";
        int dataListener = -1;
        WriteAll(fd, "220 scripted server\r\n");
        for (;;) {
            const QString line = QString::fromUtf8(ReadUntil(fd, "\r\n")).trimmed();
            if (line.isEmpty())
                break;
            const QString verb = line.section(' ', 0, 0).toUpper();
            const QString arg = line.section(' ', 1);
            const QString path = QDir::cleanPath(arg.startsWith('/') ? arg : cwd + "/" + arg);
            std::unique_lock lock(mutex_);
            if (verb == "USER") {
                WriteAll(fd, "331 password please\r\n");
            } else if (verb == "PASS") {
                WriteAll(fd, "230 logged in\r\n");
            } else if (verb == "PWD") {
                WriteAll(fd, "257 \"" + cwd.toUtf8() + "\" is the current directory\r\n");
            } else if (verb == "CWD" && folders_.contains(path)) {
                cwd = path;
                WriteAll(fd, "250 ok\r\n");
            } else if (verb == "MKD" && folders_.contains(QFileInfo(path).path()) && !folders_.contains(path)) {
                folders_.insert(path);
                WriteAll(fd, "257 \"" + path.toUtf8() + "\" created\r\n");
            } else if (verb == "TYPE") {
                WriteAll(fd, "200 type set\r\n");
            } else if (verb == "PASV") {
                int port = 0;
                dataListener = Listen(port);
                WriteAll(fd, QString("227 Entering Passive Mode (127,0,0,1,%1,%2)\r\n").arg(port / 256).arg(port % 256).toUtf8());
            } else if (verb == "STOR" && dataListener >= 0 && folders_.contains(QFileInfo(path).path())) {
                lock.unlock();
                WriteAll(fd, "150 send it\r\n");
                const int data = ::accept(dataListener, nullptr, nullptr);
                const QByteArray content = ReadToEnd(data);
                ::close(data);
                ::close(dataListener);
                dataListener = -1;
                lock.lock();
                files_[path] = content;
                WriteAll(fd, "226 stored\r\n");
            } else if (verb == "QUIT") {
                WriteAll(fd, "221 bye\r\n");
                break;
            } else {
                if (verb == "STOR" && dataListener >= 0) {
                    ::close(dataListener);
                    dataListener = -1;
                }
                WriteAll(fd, "550 " + verb.toUtf8() + " refused\r\n");
            }
        }
        if (dataListener >= 0)
            ::close(dataListener);
    }

    mutable std::mutex mutex_;
    QSet<QString> folders_{"/", "/home", "/home/station"};
    QMap<QString, QByteArray> files_;
    TcpPeer peer_;  // last: its sessions use the members above
};

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(UploadToHomeFolder, FoldersAndFilesShareTheLogInFolderAsTheirBase)
{
    Station station;
    FillEngine(station.engine);
    HomeFolderServer server;
    TSetting settings = LogSettings({0, 2});
    settings.Host = "127.0.0.1";
    settings.UserName = "station";
    settings.Password = "secret";
    TLogSource source = station.Source(Noaa18Pass(0));
    source.FtpPort = QString::number(server.Port());
    TLogger logger(settings, source, nullptr);
    ASSERT_TRUE(logger.WriteLog(true));
    ASSERT_TRUE(logger.UploadLog(false)) << logger.Messages.join('|').toStdString();

    const QString daily = "/home/station/html/apt/logs/daily";
    for (const QString& folder : QStringList{"/home/station/html", "/home/station/html/apt", "/home/station/html/apt/logs",
                                  daily, daily + "/images", daily + "/images/thumbs"})
        EXPECT_TRUE(server.Folders().contains(folder)) << folder.toStdString();
    EXPECT_FALSE(server.Folders().contains("/home/stationhtml")) << "one slash between the log-in folder and a part";
    const QMap<QString, QByteArray> files = server.Files();
    EXPECT_EQ(files.keys(), QStringList({daily + "/daily_apt_blog.xml", daily + "/images/img_000.jpg",
                                         daily + "/images/img_001.jpg", daily + "/images/thumbs/img_000.jpg",
                                         daily + "/images/thumbs/img_001.jpg", daily + "/index.html"}));
    EXPECT_EQ(files.value(daily + "/images/thumbs/img_001.jpg"), ReadBytes(DailyDir() + "/images/thumbs/img_001.jpg"));
    EXPECT_EQ(files.value(daily + "/index.html"), ReadBytes(DailyDir() + "/index.html"));
}
