// The time check against a scripted SNTP server on loopback, on a frozen
// clock: what the log shows, when the clock is set and by how much, and the
// replies and silences that must never set it.
#include "ScriptedSntpServer.h"
#include "platform/SystemTime.h"
#include "shell/RegistryHelpers.h"
#include "support/ModalCatcher.h"
#include "tracking/ui/TimeDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 5, 17), QTime(12, 0, 0, 500), Qt::UTC);

bool PumpUntil(const std::function<bool()>& done, int maxMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The clock setter of these tests: records each call, answers as told.
struct RecordingSetter {
    explicit RecordingSetter(bool succeed = true)
    {
        previous = systime::SetClockSetter([this, succeed](const QDateTime& utc, QString& error) {
            calls << utc;
            if (!succeed)
                error = "Operation not permitted";
            return succeed;
        });
    }
    ~RecordingSetter() { systime::SetClockSetter(previous); }
    QList<QDateTime> calls;
    systime::TClockSetter previous;
};

// The dialog on a frozen clock, pointed at a scripted server on 127.0.0.1.
struct TimeBench {
    explicit TimeBench(ScriptedSntpServer::Script script) : server(std::move(script))
    {
        systime::SetClockSource([] { return kNow; });
        dlg = std::make_unique<TTimeDlg>(nullptr, dir.filePath("timeservers.txt"));
        dlg->NtpPort = server.Port();
        dlg->ReplyTimeoutMs = 500;
        dlg->ServerCb->setCurrentText("127.0.0.1");
        dlg->show();
    }
    ~TimeBench()
    {
        dlg.reset();
        systime::SetClockSource({});
    }
    // Clicks the button and waits until the check has ended.
    void Run(QPushButton* button)
    {
        const int before = dlg->LogLines().size();
        button->click();
        PumpUntil([&] {
            return dlg->NTPSocket.State() == wsClosed && dlg->LogLines().size() > before + 1 && !dlg->SetRequested;
        });
    }
    bool Logged(const QString& line) const { return dlg->LogLines().contains(line); }

    QTemporaryDir dir;
    ScriptedSntpServer server;
    std::unique_ptr<TTimeDlg> dlg;
};

}  // namespace

TEST(TimeDlg, SetAppliesOffsetsUpToAnHourAndLogsTheExchange)
{
    const struct {
        double offset;
        bool applied;
    } cases[] = {{3600, true}, {-3600, true}, {3600.001, false}, {-3600.001, false}, {0.25, true}};
    for (const auto& c : cases) {
        RecordingSetter setter;
        TimeBench bench([&](const QByteArray& request) { return ScriptedSntpServer::Reply(request, c.offset); });
        bench.Run(bench.dlg->SetBtn);
        const QStringList lines = bench.dlg->LogLines();
        ASSERT_GE(lines.size(), 11) << c.offset << ": " << lines.join('|').toStdString();
        EXPECT_EQ(lines[0], "Connecting to 127.0.0.1... connected.");
        EXPECT_EQ(lines[1], "Sending a request... receiving time.");
        EXPECT_EQ(lines[2], "");
        EXPECT_EQ(lines[3], "Time in UTC");
        EXPECT_EQ(lines[4], "Client originate date: Friday 17 May 2024 12:00:00.500");
        EXPECT_EQ(lines[7], "Client destination date: Friday 17 May 2024 12:00:00.500");
        EXPECT_EQ(lines[8], "Round trip delay: 0.000 seconds");
        EXPECT_EQ(lines[9], QString::asprintf("Local clock offset: %.3f seconds", c.offset));
        EXPECT_EQ(lines[10], "");
        if (c.applied) {
            ASSERT_EQ(setter.calls.size(), 1) << c.offset;
            EXPECT_NEAR(kNow.msecsTo(setter.calls[0]), c.offset * 1000, 1) << c.offset;
            EXPECT_EQ(lines.value(11), "Time succesfully synchronized!");
            EXPECT_EQ(bench.dlg->SynchServer->text(), "127.0.0.1");
            EXPECT_EQ(bench.dlg->ClkErr->text(), QString::asprintf("%.3f", c.offset));
            EXPECT_EQ(ReadRegistryString("APT\\Clock", "Error"), QString::asprintf("%.3f", c.offset));
        } else {
            EXPECT_TRUE(setter.calls.isEmpty()) << c.offset;
            EXPECT_EQ(lines.value(11), "Difference more than an hour, not synchronizing time!");
        }
    }
}

