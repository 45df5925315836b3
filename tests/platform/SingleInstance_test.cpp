#include "platform/Messages.h"
#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool PumpUntil(const std::function<bool()>& done, int maxMs)
{
    const QDeadlineTimer deadline(maxMs);
    while (!done() && !deadline.hasExpired())
        PumpMessages(20);
    return done();
}

// What a crash leaves: a socket file that nobody listens on any more.
void LeaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
}

}  // namespace

TEST(SingleInstance, SecondStartSignalsTheFirstAndTheNameIsFreedOnExit)
{
    QTemporaryDir dir;
    QStringList received;
    {
        TSingleInstance first("APTInstance", dir.path());
        ASSERT_EQ(first.Claim(), TSingleInstance::First) << first.ErrorText().toStdString();
        first.OnMessage = [&](const QString& m) { received << m; };
        EXPECT_TRUE(QFileInfo(first.SocketPath()).fileName().contains("APTInstance"));

        for (int start = 0; start < 2; ++start) {
            TSingleInstance second("APTInstance", dir.path());
            ASSERT_EQ(second.Claim(), TSingleInstance::Running);
            EXPECT_TRUE(second.Signal("OneAPTInstance")) << second.ErrorText().toStdString();
        }
        ASSERT_TRUE(PumpUntil([&] { return received.size() == 2; }, 5000));
        EXPECT_EQ(received, (QStringList{"OneAPTInstance", "OneAPTInstance"}));

        TSingleInstance other("OtherInstance", dir.path());
        EXPECT_EQ(other.Claim(), TSingleInstance::First) << "another name is another instance";
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("orvanta-APTInstance.socket"))) << "removed on a normal exit";
    TSingleInstance next("APTInstance", dir.path());
    EXPECT_EQ(next.Claim(), TSingleInstance::First);
}

TEST(SingleInstance, NameLeftByACrashIsReclaimed)
{
    QTemporaryDir dir;
    // The dead copy's lock file stays, unlocked (the kernel dropped its lock),
    // and so does its socket file.
    QFile lock(dir.filePath("orvanta-APTInstance.lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const QString socketPath = dir.filePath("orvanta-APTInstance.socket");
    LeaveDeadSocket(socketPath);

    TSingleInstance late("APTInstance", dir.path());
    EXPECT_FALSE(late.Signal("OneAPTInstance", 200)) << "nobody listens on the dead socket";
    EXPECT_TRUE(late.ErrorText().contains(socketPath) && late.ErrorText().contains("Connection refused"))
        << late.ErrorText().toStdString();

    TSingleInstance first("APTInstance", dir.path());
    ASSERT_EQ(first.Claim(), TSingleInstance::First) << first.ErrorText().toStdString();
    QString received;
    first.OnMessage = [&](const QString& m) { received = m; };
    TSingleInstance second("APTInstance", dir.path());
    ASSERT_EQ(second.Claim(), TSingleInstance::Running);
    ASSERT_TRUE(second.Signal("OneAPTInstance"));
    EXPECT_TRUE(PumpUntil([&] { return !received.isEmpty(); }, 5000));
    EXPECT_EQ(received, "OneAPTInstance");
}

TEST(SingleInstance, OversizedOrEmptyMessagesAreNotDelivered)
{
    QTemporaryDir dir;
    TSingleInstance first("APTInstance", dir.path());
    ASSERT_EQ(first.Claim(), TSingleInstance::First);
    QStringList received;
    first.OnMessage = [&](const QString& m) { received << m; };
    // A raw client that sends too much, one that sends nothing, then ours.
    for (const QByteArray& payload : {QByteArray(4096, 'x'), QByteArray()}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(first.SocketPath()).constData(), sizeof address.sun_path - 1);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (!payload.isEmpty()) {
            ASSERT_EQ(::send(fd, payload.constData(), payload.size(), MSG_NOSIGNAL), payload.size());
        }
        ::close(fd);
    }
    TSingleInstance second("APTInstance", dir.path());
    ASSERT_TRUE(second.Signal("OneAPTInstance"));
    ASSERT_TRUE(PumpUntil([&] { return !received.isEmpty(); }, 5000));
    PumpMessages(100);
    EXPECT_EQ(received, QStringList{"OneAPTInstance"});
}

TEST(SingleInstance, DefaultFolderIsTheRuntimeFolderOrAPrivateOneInTmp)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    TSingleInstance inRuntime("APTInstance-default-test");
    ASSERT_EQ(inRuntime.Claim(), TSingleInstance::First) << inRuntime.ErrorText().toStdString();
    EXPECT_EQ(QFileInfo(inRuntime.SocketPath()).absolutePath(), runtime.path());

    qunsetenv("XDG_RUNTIME_DIR");
    QString lockPath;
    {
        TSingleInstance inTmp(QString("APTInstance-default-test-%1").arg(::getpid()));
        ASSERT_EQ(inTmp.Claim(), TSingleInstance::First) << inTmp.ErrorText().toStdString();
        const QFileInfo folder(QFileInfo(inTmp.SocketPath()).absolutePath());
        EXPECT_EQ(folder.absoluteFilePath(), QString("/tmp/orvanta-%1").arg(::getuid()));
        EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
        lockPath = inTmp.SocketPath().replace(".socket", ".lock");
    }
    EXPECT_TRUE(QFile::remove(lockPath)) << "the lock file stays, so a later start locks the same file";
}
