// The Winsock stand-in's own traps: reused descriptors and the Windows way
// of arming asynchronous select.
#include "platform/Messages.h"
#include "platform/SocketApi.h"
#include "support/LoopbackPeer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace nettest;
using namespace wsock;

namespace {

constexpr unsigned kSelectMsg = WM_USER + 1;

struct Notifications {
    QList<int> events;  // event bits, in arrival order
    QList<int> errors;
    TMessageTarget target{[this](TMessage& m) {
        events << SelectEvent(m.LParam);
        errors << SelectError(m.LParam);
    }};
    int Count(int event) const { return static_cast<int>(events.count(event)); }
};

sockaddr_in Loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

TEST(SocketApi, AReusedDescriptorGetsANewHandleAndTheOldOneIsDead)
{
    const TSocket first = wsock::socket(AF_INET, SOCK_STREAM, 0);
    const int fd = DescriptorOf(first);
    ASSERT_EQ(closesocket(first), 0);
    const TSocket second = wsock::socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(DescriptorOf(second), fd) << "Linux hands out the lowest free number";
    EXPECT_NE(second, first);
    char c;
    EXPECT_EQ(wsock::recv(first, &c, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(closesocket(first), SOCKET_ERROR) << "closing a dead handle never closes the new socket";
    EXPECT_EQ(DescriptorOf(second), fd);
    closesocket(second);
}

TEST(SocketApi, ReadinessIsPostedOnceAndAgainOnlyAfterARead)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "0123456789");
        ReadExactly(fd, 1);  // our signal to leave
    });
    Notifications n;
    const TSocket s = wsock::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(WSAAsyncSelect(s, &n.target, kSelectMsg, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE), 0);
    const int r = wsock::connect(s, Loopback(peer.Port()));
    EXPECT_TRUE(r == 0 || WSAGetLastError() == WSAEWOULDBLOCK);
    ASSERT_TRUE(PumpUntil([&] { return n.Count(FD_READ) == 1; }));
    PumpFor(200);  // level-triggered readiness would flood the queue here
    EXPECT_EQ(n.events, QList<int>({FD_CONNECT, FD_WRITE, FD_READ}));
    EXPECT_EQ(n.errors, QList<int>({0, 0, 0}));

    char buffer[16];
    EXPECT_EQ(wsock::recv(s, buffer, 4, 0), 4);
    ASSERT_TRUE(PumpUntil([&] { return n.Count(FD_READ) == 2; })) << "data remains: notified again";
    EXPECT_EQ(wsock::recv(s, buffer, sizeof buffer, 0), 6);
    PumpFor(100);
    EXPECT_EQ(n.Count(FD_READ), 2) << "nothing left: no more notifications";

    EXPECT_EQ(wsock::send(s, "x", 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return n.Count(FD_CLOSE) == 1; }));
    EXPECT_EQ(n.errors.last(), 0) << "an orderly close";
    PumpFor(100);
    EXPECT_EQ(n.Count(FD_CLOSE), 1);
    closesocket(s);
}

TEST(SocketApi, ARefusedConnectionEndsWithItsCodeAndNothingMore)
{
    Notifications n;
    const TSocket s = wsock::socket(AF_INET, SOCK_STREAM, 0);
    WSAAsyncSelect(s, &n.target, kSelectMsg, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
    wsock::connect(s, Loopback(UnusedPort()));
    ASSERT_TRUE(PumpUntil([&] { return !n.events.isEmpty(); }));
    PumpFor(100);
    EXPECT_EQ(n.events, QList<int>({FD_CONNECT}));
    EXPECT_EQ(n.errors, QList<int>({WSAECONNREFUSED}));
    closesocket(s);
}

TEST(SocketApi, MessagesOfAClosedSocketNeverArrive)
{
    TcpPeer peer([](int fd) { WriteAll(fd, "late"); });
    Notifications n;
    const TSocket s = wsock::socket(AF_INET, SOCK_STREAM, 0);
    WSAAsyncSelect(s, &n.target, kSelectMsg, FD_READ | FD_CONNECT | FD_CLOSE);
    wsock::connect(s, Loopback(peer.Port()));
    ::usleep(100000);  // the data is there before anything is pumped
    closesocket(s);
    PumpFor(100);
    EXPECT_TRUE(n.events.isEmpty());
}

}  // namespace
