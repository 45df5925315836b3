// Asynchronous name lookups of the component, answered on its own thread.
#include "net/WSocket.h"
#include "support/LoopbackPeer.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct Lookups {
    QList<int> done;
    void Attach(TWSocket& s)
    {
        s.OnDnsLookupDone = [this](TCustomWSocket*, int e) { done << e; };
    }
};

TEST(WSocketDns, ADottedAddressIsAnsweredInsideTheCall)
{
    Lookups l;
    TWSocket s;
    l.Attach(s);
    s.DnsLookup("10.1.2.3");
    EXPECT_EQ(l.done, QList<int>({0}));
    EXPECT_EQ(s.DnsResult(), "10.1.2.3");
    EXPECT_EQ(s.DnsResultList(), QStringList({"10.1.2.3"}));
}

TEST(WSocketDns, ANameIsAnsweredLaterThroughTheMessageLoop)
{
    Lookups l;
    TWSocket s;
    l.Attach(s);
    s.DnsLookup("localhost");
    EXPECT_TRUE(l.done.isEmpty());
    ASSERT_TRUE(PumpUntil([&] { return !l.done.isEmpty(); }));
    EXPECT_EQ(l.done, QList<int>({0}));
    EXPECT_EQ(s.DnsResult(), "127.0.0.1");

    s.ReverseDnsLookup("127.0.0.1");
    ASSERT_TRUE(PumpUntil([&] { return l.done.size() == 2; }));
    EXPECT_EQ(l.done.last(), 0);
    EXPECT_EQ(s.DnsResult(), "localhost");
}

TEST(WSocketDns, OnlyTheLastOfTwoLookupsIsReported)
{
    Lookups l;
    TWSocket s;
    l.Attach(s);
    s.DnsLookup("localhost");
    s.DnsLookup("localhost");
    ASSERT_TRUE(PumpUntil([&] { return !l.done.isEmpty(); }));
    PumpFor(200);
    EXPECT_EQ(l.done, QList<int>({0}));
}

TEST(WSocketDns, CancellingReportsInterruptedAndNothingElse)
{
    Lookups l;
    TWSocket s;
    l.Attach(s);
    s.CancelDnsLookup();
    EXPECT_TRUE(l.done.isEmpty()) << "nothing to cancel";
    s.DnsLookup("localhost");
    s.CancelDnsLookup();
    EXPECT_EQ(l.done, QList<int>({10004}));
    PumpFor(200);
    EXPECT_EQ(l.done, QList<int>({10004}));
}

TEST(WSocketDns, FailedLookupsGiveTheirWinsockCode)
{
    for (int code : {11001, 11002, 11003, 11004}) {
        wsock::SetHostResolver([code](const QString&, wsock::THostRecord&) { return code; });
        Lookups l;
        TWSocket s;
        l.Attach(s);
        s.DnsLookup("nohost.invalid");
        ASSERT_TRUE(PumpUntil([&] { return !l.done.isEmpty(); }));
        EXPECT_EQ(l.done, QList<int>({code}));
        EXPECT_TRUE(s.DnsResult().isEmpty());
    }
    wsock::SetHostResolver({});
}

TEST(WSocketDns, AnEmptyNameIsRefused)
{
    Lookups l;
    TWSocket s;
    l.Attach(s);
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    s.DnsLookup("");
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(l.done, QList<int>({10022}));
}

TEST(WSocketDns, AComponentDestroyedDuringALookupIsNeverCalledBack)
{
    bool called = false;
    {
        TWSocket s;
        s.OnDnsLookupDone = [&](TCustomWSocket*, int) { called = true; };
        s.DnsLookup("localhost");
    }
    PumpFor(200);
    EXPECT_FALSE(called);
}

}  // namespace
