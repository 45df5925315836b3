#include "imaging/RecordingPass.h"

#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "platform/CNumbers.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <cmath>
#include <cstring>

namespace {

// The line after the section's header, offset lines further on; empty when missing.
QString SectionLine(const QStringList& lines, const char* section, int offset)
{
    const int header = lines.indexOf(section);
    if (header < 0 || header + 1 + offset >= lines.size())
        return {};
    return lines[header + 1 + offset];
}

double DayNumberBeforeComma(const QString& line)
{
    return cnum::ParseFloat(line.section(',', 0, 0));
}

}  // namespace

bool ReadRecordingPass(const QString& path, TSat& pass)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return false;
    QStringList lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        QByteArray line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromUtf8(line);
    }
    if (!lines.contains("[TLE]") || !lines.contains("[Time]"))
        return false;
    QByteArray name = SectionLine(lines, "[TLE]", 0).toLatin1().left(74);
    const QByteArray line1 = SectionLine(lines, "[TLE]", 1).toLatin1().left(74);
    const QByteArray line2 = SectionLine(lines, "[TLE]", 2).toLatin1().left(74);
    if (!pass.ParseTLE(name.data(), line1.constData(), line2.constData()))
        return false;
    const double start = DayNumberBeforeComma(SectionLine(lines, "[Time]", 0));
    const double stop = DayNumberBeforeComma(SectionLine(lines, "[Time]", 1));
    if (!(start > 0) || !(stop > 0))
        return false;
    pass.WindowStart = start;
    pass.WindowStop = stop;
    pass.Station = nullptr;
    pass.StationName = SectionLine(lines, "[Station]", 0);
    pass.Downlink = SectionLine(lines, "[Info]", 0).trimmed();
    pass.PrepareElements();

    // The direction from the sub-satellite latitude at both ends of the window.
    pass.Time = start;
    pass.ComputePosition();
    const double startLatitude = pass.Latitude;
    pass.Time = stop;
    pass.ComputePosition();
    pass.Northbound = startLatitude < pass.Latitude;

    QString baseName = pass.Name;
    baseName = baseName.trimmed().replace(' ', '_');
    pass.FileBaseName = FormatDateTime("yymmdd_hhnnss", TSat::DayNumberToDateTime(start)) + "_" + baseName;
    return true;
}

bool ReadPassBesideRecording(const QString& audioPath, TSat& pass)
{
    const int slash = audioPath.lastIndexOf('/');
    const int dot = audioPath.lastIndexOf('.');
    const QString base = dot > slash ? audioPath.left(dot) : audioPath;
    return ReadRecordingPass(base + ".txt", pass);
}


int RecordingSeconds(const TSat& pass)
{
    const double seconds = (pass.WindowStop - pass.WindowStart) * 86400.0;
    return seconds > 0 && seconds < 86400 ? static_cast<int>(std::lround(seconds)) : 0;
}