TEST(TimeDlg, ACheckAfterASetSetsNothingAndARefusedSetKeepsTheLabels)
{
    {
        RecordingSetter setter;
        TimeBench bench([](const QByteArray& request) { return ScriptedSntpServer::Reply(request, 2.5); });
        bench.Run(bench.dlg->SetBtn);
        EXPECT_EQ(setter.calls.size(), 1);
        bench.Run(bench.dlg->CheckBtn);
        EXPECT_EQ(setter.calls.size(), 1) << "a Check never sets the clock";
        EXPECT_EQ(bench.server.Requests(), 2);
    }
    {
        RecordingSetter refusing(false);
        TimeBench bench([](const QByteArray& request) { return ScriptedSntpServer::Reply(request, 2.5); });
        bench.dlg->SynchServer->setText("earlier.example");
        bench.dlg->ClkErr->setText("0.125");
        bench.Run(bench.dlg->SetBtn);
        EXPECT_EQ(refusing.calls.size(), 1);
        EXPECT_TRUE(bench.Logged("Failed to set system clock!"));
        EXPECT_TRUE(bench.Logged("Operation not permitted"));
        EXPECT_EQ(bench.dlg->SynchServer->text(), "earlier.example");
        EXPECT_EQ(bench.dlg->ClkErr->text(), "0.125");
    }
}

TEST(TimeDlg, DelayIsTheClientsSpanWhenTheServerAnswersAtOnce)
{
    // A clock that moves 125 ms each time it is read: the client's two
    // stamps differ, the server's receive and transmit stamps are equal.
    auto reads = std::make_shared<std::atomic<int>>(0);
    TimeBench bench([](const QByteArray& request) { return ScriptedSntpServer::Reply(request, 10); });
    systime::SetClockSource([reads] { return kNow.addMSecs(125 * reads->fetch_add(1)); });
    bench.Run(bench.dlg->CheckBtn);
    const QStringList lines = bench.dlg->LogLines();
    ASSERT_GE(lines.size(), 10) << lines.join('|').toStdString();
    const QTime t1 = QTime::fromString(lines[4].section(' ', -1), "hh:mm:ss.zzz");
    const QTime t4 = QTime::fromString(lines[7].section(' ', -1), "hh:mm:ss.zzz");
    ASSERT_TRUE(t1.isValid() && t4.isValid());
    EXPECT_GT(t1.msecsTo(t4), 0);
    EXPECT_EQ(lines[8], QString::asprintf("Round trip delay: %.3f seconds", t1.msecsTo(t4) / 1000.0));
    EXPECT_EQ(lines[5].section(' ', -1), lines[6].section(' ', -1)) << "receive and transmit stamps equal";
}

// A server that never answers: the check ends by itself, and its set
// request with it, so the next Check cannot set the clock unasked.
TEST(TimeDlg, ASilentServerEndsTheCheckAndDropsTheSetRequest)
{
    RecordingSetter setter;
    std::atomic<int> asked{0};
    TimeBench bench([&](const QByteArray& request) {
        return ++asked == 1 ? QByteArray() : ScriptedSntpServer::Reply(request, 1.5);
    });
    bench.dlg->SetBtn->click();
    ASSERT_TRUE(PumpUntil([&] { return bench.Logged("No data received!"); }));
    EXPECT_EQ(bench.dlg->NTPSocket.State(), wsClosed);
    EXPECT_FALSE(bench.dlg->SetRequested);
    bench.Run(bench.dlg->CheckBtn);
    EXPECT_TRUE(bench.Logged("Local clock offset: 1.500 seconds"));
    EXPECT_TRUE(setter.calls.isEmpty());
    EXPECT_EQ(bench.dlg->ServerCb->findText("127.0.0.1"), bench.dlg->ServerCb->count() - 1)
        << "a server that answered joins the list";
}

