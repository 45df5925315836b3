// Pass-information files written and read back.
#include "PassFixtures.h"
#include "orbit/PassInfoFile.h"
#include "platform/CNumbers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

using namespace passfixtures;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The sections of a written file, each with its lines, and the comment.
QList<QByteArray> Sections(const QByteArray& file)
{
    QList<QByteArray> parts;
    for (const QByteArray& line : file.split('\n')) {
        if (line.startsWith('[') || parts.isEmpty())
            parts.append(QByteArray());
        parts.last() += line + '\n';
    }
    return parts;
}

class PassInfoFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Load(pass, Noaa18, "137.9125"));
        ASSERT_TRUE(pass.PredictPass(&berlin, Day(2021, 11, 1, 6), 0));
        pass.WindowStart = pass.AOS + 30 * Second;
        pass.WindowStop = pass.LOS - 30 * Second;
        pass.MakeFileBaseName();
        dir = testenv::ProgramDir() + "audio";
    }

    TStation berlin = Station(52.52, 13.40, 34.0, "Berlin roof");
    TSat pass;
    QString dir;
};

}  // namespace

TEST_F(PassInfoFile, WrittenInItsFormat)
{
    const QString path = dir + "/pass.txt";
    ASSERT_TRUE(pass.WritePassInfoFile("File saved with Orvanta 1 on now.", path, &berlin, 1));
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_GE(lines.size(), 38);
    EXPECT_EQ(lines[0], "/*");
    EXPECT_EQ(lines[2], "* File saved with Orvanta 1 on now.");
    EXPECT_EQ(lines[21], "*/");
    EXPECT_EQ(lines[22], "");
    EXPECT_EQ(lines[23], "[TLE]");
    EXPECT_EQ(lines[24], "NOAA 18");
    EXPECT_EQ(lines[25], Noaa18.line1);
    EXPECT_EQ(lines[26], Noaa18.line2);
    EXPECT_EQ(lines[27], "[Time]");
    EXPECT_EQ(lines[28].toStdString(),
              cnum::Format("%f", pass.WindowStart) + ", " +
                  TSat::DayNumberToText(pass.WindowStart, 12).toStdString() + " UTC");
    EXPECT_EQ(lines[30], "[Info]");
    EXPECT_EQ(lines[31], "137.9125");
    EXPECT_EQ(lines[32], "[Station]");
    EXPECT_EQ(lines[33], "Berlin roof");
    EXPECT_EQ(lines[34], "52.52");
    EXPECT_EQ(lines[35], "-13.4");
    EXPECT_EQ(lines[36], "34");

    // A day number 9270.5 is written with six decimals and its date.
    pass.WindowStart = 9270.5;
    ASSERT_TRUE(pass.WritePassInfoFile("h", path, &berlin, 1));
    EXPECT_TRUE(ReadAll(path).contains("\n9270.500000, " +
                                       TSat::DayNumberToText(9270.5, 12).toLatin1() + " UTC\n"));
    EXPECT_FALSE(QFile::exists(path + ".tmp"));
}

TEST_F(PassInfoFile, ReadBackInAnySectionOrder)
{
    const QString path = dir + "/pass.txt";
    ASSERT_TRUE(pass.WritePassInfoFile("header", path, &berlin, 1));
    QList<QByteArray> parts = Sections(ReadAll(path));
    ASSERT_EQ(parts.size(), 5);  // comment, [TLE], [Time], [Info], [Station]
    const QString reordered = dir + "/reordered.txt";
    WriteAll(reordered, parts[0] + parts[4] + parts[3] + parts[2] + parts[1]);

    for (const QString& file : {path, reordered}) {
        TSat read;
        ASSERT_TRUE(read.ReadPassInfoFile(file)) << file.toStdString();
        EXPECT_STREQ(read.Name, "NOAA 18");
        EXPECT_STREQ(read.Line1, Noaa18.line1);
        EXPECT_NEAR(read.WindowStart, pass.WindowStart, 1e-6);
        EXPECT_NEAR(read.WindowStop, pass.WindowStop, 1e-6);
        EXPECT_EQ(read.Downlink, "137.9125");
        EXPECT_EQ(read.StationName, "Berlin roof");
        EXPECT_NEAR(read.StationGeodetic.Latitude, 52.52 * DegreesToRadians, 1e-12);
        EXPECT_NEAR(read.StationGeodetic.Longitude, 13.40 * DegreesToRadians, 1e-12);
        EXPECT_NEAR(read.StationGeodetic.Altitude, 0.034, 1e-12);
        EXPECT_EQ(read.Station, nullptr);
        // The pass around the recording, as the search finds it.
        EXPECT_NEAR(read.AOS, pass.AOS, 2 * Second);
        EXPECT_NEAR(read.LOS, pass.LOS, 2 * Second);
        EXPECT_NEAR(read.MaxElevation, pass.MaxElevation, 0.01);
        EXPECT_EQ(read.Northbound, pass.Northbound);
        EXPECT_EQ(read.FileBaseName, pass.FileBaseName);
    }
}

