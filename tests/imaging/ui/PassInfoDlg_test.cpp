#include "../PassFixtures.h"
#include "ModalAnswer.h"
#include "PassWindow.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/PassInfoDlg.h"
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

constexpr double kSecond = 1.0 / 86400;

// The three lines of name in an element-set file.
bool ReadElementSet(const QString& path, const QString& name, QByteArray lines[3])
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> all = file.readAll().split('\n');
    for (qsizetype i = 0; i + 2 < all.size(); ++i)
        if (all[i].trimmed() == name.toLatin1()) {
            for (int k = 0; k < 3; ++k)
                lines[k] = all[i + k].trimmed();
            return true;
        }
    return false;
}

// A reference pass of the skyfield table: AOS, TCA, maximum elevation, LOS.
struct ReferencePass {
    double aos = 0, tca = 0, maxElevation = 0, los = 0;
};

// The first pass of satellite over station in the table that rises above minElevation.
ReferencePass FindReferencePass(int satellite, int station, double minElevation)
{
    QFile file(testenv::FixturePath("orbit/noaa_passes.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() != 6 || fields[0].startsWith('#'))
            continue;
        if (fields[0].toInt() == satellite && fields[1].toInt() == station && fields[4].toDouble() >= minElevation)
            return {fields[2].toDouble(), fields[3].toDouble(), fields[4].toDouble(), fields[5].toDouble()};
    }
    return {};
}

// Seconds of the day of an "hh:nn:ss" text and of a day number.
int SecondsOfText(const QString& text)
{
    const QStringList parts = text.split(':');
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt() : -1;
}
double SecondsOfDay(double day) { return (day - std::floor(day)) * 86400; }

class PassInformation : public ::testing::Test {
protected:
    void SetUp() override
    {
        passfixture::FillCompletePass(*child.APT, passfixture::CalibratedPass(300), "/data/170501_NOAA_18.wav");
        child.show();
        ASSERT_TRUE(child.ShowView(ivNormal, 0));
    }
    TMDIChild child;
};

}  // namespace

TEST_F(PassInformation, APassShowsItsTimesLookAnglesAndElementSet)
{
    const QString tleFile = testenv::SharedDataPath("tle/weather-2021-10-31-no-final-newline.txt");
    if (tleFile.isEmpty())
        SKIP_MISSING("tle/weather-2021-10-31-no-final-newline.txt of the shared data is absent");
    QByteArray lines[3];
    ASSERT_TRUE(ReadElementSet(tleFile, "NOAA 18", lines));
    const ReferencePass reference = FindReferencePass(1, 0, 20.0);  // NOAA 18 over Tromso
    ASSERT_GT(reference.aos, 0);

    TStation tromso;
    tromso.Name = "Tromso";
    tromso.Latitude = 69.65;
    tromso.Longitude = -18.96;  // west positive
    tromso.Altitude = 100;
    auto pass = std::make_unique<TSat>();
    ASSERT_TRUE(pass->ParseTLE(lines[0].data(), lines[1].constData(), lines[2].constData()));
    pass->SetStation(&tromso);
    pass->WindowStart = reference.aos;
    pass->WindowStop = reference.los;
    child.Pass = std::move(pass);

    TPassInfoDlg dialog;
    dialog.Child = &child;
    dialog.show();
    EXPECT_NEAR(SecondsOfText(dialog.Cell(1, 1)), SecondsOfDay(reference.aos), 2.0) << "AOS within 2 s";
    EXPECT_NEAR(SecondsOfText(dialog.Cell(1, 2)), SecondsOfDay(reference.tca), 2.0) << "TCA within 2 s";
    EXPECT_NEAR(SecondsOfText(dialog.Cell(1, 3)), SecondsOfDay(reference.los), 2.0) << "LOS within 2 s";
    EXPECT_NEAR(child.Pass->MaxElevation, reference.maxElevation, 0.05) << "maximum elevation within 0.05 deg";
    EXPECT_EQ(dialog.Cell(4, 2), QString::number(child.Pass->MaxElevation, 'f', 1));
    // At AOS and LOS the satellite is on the horizon.
    EXPECT_NEAR(dialog.Cell(4, 1).toDouble(), 0.0, 0.1);
    EXPECT_NEAR(dialog.Cell(4, 3).toDouble(), 0.0, 0.1);
    EXPECT_FALSE(dialog.Cell(2, 2).isEmpty());
    EXPECT_EQ(dialog.Cell(0, 2), "Time of closest approach");
    EXPECT_TRUE(dialog.Cell(0, 0).startsWith("Orbit: ")) << dialog.Cell(0, 0).toStdString();
    EXPECT_NE(dialog.Cell(0, 0), "Orbit: N/A");
    const int durationSeconds = static_cast<int>(std::lround((reference.los - reference.aos) / kSecond));
    EXPECT_EQ(dialog.Cell(1, 4), QString("%1:%2").arg(durationSeconds / 60).arg(durationSeconds % 60, 2, 10,
                                                                                   QChar('0')));
    EXPECT_EQ(dialog.TLELine1->text(), QString::fromLatin1(lines[1]));
    EXPECT_EQ(dialog.TLELine2->text(), QString::fromLatin1(lines[2]));
    EXPECT_NE(dialog.TLEDateLabel->text(), "N/A");
    EXPECT_TRUE(dialog.InfoLabel->text().contains("NOAA 18")) << dialog.InfoLabel->text().toStdString();
    EXPECT_TRUE(dialog.StationLabel->text().contains("Tromso"));
    EXPECT_EQ(dialog.CurrentImageLabel->text(), "2080 x 300 Duration: 2:30");
    EXPECT_EQ(dialog.WavLabel->text(), "/data/170501_NOAA_18.wav");
    dialog.hide();

    // The next window, without a pass, shows nothing of this one's pass.
    child.Pass.reset();
    dialog.show();
    EXPECT_EQ(dialog.Cell(0, 0), "Orbit: N/A");
    EXPECT_TRUE(dialog.TLELine1->text().isEmpty());
}