// Replies that are no fit answer to the request are logged with the reason
// and never set the clock.
TEST(TimeDlg, RepliesAreCheckedBeforeUse)
{
    struct Case {
        const char* name;
        std::function<QByteArray(QByteArray)> spoil;
        const char* reason;
    };
    const Case cases[] = {
        {"short", [](QByteArray r) { return r.left(47); }, "47 bytes, a reply has 48"},
        {"client mode", [](QByteArray r) { r[0] = 0x1B; return r; }, "mode 3, not a server's reply"},
        {"kiss-o'-death",
         [](QByteArray r) {
             r[1] = 0;
             r.replace(12, 4, "RATE");
             return r;
         },
         "stratum 0, kiss code \"RATE\""},
        {"unsynchronised", [](QByteArray r) { r[1] = 16; return r; }, "stratum 16, the server is not synchronised"},
        {"no transmit time", [](QByteArray r) { return r.replace(40, 8, QByteArray(8, '\0')); }, "no transmit time"},
        {"stale", [](QByteArray r) { r[31] = static_cast<char>(r[31] ^ 1); return r; },
         "not the answer to the request sent"},
    };
    for (const Case& c : cases) {
        RecordingSetter setter;
        TimeBench bench([&](const QByteArray& request) { return c.spoil(ScriptedSntpServer::Reply(request, 5)); });
        bench.Run(bench.dlg->SetBtn);
        EXPECT_TRUE(bench.Logged(QString("Reply not used: ") + c.reason)) << c.name << ": "
                                                                         << bench.dlg->LogLines().join('|').toStdString();
        EXPECT_TRUE(setter.calls.isEmpty()) << c.name;
        EXPECT_FALSE(bench.Logged("Time in UTC")) << c.name;
        EXPECT_FALSE(bench.dlg->SetRequested) << c.name;
        EXPECT_EQ(bench.dlg->ServerCb->findText("127.0.0.1"), -1) << c.name << ": only a server that answered joins";
    }
}

TEST(TimeDlg, NoServerOrAnUnknownNameIsSaidAndNothingIsSent)
{
    RecordingSetter setter;
    TimeBench bench([](const QByteArray& request) { return ScriptedSntpServer::Reply(request, 1); });
    bench.dlg->ServerCb->setCurrentText("");
    bench.dlg->SetBtn->click();
    EXPECT_EQ(bench.dlg->LogLines().value(0), "No Time Server selected!");
    EXPECT_FALSE(bench.dlg->SetRequested);

    ModalCatcher boxes;
    bench.dlg->ServerCb->setCurrentText("no-such-host.invalid");
    bench.dlg->SetBtn->click();
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].contains("Cannot convert host address 'no-such-host.invalid'"))
        << boxes.Texts[0].toStdString();
    EXPECT_TRUE(bench.Logged(boxes.Texts[0])) << "and in the log";
    EXPECT_FALSE(bench.dlg->SetRequested);
    EXPECT_EQ(bench.server.Requests(), 0);
    EXPECT_TRUE(setter.calls.isEmpty());
}

TEST(TimeDlg, TheServerListReadsBackWhatItWrote)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("timeservers.txt");
    const QByteArray latin1Name = "ntp.m\xfcnchen.example";  // from a Windows-1252 editor
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Servers]\r\n" + latin1Name + "\r\n" + QByteArray(400, '\xe9') + "\r\n" +
                   QByteArray(600, 'a') + "\r\n" + "\xe6\x97\xa5.example\r\nbroken\r.example\r\nlast.example");
    }
    const auto names = [](const TTimeDlg& dlg) {
        QStringList list;
        for (int i = 0; i < dlg.ServerCb->count(); ++i)
            list << dlg.ServerCb->itemText(i);
        return list;
    };
    const auto fileBody = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n').mid(7) : QList<QByteArray>();
    };

    QStringList first;
    {
        TTimeDlg dlg(nullptr, path);
        first = names(dlg);
    }
    const QString munich = QString::fromUtf8("ntp.m\xc3\xbcnchen.example");
    EXPECT_TRUE(first.contains(munich)) << "a single-byte name keeps its characters";
    EXPECT_TRUE(first.contains(QString::fromUtf8("\xe6\x97\xa5.example")));
    EXPECT_TRUE(first.contains("last.example"));
    EXPECT_EQ(first.filter(QChar(0xfffd)).size(), 0) << "no replacement characters";
    EXPECT_EQ(first.filter(QRegularExpression("^a+$")).size(), 0) << "a line too long for a name is passed over whole";
    EXPECT_EQ(first.filter(QRegularExpression(QString::fromUtf8("^\xc3\xa9+$"))).size(), 0)
        << "so is one that would be too long when written back";
    EXPECT_EQ(first.filter("broken").size(), 0) << "a carriage return inside a line makes no name to show";
    const QList<QByteArray> written = fileBody();
    EXPECT_TRUE(written.contains("ntp.m\xc3\xbcnchen.example"));

    QStringList second;
    {
        TTimeDlg dlg(nullptr, path);
        second = names(dlg);
        dlg.ServerListChanged = true;  // written again
    }
    EXPECT_EQ(second, first) << "the list reads back what it wrote";
    EXPECT_EQ(fileBody(), written) << "and writes the same again";
}
