#include "imaging/RecordingPass.h"
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const char kTle[] = "NOAA 18\n"
                    "1 28654U 05018A   17122.57284716  .00000011  00000-0  31613-4 0  9992\n"
                    "2 28654  99.1857 143.6655 0014096 195.4970 164.5770 14.12335206615729\n";

QString WriteFile(const QString& name, const QByteArray& text)
{
    QDir().mkpath(testenv::ProgramDir());
    const QString path = testenv::ProgramDir() + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

}  // namespace

TEST(RecordingPass, ReadsTheSectionsInAnyOrder)
{
    // Day number 13636.583333 is Mon 1 May 2017 14:00:00 UTC.
    const QByteArray text = QByteArray("/*\n* comment\n*/\n\n[Station]\nHome\n52.1\n-5.2\n80\n[Info]\n137.9125\n") +
                            "[Time]\n13636.583333, Tue 2 May 2017 14:00:00 UTC\n13636.590278, Tue 2 May 2017 "
                            "14:10:00 UTC\n[TLE]\n" + kTle;
    const QString wav = WriteFile("170502_140000_NOAA_18.wav", "RIFF");
    WriteFile("170502_140000_NOAA_18.txt", text);
    TSat pass;
    ASSERT_TRUE(ReadPassBesideRecording(wav, pass));
    EXPECT_STREQ(pass.Name, "NOAA 18");
    EXPECT_EQ(pass.Downlink.toStdString(), "137.9125");
    EXPECT_EQ(pass.StationName.toStdString(), "Home");
    EXPECT_EQ(pass.FileBaseName.toStdString(), "170501_140000_NOAA_18");
    EXPECT_EQ(RecordingSeconds(pass), 600);
    EXPECT_EQ(pass.GetPassDescription(0).toStdString(),
              QString("NOAA 18 APT 137.9125 MHz, %1 On Mon 1 May 2017 14:00:00-14:10:00 UTC")
                  .arg(pass.Northbound ? "Northbound" : "Southbound")
                  .toStdString());
}

TEST(RecordingPass, RefusesFilesWithoutAPass)
{
    struct Case {
        const char* name;
        QByteArray text;
    };
    const Case cases[] = {
        {"start of 0", QByteArray("[TLE]\n") + kTle + "[Time]\n0, x\n13636.59, y\n"},
        {"no time section", QByteArray("[TLE]\n") + kTle},
        {"damaged element set", "[TLE]\nNOAA 18\n1 28654U\n2 28654\n[Time]\n13636.5, x\n13636.6, y\n"},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        TSat pass;
        EXPECT_FALSE(ReadRecordingPass(WriteFile("bad.txt", c.text), pass)) << c.name;
    }
    TSat pass;
    EXPECT_FALSE(ReadPassBesideRecording(testenv::ProgramDir() + "none.wav", pass));
}