TEST_F(PassInformation, AWindowWithoutAPassStillShowsItsPictureChannelsAndWave)
{
    TPassInfoDlg dialog;
    dialog.Child = &child;
    dialog.show();
    for (QLabel* label : {dialog.InfoLabel, dialog.StationLabel, dialog.TLEDateLabel})
        EXPECT_EQ(label->text(), "N/A") << label->objectName().toStdString();
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            EXPECT_TRUE(dialog.Cell(column, row).isEmpty()) << column << "," << row;
    EXPECT_EQ(dialog.Cell(0, 0), "Orbit: N/A");
    EXPECT_EQ(dialog.CurrentImageLabel->text(), "2080 x 300 Duration: 2:30");
    EXPECT_EQ(dialog.CHVideoALabel->text(), "Visible Channel 2");
    EXPECT_EQ(dialog.CHVideoBLabel->text(), "Thermal Infrared Channel 4");
    EXPECT_EQ(dialog.WavLabel->text(), "/data/170501_NOAA_18.wav");
    dialog.hide();

    // Without telemetry neither channel is known.
    child.APT->Flags |= aptNoTelemetry;
    dialog.show();
    EXPECT_EQ(dialog.CHVideoALabel->text(), "N/A");
    EXPECT_EQ(dialog.CHVideoBLabel->text(), "N/A");
}

TEST(PassInformationDuration, TheWindowAndThePictureAreRoundedAlike)
{
    // A recording as long as its window: the window's length in the table
    // and the picture's (two lines a second) below it read the same.
    struct Case { double windowSeconds; int lines; const char* shown; };
    const Case cases[] = {{898.9, 1798, "14:59"}, {898.2, 1796, "14:58"}, {59.6, 120, "1:00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        TMDIChild child;
        passfixture::FillCompletePass(*child.APT, passfixture::CalibratedPass(c.lines));
        child.show();
        ASSERT_TRUE(child.ShowView(ivNormal, 0));
        auto pass = std::make_unique<TSat>(passwindow::Noaa18Pass(true));
        pass->WindowStop = pass->WindowStart + c.windowSeconds * kSecond;
        child.Pass = std::move(pass);
        TPassInfoDlg dialog;
        dialog.Child = &child;
        dialog.show();
        EXPECT_EQ(dialog.Cell(1, 4), c.shown);
        EXPECT_EQ(dialog.CurrentImageLabel->text(), QString("2080 x %1 Duration: %2").arg(c.lines).arg(c.shown));
    }
}

TEST_F(PassInformation, ColumnWidthsSetByTheUserComeBack)
{
    {
        TPassInfoDlg dialog;
        EXPECT_EQ(dialog.sig->columnWidth(0), 146);
        EXPECT_EQ(dialog.sig->columnWidth(4), 116);
        dialog.sig->setColumnWidth(2, 222);
    }
    TPassInfoDlg again;
    EXPECT_EQ(again.sig->columnWidth(2), 222);
    EXPECT_EQ(again.sig->columnWidth(1), 80);
    EXPECT_EQ(again.sig->columnCount(), 5);
}

TEST_F(PassInformation, TheCommandWaitsForAFinishedPassAndOnlyRaisesAShownDialog)
{
    child.APT->Flags &= ~aptComplete;  // still decoding
    child.Passinfo2->trigger();
    EXPECT_EQ(PassInfoDlg, nullptr) << "nothing shown";
    child.APT->Flags |= aptComplete;

    ModalAnswer<TPassInfoDlg> answer([&](TPassInfoDlg* dialog) {
        EXPECT_EQ(dialog->Child, &child);
        dialog->accept();
    });
    child.Passinfo2->trigger();
    EXPECT_EQ(answer.Count, 1);
    ASSERT_NE(PassInfoDlg, nullptr);
    EXPECT_EQ(PassInfoDlg->Child, nullptr) << "the window is not kept after the showing";

    PassInfoDlg->show();  // open, not modal
    child.Passinfo2->trigger();
    EXPECT_EQ(answer.Count, 1) << "no second modal run";
    EXPECT_TRUE(PassInfoDlg->isVisible());
    EXPECT_FALSE(child.ShowSwath1->isEnabled());
}