TEST_F(PassInfoFile, MissingAndDamagedSections)
{
    const QString path = dir + "/pass.txt";
    ASSERT_TRUE(pass.WritePassInfoFile("header", path, &berlin, 1));
    const QList<QByteArray> parts = Sections(ReadAll(path));
    ASSERT_EQ(parts.size(), 5);

    const QString bare = dir + "/bare.txt";
    WriteAll(bare, parts[1] + parts[2]);
    TSat read;
    ASSERT_TRUE(read.ReadPassInfoFile(bare)) << "station and downlink are optional";
    EXPECT_EQ(read.StationName, "");
    EXPECT_EQ(read.StationGeodetic.Latitude, 0);
    EXPECT_EQ(read.StationGeodetic.Longitude, 0);
    EXPECT_EQ(read.StationGeodetic.Altitude, 0);
    EXPECT_EQ(read.Downlink, "");

    struct Case {
        const char* name;
        QByteArray content;
    };
    QByteArray zeroStart = parts[2];
    const int startAt = zeroStart.indexOf('\n') + 1;
    zeroStart.replace(startAt, zeroStart.indexOf(',') - startAt, "0.000000");
    QByteArray badLine2 = parts[1];
    badLine2.replace("2 28654  98", "2 28654  99");  // checksum no longer right
    // Meteosat 8 from Berlin: the set is fine, but there is no AOS to find.
    TSat geo;
    ASSERT_TRUE(Load(geo, Meteosat8));
    char work[80], l1[80], l2[80];
    geo.WriteTLE(nullptr, work, l1, l2, 0);
    const QByteArray geoSet = QByteArray("[TLE]\n") + geo.Name + "\n" + geo.Line1 + "\n" + geo.Line2 + "\n";
    const Case cases[] = {
        {"no [TLE]", parts[2] + parts[3]},
        {"no [Time]", parts[1] + parts[4]},
        {"start of 0", parts[1] + zeroStart},
        {"stop missing", parts[1] + "[Time]\n15281.25, x\n"},
        {"stop far beyond 2100", parts[1] + "[Time]\n15281.25, x\n1e20, y\n"},
        {"stop on the first day of 2101", parts[1] + "[Time]\n15281.25, x\n44196.0, y\n"},
        {"damaged set", badLine2 + parts[2]},
        {"no AOS", geoSet + parts[2] + parts[4]},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        const QString file = dir + "/case.txt";
        WriteAll(file, c.content);
        TSat sat;
        EXPECT_FALSE(sat.ReadPassInfoFile(file)) << c.name;
    }
    TSat none;
    EXPECT_FALSE(none.ReadPassInfoFile(dir + "/missing.txt"));

    // The window runs forwards and for a day at most: a stop before the
    // start or decades after it is a damaged file's.
    const double start = pass.WindowStart;
    const auto withStop = [&](double stop) {
        return parts[1] + "[Time]\n" + QByteArray::fromStdString(cnum::Format("%f", start)) + ", x\n" +
               QByteArray::fromStdString(cnum::Format("%f", stop)) + ", y\n";
    };
    struct WindowCase {
        const char* name;
        double stop;
        bool ok;
    };
    const WindowCase windows[] = {
        {"stop a second before the start", start - Second, false},
        {"stop at the start", start, true},
        {"a second short of a day", start + 1 - Second, true},
        {"a day and a second long", start + 1 + 2 * Second, false},
        {"stop in 2100", 44195.999988, false},
    };
    for (const WindowCase& c : windows) {
        const QString file = dir + "/window.txt";
        WriteAll(file, withStop(c.stop));
        TSat sat;
        EXPECT_EQ(sat.ReadPassInfoFile(file), c.ok) << c.name;
    }

    // A file too large to be one is not read at all.
    QByteArray large = ReadAll(path);
    large.prepend(QByteArray(64 * 1024, ' ') + "\n");
    const QString big = dir + "/big.txt";
    WriteAll(big, large);
    TSat tooLarge;
    EXPECT_FALSE(tooLarge.ReadPassInfoFile(big));
}

