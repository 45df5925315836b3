#include "tracking/ElementSetSources.h"

#include "platform/AtomicFile.h"
#include "platform/OneLine.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The public element-set service of the built-in sources: one group of
// satellites a document, in the two-line format. It answers over https only.
const char kSourceQuery[] = "https://celestrak.org/NORAD/elements/gp.php?FORMAT=tle&GROUP=";

struct DefaultSource {
    const char* Name;  // the service's name of the group
    const char* Group;
};

const DefaultSource kCurrentDataSources[] = {
    {"noaa", "NOAA"},
    {"weather", "Weather"},
    {"goes", "GOES"},
    {"resource", "Earth Resources"},
    {"sarsat", "Search & Rescue"},
    {"tdrss", "Tracking and Data Relay Satellite System (TDRSS)"},
    {"geo", "Geostationary"},
    {"intelsat", "Intelsat"},
    {"gorizont", "Gorizont"},
    {"raduga", "Raduga"},
    {"molniya", "Molniya"},
    {"iridium", "Iridium"},
    {"orbcomm", "Orbcomm"},
    {"globalstar", "Globalstar"},
    {"amateur", "Amateur Radio"},
    {"x-comm", "Experimental"},
    {"other-comm", "Other Communication Satellites"},
    {"gps-ops", "GPS Operational"},
    {"glo-ops", "Glonass Operational"},
    {"nnss", "Navy Navigation Satellite System (NNSS)"},
    {"musson", "Russian LEO Navigation"},
    {"science", "Space & Earth Science"},
    {"geodetic", "Geodetic"},
    {"engineering", "Engineering"},
    {"education", "Education"},
    {"military", "Military"},
    {"last-30-days", "Last 30 Days' Launches"},
    {"stations", "International Space Station"},
    {"visual", "100 (or so) Brightest"},
    {"other", "Miscellaneous"},
};

// The longest line the list files are meant to hold, which a typed URL must
// fit. The reader takes every line whole, a longer one too, so no value
// (a URL written by hand, a long server date, text that grew to UTF-8 on
// being written back) ever reads as two fields.
constexpr int kMaxLineLength = 511;

// Lines of the file without their line ends (CR LF or LF), each whole.
QList<QByteArray> ReadLines(const QString& path, bool& opened)
{
    QFile file(path);
    opened = file.open(QIODevice::ReadOnly);
    QList<QByteArray> lines;
    while (opened && !file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines << AsOneLine(line);
    }
    return lines;
}

QString FieldOr(const QList<QByteArray>& lines, int index, const char* whenEmpty)
{
    if (index >= lines.size())
        return {};  // the file ended inside the record
    const QString text = QString::fromUtf8(lines[index]);
    return text.isEmpty() ? QString(whenEmpty) : text;
}

}  // namespace

QString SourceURLProblem(const QString& url)
{
    if (url.contains('\n') || url.contains('\r'))
        return "A URL must be one line.";
    const qsizetype limit = kMaxLineLength - 2;  // the brackets around it
    const qsizetype length = url.toUtf8().size();
    if (length > limit)
        return QString("This URL is %1 characters long; the list of sources keeps URLs of at most %2 "
                       "characters.")
            .arg(length)
            .arg(limit);
    return {};
}

TSourceRows ReadSourceList(const QString& path, TSourceKind kind)
{
    bool opened = false;
    const QList<QByteArray> lines = ReadLines(path, opened);
    const bool withGroup = kind == TSourceKind::CurrentData;
    TSourceRows rows;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith('['))
            continue;
        const QByteArray rest = lines[i].mid(1);
        // The writer closes the line with the bracket, and a URL may hold
        // one itself ("http://[::1]:8080/"): the last one closes it.
        const int close = rest.lastIndexOf(']');
        const QString url = QString::fromUtf8(close < 0 ? rest : rest.left(close));
        if (url.isEmpty())
            continue;
        // The lines after a "[" line are the record's fields, whatever they hold.
        TSourceRow row;
        row.URL = url;
        row.Modified = FieldOr(lines, i + 1, "N/A");
        if (withGroup)
            row.Group = FieldOr(lines, i + 2, "");
        row.Download = FieldOr(lines, i + (withGroup ? 3 : 2), "No");
        rows << row;
        i += withGroup ? 3 : 2;
    }
    return rows;
}

bool WriteSourceList(const QString& path, const TSourceRows& rows, TSourceKind kind, const QString& versionText,
                     QString& error)
{
    const bool withGroup = kind == TSourceKind::CurrentData;
    QByteArray text = "/*\n * " + versionText.toUtf8() + "\n";
    text += withGroup ? " * NORAD Two-Line Element Sets Current Data configuration file.\n"
                      : " * NORAD Two-Line Element Sets Historical Archives configuration file.\n";
    text += " * File created on " + FormatDateTime("ddd mmm d yyyy hh:nn:ss", NowLocal()).toUtf8() + "\n";
    text += " *\n * File format:\n *\n * [URL]\n * Modified date\n";
    if (withGroup)
        text += " * Group name\n";
    text += " * Download (Yes/No)\n *\n */\n\n";
    for (const TSourceRow& row : rows) {
        if (row.URL.isEmpty())
            continue;
        text += "[" + AsOneLine(row.URL).toUtf8() + "]\n";
        text += AsOneLine(row.Modified.isEmpty() ? QString("N/A") : row.Modified).toUtf8() + "\n";
        if (withGroup)
            text += AsOneLine(row.Group).toUtf8() + "\n";
        text += AsOneLine(row.Download.isEmpty() ? QString("No") : row.Download).toUtf8() + "\n";
    }
    return WriteFileAtomically(path, text, error);
}

TSourceRows DefaultSources(TSourceKind kind)
{
    TSourceRows rows;
    // No public service offers the archives of old element sets without an
    // account: the archive list starts empty, for the user's own sources.
    if (kind == TSourceKind::CurrentData) {
        for (const DefaultSource& source : kCurrentDataSources)
            rows << TSourceRow{QString(kSourceQuery) + source.Name, "N/A", source.Group, rows.isEmpty() ? "Yes" : "No"};
    }
    return rows;
}

QStringList InitialGroupNames()
{
    return {"Weather", "NOAA Weather", "GOES Weather", "Earth Resources", "Search & Rescue (SARSAT)",
            "Tracking and Data Relay Satellite System (TDRSS)", "Geostationary", "Intelsat", "Gorizont", "Raduga",
            "Molniya", "Iridium", "Orbcomm", "Globalstar", "Amateur Radio", "Experimental",
            "Other Communication Satellites", "GPS Operational", "Glonass Operational",
            "NAVY Navigation Satellite System (NNSS)", "Russian LEO Navigation", "Space & Earth Sciense", "Geodetic",
            "Engineering", "Education", "Military", "Radar Calibration", "Last 30 Days' Launches",
            "International Space Stations", "100 (or so) Brightest", "Miscellaneous"};
}

QString ArchiveDocumentName(TDateTime date, const QString& documentName)
{
    return FormatDateTime("yy_mm_hhnnss", date) + "_" + documentName;
}

bool MoveWithoutReplacing(const QString& from, const QString& to, QString& error)
{
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    // link() refuses an existing target where rename() would replace it.
    if (::link(source.constData(), target.constData()) != 0) {
        error = QString("%1: %2").arg(to, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ::unlink(source.constData());
    return true;
}
