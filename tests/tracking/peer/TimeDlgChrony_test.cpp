// The time check against chronyd on loopback (started with -x: it serves
// the machine's time and never sets it): the exchange as the log shows it,
// a Set handed to the test's clock setter, and the server list file.
#include "platform/SystemTime.h"
#include "shell/RegistryHelpers.h"
#include "support/ChronyPeer.h"
#include "support/LoopbackPeer.h"
#include "support/TestEnv.h"
#include "tracking/ui/TimeDlg.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace nettest;

TEST(TimeDlgChrony, CheckSetAndTheServerList)
{
    const int port = UnusedPort();
    Daemon chrony;
    if (!StartChrony(chrony, port)) {
        if (chrony.Missing())
            SKIP_MISSING(chrony.Problem().toStdString());
        FAIL() << chrony.Problem().toStdString();
    }
    QTemporaryDir dir;
    const QString listFile = dir.filePath("timeservers.txt");
    {
        QFile file(listFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("/*\r\n * an older list\r\n */\r\npool.ntp.org\r\n[Servers]\r\npool.ntp.org\r\n\r\nntp.station.test\r\n");
    }
    QList<QDateTime> sets;
    const systime::TClockSetter guard = systime::SetClockSetter([&](const QDateTime& utc, QString&) {
        sets << utc;
        return true;
    });

    auto dlg = std::make_unique<TTimeDlg>(nullptr, listFile);
    const int builtIn = 29;
    ASSERT_EQ(dlg->ServerCb->count(), builtIn + 1) << "the file's new name joins, the known one does not";
    EXPECT_EQ(dlg->ServerCb->itemText(builtIn), "ntp.station.test");
    dlg->NtpPort = QString::number(port);
    dlg->show();
    dlg->ServerCb->setCurrentText("127.0.0.1");

    // Clicks and waits for the check's results (and the set that follows them).
    auto run = [&](QPushButton* button) {
        auto results = [&] { return dlg->LogLines().filter("Local clock offset: ").size(); };
        const int before = results();
        button->click();
        return PumpUntil([&] { return results() > before && !dlg->SetRequested; }, 10000);
    };
    ASSERT_TRUE(run(dlg->CheckBtn)) << dlg->LogLines().join('|').toStdString();
    QStringList lines = dlg->LogLines();
    EXPECT_EQ(lines[0], "Connecting to 127.0.0.1... connected.");
    EXPECT_EQ(lines[1], "Sending a request... receiving time.");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "Time in UTC");
    const char* stamps[] = {"Client originate date: ", "Server receive date: ", "Server transmit date: ",
                            "Client destination date: "};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[4 + i].startsWith(stamps[i])) << lines[4 + i].toStdString();
    const double delay = lines[8].section(' ', 3, 3).toDouble();
    const double offset = lines[9].section(' ', 3, 3).toDouble();
    EXPECT_TRUE(lines[8].startsWith("Round trip delay: ")) << lines[8].toStdString();
    EXPECT_TRUE(lines[9].startsWith("Local clock offset: ")) << lines[9].toStdString();
    EXPECT_GE(delay, 0.0);
    EXPECT_NEAR(offset, 0.0, 0.1) << "chrony serves this machine's own clock";
    EXPECT_TRUE(sets.isEmpty());
    EXPECT_EQ(dlg->ServerCb->itemText(builtIn + 1), "127.0.0.1") << "a typed server that answered joins";

    ASSERT_TRUE(run(dlg->SetBtn));
    lines = dlg->LogLines();
    EXPECT_EQ(lines.last(), "Time succesfully synchronized!");
    ASSERT_EQ(sets.size(), 1);
    EXPECT_LT(std::abs(QDateTime::currentDateTimeUtc().msecsTo(sets[0])), 1000) << "now + an offset near 0";
    EXPECT_EQ(dlg->SynchServer->text(), "127.0.0.1");
    EXPECT_FALSE(dlg->SynchDate->text().isEmpty());
    EXPECT_EQ(ReadRegistryString("APT\\Clock", "Server"), "127.0.0.1");
    EXPECT_EQ(ReadRegistryString("APT\\Clock", "Error"), dlg->ClkErr->text());

    ASSERT_TRUE(run(dlg->CheckBtn));
    EXPECT_EQ(sets.size(), 1) << "a later Check sets nothing";

    dlg.reset();  // writes the list
    systime::SetClockSetter(guard);
    QFile file(listFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList written = QString::fromUtf8(file.readAll()).split('\n');
    ASSERT_GE(written.size(), 9);
    EXPECT_EQ(written[0], "/*");
    EXPECT_TRUE(written[1].startsWith(" *      File creation date: ")) << written[1].toStdString();
    EXPECT_EQ(written[3], " *\tOrvanta Time server list file.");
    EXPECT_EQ(written[5], " */");
    EXPECT_EQ(written[7], "[Servers]");
    const QStringList names = written.mid(8);
    EXPECT_EQ(names.first(), "pool.ntp.org");
    EXPECT_TRUE(names.contains("ntp.station.test"));
    EXPECT_TRUE(names.contains("127.0.0.1"));
    EXPECT_EQ(names.count("pool.ntp.org"), 1);
}
