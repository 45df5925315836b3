#include "net/WSockBuf.h"
#include "net/WSocketErrors.h"
#include "net/WSocketResolve.h"
#include "platform/SocketApi.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

std::uint32_t Dotted(const char* text) { return ::inet_addr(text); }

// Restores the system resolver however a test ends.
struct ResolverOverride {
    explicit ResolverOverride(wsock::THostResolver r) { wsock::SetHostResolver(std::move(r)); }
    ~ResolverOverride() { wsock::SetHostResolver({}); }
};

QString RaisedText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ESocketException& e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

TEST(WSocketErrorDesc, GivesTheWinsockTextsAndSaysWhenACodeIsNotOne)
{
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {0, "No Error"},
        {10035, "Operation would block"},
        {10054, "Connection reset by peer"},
        {10057, "Socket is not connected"},
        {10061, "Connection refused"},
        {11001, "Host not found"},
        {11004, "No Data"},
        {10001, "Not a WinSock error"},
        {-1, "Not a WinSock error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WSocketErrorDesc(c.code), QString::fromLatin1(c.text)) << c.code;
}

TEST(WSocketErrorDesc, PlatformErrorsMapToTheWinsockCodes)
{
    EXPECT_EQ(wsock::ErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(wsock::ErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(wsock::ErrorFromErrno(EPIPE), 10054) << "a send to a closed connection reads as a reset";
    EXPECT_EQ(wsock::ErrorFromErrno(ENOTCONN), 10057);
    EXPECT_EQ(wsock::ErrorFromGai(EAI_NONAME), 11001);
    EXPECT_EQ(wsock::ErrorFromGai(EAI_AGAIN), 11002);
    EXPECT_EQ(wsock::ErrorFromGai(EAI_FAIL), 11003);
}

TEST(WSocketResolve, RecognisesDottedAddresses)
{
    struct Case {
        const char* text;
        bool dotted;
    };
    const Case cases[] = {
        {"1.2.3.4", true},        {" 10.0.0.1 ", true}, {"255.255.255.255", true}, {"1.2.3", false},
        {"1..2.3", false},        {"1.2.3.256", false}, {"1.2.3.4.", false},       {"a.b.c.d", false},
        {".1.2.3", false},        {"256.1.1.1", false}, {"1.2.3.4 x", false},      {"", false},
        {"1.2.3.99999999999", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WSocketIsDottedIP(QString::fromLatin1(c.text)), c.dotted) << c.text;
}

TEST(WSocketResolve, ConvertsAddressesAndLooksUpNames)
{
    EXPECT_EQ(WSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(WSocketResolveHost("1.2.3.4 "), Dotted("1.2.3.4"));
    EXPECT_EQ(WSocketResolveHost("localhost"), Dotted("127.0.0.1"));
    EXPECT_EQ(RaisedText([] { WSocketResolveHost(""); }), "WSocketResolveHost: '' Invalid Hostname.");

    // 256.1.1.1 is not dotted: it goes to the name lookup.
    QString asked;
    ResolverOverride fake([&](const QString& name, wsock::THostRecord& record) {
        asked = name;
        record.Addresses = {Dotted("10.9.8.7")};
        return 0;
    });
    EXPECT_EQ(WSocketResolveHost("256.1.1.1"), Dotted("10.9.8.7"));
    EXPECT_EQ(asked, "256.1.1.1");
}

TEST(WSocketResolve, LookupFailuresCarryTheirWinsockCodeAndText)
{
    for (int code : {11001, 11002, 11003, 11004}) {
        ResolverOverride fake([code](const QString&, wsock::THostRecord&) { return code; });
        EXPECT_EQ(RaisedText([] { WSocketResolveHost("nohost.invalid"); }),
                  QStringLiteral("WSocketResolveHost: Cannot convert host address 'nohost.invalid', Error #%1").arg(code));
        EXPECT_EQ(wsock::WSAGetLastError(), code);
        EXPECT_NE(WSocketErrorDesc(code), "Not a WinSock error");
    }
}

TEST(WSocketResolve, PortsFromNumbersAndServiceNames)
{
    EXPECT_EQ(WSocketResolvePort("ftp", "tcp"), 21);
    EXPECT_EQ(WSocketResolvePort("0", "tcp"), 0);
    EXPECT_EQ(WSocketResolvePort("8080x", "tcp"), 8080);
    EXPECT_EQ(WSocketResolvePort("65535", "udp"), 65535);
    EXPECT_EQ(RaisedText([] { WSocketResolvePort("", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(RaisedText([] { WSocketResolvePort("21", ""); }), "WSocketResolvePort: Invalid Proto.");
    EXPECT_TRUE(RaisedText([] { WSocketResolvePort("nosuchservice", "tcp"); })
                    .startsWith("WSocketResolvePort: Cannot convert port 'nosuchservice', Error #"));
}

TEST(WSocketResolve, APortPast65535IsRefusedNotWrapped)
{
    // 70000 would wrap to 4464, a different and valid port.
    EXPECT_EQ(RaisedText([] { WSocketResolvePort("70000", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(RaisedText([] { WSocketResolvePort("65536", "tcp"); }), "WSocketResolvePort: Invalid Port.");
}

TEST(WSocketResolve, Protocols)
{
    EXPECT_EQ(WSocketResolveProto("UDP"), 17);
    EXPECT_EQ(WSocketResolveProto("17"), 17);
    EXPECT_EQ(WSocketResolveProto("tcp"), 6);
    EXPECT_EQ(WSocketResolveProto("icmp"), 1);
    EXPECT_EQ(RaisedText([] { WSocketResolveProto(""); }), "WSocketResolveProto: Invalid Protocol.");
    EXPECT_TRUE(RaisedText([] { WSocketResolveProto("NoSuchProto"); })
                    .startsWith("WSocketResolveProto: Cannot convert protocol 'nosuchproto', Error #"));
}

TEST(TBuffer, PositionsResizingAndReuse)
{
    TBuffer chunk(0);
    EXPECT_EQ(chunk.BlockSize(), 1514);
    EXPECT_EQ(chunk.Write("abcdef", 6), 6);
    char out[4] = {};
    EXPECT_EQ(chunk.Read(out, 2), 2);
    EXPECT_EQ(chunk.ReadPos(), 2);
    chunk.SetBufSize(10);  // keeps the waiting bytes at their offsets
    int waiting = 0;
    const char* data = chunk.Peek(waiting);
    ASSERT_EQ(waiting, 4);
    EXPECT_EQ(QByteArray(data, waiting), "cdef");
    EXPECT_EQ(chunk.Write("0123456789", 10), 4) << "only the room left after WritePos";
    EXPECT_EQ(chunk.Remove(100), 8);
    EXPECT_EQ(chunk.ReadPos(), 0);
    EXPECT_EQ(chunk.WritePos(), 0) << "a drained chunk fills from its start";
    EXPECT_EQ(chunk.Peek(waiting), nullptr);
    EXPECT_EQ(waiting, 0);
}

}  // namespace
