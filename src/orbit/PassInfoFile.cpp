// The pass-information file, one item a line:
//
//   /* ... 22 lines of comment ... */
//   (empty line)
//   [TLE]        name, line 1, line 2 (rebuilt, fresh checksums)
//   [Time]       "9270.500000, Sat 19 May 2005 12:00:00 UTC" for the start, then the stop
//   [Info]       the downlink in MHz, an empty line when none
//   [Station]    name, latitude (north +), longitude (WEST +), altitude (m), each number
//                in the shortest text that reads back as itself ("52.52", "-13.4", "34")
//
// A reader looks each section up by its whole line, so their order does not
// matter, and the comment's "* [TLE]" lines are never taken for sections.
#include "orbit/PassInfoFile.h"

#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"
#include "platform/OneLine.h"

#include <QFile>
#include <QList>
#include <charconv>
#include <cstring>

namespace {

constexpr double PassStepBack = 0.014;
constexpr double LastDayNumber = 44196;  // 1 January 2101 00:00 UTC
constexpr int TLELineLimit = 74;
// A recording lasts minutes; a longer window, or one ending before it
// starts, is a damaged file's.
constexpr double LongestWindowDays = 1.0;
// The file is about a kilobyte; a larger one is not a pass-information file.
constexpr qint64 LargestFileBytes = 64 * 1024;

const char* const CommentBlock[] = {
    "/*", "* Satellite pass info file.", nullptr /* header */, "* Please do NOT modify this file!",
    "", "* File format:", "", "* [TLE]", "* Satellite name", "* Line 1", "* Line 2", "* [Time]",
    "* UTC Recording start daynumber", "* UTC Recording stop daynumber", "* [Info]",
    "* Current downlink frequency (Mhz)", "* [Station]", "* Name", "* Latitude", "* Longitude",
    "* Altitude", "*/"};

QByteArray TimeLine(double day)
{
    return QByteArray::fromStdString(cnum::Format("%f", day)) + ", " +
           TSat::DayNumberToText(day, 12).toLatin1() + " UTC";
}

// The shortest text that reads back as the same number ("52.52", "-13.4",
// "34"): the general format's six digits would move a station by metres.
QByteArray ExactNumber(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, result.ptr - text);
}

// The file's lines without their line ends (CR LF or LF).
QList<QByteArray> ReadLines(const QString& path, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    QList<QByteArray> lines;
    if (!ok)
        return lines;
    const QByteArray text = file.read(LargestFileBytes + 1);
    ok = text.size() <= LargestFileBytes;
    if (!ok)
        return lines;
    lines = text.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// Index of the line after the first line equal to section, or -1.
int SectionStart(const QList<QByteArray>& lines, const char* section)
{
    const int at = lines.indexOf(QByteArray(section));
    return at < 0 ? -1 : at + 1;
}

QByteArray LineAt(const QList<QByteArray>& lines, int index)
{
    return index >= 0 && index < lines.size() ? lines[index] : QByteArray();
}

}  // namespace

QString PassInfoHeader(const QString& versionText, TDateTime localTime)
{
    return QString("File saved with %1 on %2.")
        .arg(versionText, FormatDateTime("ddd d mmm yyyy hh:nn:ss", localTime));
}

bool TSat::WritePassInfoFile(const QString& header, const QString& path, TStation* station,
                             int flags, QString* error)
{
    if (!station) {
        if (error)
            *error = "No ground station for the pass information of " + path;
        return false;
    }
    if (!(flags & 1))
        WindowStop = CurrentDayNumber();  // written at the end of the recording

    QByteArray out;
    const auto line = [&out](const QByteArray& text) { out += text + '\n'; };
    for (const char* comment : CommentBlock)
        line(comment ? QByteArray(comment) : "* " + AsOneLine(header.toUtf8()));
    line("");

    char work[80], out1[80], out2[80];
    WriteTLE(nullptr, work, out1, out2, 0);
    line("[TLE]");
    line(AsOneLine(QByteArray(Name)));
    line(Line1);
    line(Line2);
    line("[Time]");
    line(TimeLine(WindowStart));
    line(TimeLine(WindowStop));
    line("[Info]");
    line(AsOneLine(Downlink.toUtf8()));
    line("[Station]");
    line(AsOneLine(station->Name.toUtf8()));
    line(ExactNumber(station->Latitude));
    line(ExactNumber(station->Longitude));
    line(ExactNumber(station->Altitude));

    QString reason;
    if (!WriteFileAtomically(path, out, reason)) {
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

bool TSat::ReadPassInfoFile(const QString& path)
{
    bool opened = false;
    const QList<QByteArray> lines = ReadLines(path, opened);
    if (!opened)
        return false;

    const int tle = SectionStart(lines, "[TLE]");
    if (tle < 0)
        return false;
    QByteArray name = AsOneLine(LineAt(lines, tle).left(TLELineLimit));
    const QByteArray line1 = LineAt(lines, tle + 1).left(TLELineLimit);
    const QByteArray line2 = LineAt(lines, tle + 2).left(TLELineLimit);
    if (!ParseTLE(name.data(), line1.constData(), line2.constData()))
        return false;
    const int time = SectionStart(lines, "[Time]");
    if (time < 0)
        return false;
    const auto dayOf = [](const QByteArray& text) {
        const int comma = text.indexOf(',');
        return cnum::ParseFloat(std::string_view(text.constData(), comma < 0 ? text.size() : comma));
    };
    WindowStart = dayOf(LineAt(lines, time));
    WindowStop = dayOf(LineAt(lines, time + 1));
    // Day numbers run from 1980 on; past 2100 a time is no recording's but
    // a damaged file's, and would not survive being turned into a date.
    if (!(WindowStart > 0 && WindowStart < LastDayNumber) || !(WindowStop > 0 && WindowStop < LastDayNumber))
        return false;
    if (WindowStop < WindowStart || WindowStop - WindowStart > LongestWindowDays)
        return false;

    StationGeodetic = {};
    StationName.clear();
    Station = nullptr;
    const int station = SectionStart(lines, "[Station]");
    if (station >= 0) {
        StationName = QString::fromUtf8(AsOneLine(LineAt(lines, station)));
        const auto number = [&](int offset) {
            return cnum::ParseFloat(std::string_view(LineAt(lines, station + offset).toStdString()));
        };
        StationGeodetic.Latitude = number(1) * DegreesToRadians;
        StationGeodetic.Longitude = -number(2) * DegreesToRadians;
        StationGeodetic.Altitude = number(3) / 1000;
    }
    Downlink.clear();
    const int info = SectionStart(lines, "[Info]");
    if (info >= 0)
        Downlink = QString::fromUtf8(AsOneLine(LineAt(lines, info)));
    PrepareElements();

    // The pass around the recording's start.
    Time = WindowStart - PassStepBack;
    if (SearchAOS() == 0)
        return false;  // no pass: nothing to describe
    const bool dayStart = SunElevation >= -6;
    const double latStart = Latitude;
    if (PredictLOS() == 0)
        return false;
    Daylight = dayStart || SunElevation > -6;
    const double latAtLOS = Latitude;
    PredictTCA(AOS);
    Northbound = latStart < latAtLOS;
    MakeFileBaseName();
    return true;
}

bool SavePassInfo(TSat& pass, const QString& folder, TStation* station,
                  const QString& versionText, int flags, QString* error)
{
    if (pass.FileBaseName.isEmpty())
        pass.MakeFileBaseName();
    const QString path = folder + "/" + pass.FileBaseName + ".txt";
    return pass.WritePassInfoFile(PassInfoHeader(versionText, NowLocal()), path, station, flags,
                                  error);
}