TEST_F(PassInfoFile, StationValuesReadBackAsWritten)
{
    const QString path = dir + "/station.txt";
    TStation exact = Station(52.5234567891, -0.0001234567, 1234.5678, "Roof\nnorth side");
    ASSERT_TRUE(pass.WritePassInfoFile("header", path, &exact, 1));
    TSat read;
    ASSERT_TRUE(read.ReadPassInfoFile(path));
    EXPECT_EQ(read.StationName, "Roof north side") << "a line break in the name does not move the numbers";
    EXPECT_DOUBLE_EQ(read.StationGeodetic.Latitude, 52.5234567891 * DegreesToRadians);
    EXPECT_DOUBLE_EQ(read.StationGeodetic.Longitude, -0.0001234567 * DegreesToRadians);
    EXPECT_DOUBLE_EQ(read.StationGeodetic.Altitude, 1.2345678);
}

TEST_F(PassInfoFile, ACarriageReturnInsideAValueReadsAsItIsWritten)
{
    // A file edited elsewhere: carriage returns inside the name, the
    // downlink and the station name, and CR LF line ends.
    const QString path = dir + "/edited.txt";
    ASSERT_TRUE(pass.WritePassInfoFile("header", path, &berlin, 1));
    QByteArray text = ReadAll(path);
    text.replace("\nNOAA 18\n", "\nNOAA\r18\n").replace("\n137.9125\n", "\n137.9\r125\n");
    text.replace("\nBerlin roof\n", "\nBerlin\rroof\n").replace("\n", "\r\n");
    WriteAll(path, text);

    TSat first;
    ASSERT_TRUE(first.ReadPassInfoFile(path));
    TStation station = berlin;
    station.Name = first.StationName;
    const QString again = dir + "/again.txt";
    ASSERT_TRUE(first.WritePassInfoFile("header", again, &station, 1));
    TSat second;
    ASSERT_TRUE(second.ReadPassInfoFile(again));
    EXPECT_EQ(QByteArray(second.Name), QByteArray(first.Name));
    EXPECT_EQ(second.Downlink, first.Downlink);
    EXPECT_EQ(second.StationName, first.StationName);
    EXPECT_EQ(first.StationName, "Berlin roof") << "read as it would be written: one line, a blank";
}

TEST_F(PassInfoFile, SavedBesideTheRecordingAndWriteFailures)
{
    pass.FileBaseName.clear();
    const double before = TSat::CurrentDayNumber();
    ASSERT_TRUE(SavePassInfo(pass, dir, &berlin, "Orvanta 0.1", 0));
    EXPECT_EQ(pass.FileBaseName, TSat::DayNumberToText(pass.WindowStart, 40) + "_NOAA_18");
    EXPECT_NEAR(pass.WindowStop, before, 2 * Second) << "flags 0: the stop is now";
    const QByteArray written = ReadAll(dir + "/" + pass.FileBaseName + ".txt");
    EXPECT_TRUE(written.startsWith("/*\n* Satellite pass info file.\n* File saved with Orvanta 0.1 on "));

    QString error;
    EXPECT_FALSE(SavePassInfo(pass, dir, nullptr, "v", 1, &error)) << "no station";
    EXPECT_FALSE(error.isEmpty());

    // A folder that cannot be made (a file stands in its place): false with
    // the reason, and nothing half-written.
    WriteAll(dir + "/blocker", "x");
    error.clear();
    EXPECT_FALSE(pass.WritePassInfoFile("h", dir + "/blocker/pass.txt", &berlin, 1, &error));
    EXPECT_TRUE(error.contains("blocker")) << error.toStdString();

    // A header with line breaks stays one comment line.
    ASSERT_TRUE(pass.WritePassInfoFile("one\n[TLE]\ntwo", dir + "/h.txt", &berlin, 1));
    const QList<QByteArray> lines = ReadAll(dir + "/h.txt").split('\n');
    EXPECT_EQ(lines[2], "* one [TLE] two");
    EXPECT_EQ(lines.count("[TLE]"), 1);
}
