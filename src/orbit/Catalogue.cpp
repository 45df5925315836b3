// "sattrack.tle" holds name line, line 1 and line 2 per satellite; element
// servers' files with '#' comment lines and empty lines between sets load
// too, with CR LF or LF line ends and with or without a final newline.
//
// "sattrack.db" as written:
//   /*
//    * Orvanta 0.1.0.0 database file.
//    ...comment block...
//    */
//   (empty line)
//   [NOAA 18]
//   NOAA                 group (empty line: none)
//   137.9125             downlink, MHz (empty line: none)
//   1                    APT satellite
//   1                    checked in the download dialog
// An entry is found by its whole "[name]" line, so order does not matter.
#include "orbit/Catalogue.h"

#include "orbit/SatFileName.h"
#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <cstring>

namespace {

constexpr int TLELineLimit = 74;
constexpr int DatabaseLineLimit = 254;
// Element lines are 69 characters; a name line holds at most 24 (padded).
constexpr int DamagedLineLength = 60;

// The lines of a text file without their line ends; false when it cannot be read.
bool ReadLines(const QString& path, QList<QByteArray>& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the final newline ends the last line
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return true;
}

// The database, looked up by the whole "[name]" line (first one wins).
class TSatDatabase {
public:
    explicit TSatDatabase(const QString& path) : path_(path)
    {
        ReadLines(path, lines_);
        for (int i = lines_.size() - 1; i >= 0; --i)
            if (lines_[i].startsWith('['))
                entries_.insert(lines_[i], i + 1);
    }

    // Fills the satellite's catalogue data from its entry; checked is read
    // only when wanted. False when the database has no entry for it.
    bool Fill(TSat& sat, const QString& group, bool* checked, QStringList& problems) const
    {
        const QByteArray header = QByteArray("[") + sat.Name + "]";
        const auto it = entries_.find(header);
        if (it == entries_.end())
            return false;
        const int first = it.value();
        const int wanted = checked ? 4 : 3;
        int available = 0;
        while (available < wanted && first + available < lines_.size() &&
               !lines_[first + available].startsWith('['))
            ++available;
        if (available < wanted)
            problems << QString("%1: the entry %2 is cut short; its missing lines count as empty")
                            .arg(path_, QString::fromLatin1(header));
        const auto line = [&](int k) {
            return k < available ? lines_[first + k].left(DatabaseLineLimit) : QByteArray();
        };
        const QByteArray groupLine = line(0);
        sat.Group = groupLine.isEmpty() ? group : QString::fromLatin1(groupLine);
        const QByteArray downlink = line(1).trimmed();
        double mhz = 0;
        if (!downlink.isEmpty() && !cnum::TryParseFloat(downlink.toStdString(), mhz)) {
            problems << QString("%1: the downlink \"%2\" of %3 is not a frequency; it was skipped")
                            .arg(path_, QString::fromLatin1(downlink), QString::fromLatin1(header));
            sat.Downlink.clear();
        } else {
            sat.Downlink = QString::fromLatin1(downlink);
        }
        sat.APTSatellite = FlagLine(line(2), header, "APT flag", problems);
        if (checked)
            *checked = FlagLine(line(3), header, "check mark", problems);
        return true;
    }

private:
    // '1' at the start means yes; anything but '0' or '1' is reported.
    unsigned char FlagLine(const QByteArray& text, const QByteArray& header, const char* what,
                           QStringList& problems) const
    {
        if (!text.isEmpty() && text[0] != '0' && text[0] != '1')
            problems << QString("%1: the %2 \"%3\" of %4 is neither 0 nor 1; it counts as 0")
                            .arg(path_, what, QString::fromLatin1(text), QString::fromLatin1(header));
        return text.startsWith('1') ? 1 : 0;
    }

    QString path_;
    QList<QByteArray> lines_;
    QHash<QByteArray, int> entries_;  // "[name]" -> index of its first data line
};

TSatListItem* FindItem(TSatCheckList& list, const QString& name)
{
    for (TSatListItem& item : list)
        if (item.Name == name)
            return &item;
    return nullptr;
}

const TSatListItem* FindItem(const TSatCheckList* list, const QString& name)
{
    if (list)
        for (const TSatListItem& item : *list)
            if (item.Name == name)
                return &item;
    return nullptr;
}

// The epoch as a sortable number: the two-digit year (57-99 for 1957-1999,
// 00-56 for 2000-2056) and the day of the year.
double EpochKey(const TSat& sat)
{
    return (sat.EpochYear < 57 ? 2000 + sat.EpochYear : 1900 + sat.EpochYear) * 1000.0 + sat.EpochDay;
}

QString LineText(const QString& path, int index) { return QString("%1, line %2").arg(path).arg(index + 1); }

// The name line of a set as the loader takes it back: a line that starts
// with '#' is a comment, so a name that does (taken from an indented line)
// keeps one blank before it, which the loader trims again.
QByteArray NameLine(const char* name)
{
    return name[0] == '#' ? QByteArray(" ") + name : QByteArray(name);
}

}  // namespace

bool HasLaterEpoch(const TSat& candidate, const TSat& current)
{
    return EpochKey(candidate) > EpochKey(current);
}

TSatelliteList::~TSatelliteList()
{
    FreeSatellites(*this);
}

void FreeSatellites(PList& list)
{
    for (int i = 0; i < list.Count; ++i)
        delete static_cast<TSat*>(list.Get(i));
    list.Clear();
}

QString GroupNameProblem(const QString& group)
{
    if (group.startsWith('['))
        return "A group name must not begin with \"[\": the satellite database starts an entry there.";
    if (group.contains('\n') || group.contains('\r'))
        return "A group name must be one line.";
    if (group.toLatin1().size() > DatabaseLineLimit)
        return QString("A group name can hold at most %1 characters.").arg(DatabaseLineLimit);
    for (const QChar c : group)
        if (c.unicode() > 0xFF)
            return QString("The character \"%1\" cannot be stored in the satellite database.").arg(c);
    return {};
}

TSat* FindSatellite(PList* list, const QString& name)
{
    if (!list)
        return nullptr;
    const QByteArray wanted = name.toLatin1();
    for (int i = 0; i < list->Count; ++i) {
        auto* sat = static_cast<TSat*>(list->Get(i));
        if (sat && wanted == sat->Name)
            return sat;
    }
    return nullptr;
}

TTLELoadResult LoadTLEFile(const QString& path, const QString& dbPath, const QString& group,
                           PList* catalogue, TSatCheckList* list)
{
    TTLELoadResult result;
    if (!QFile::exists(path)) {
        result.State = TTLELoadResult::Missing;
        return result;
    }
    QList<QByteArray> lines;
    if (!ReadLines(path, lines)) {
        result.State = TTLELoadResult::Unreadable;
        return result;
    }
    const TSatDatabase database(dbPath);
    TSat work;
    int i = 0;
    while (i < lines.size()) {
        const int nameIndex = i++;
        QByteArray nameLine = lines[nameIndex].left(TLELineLimit);
        if (nameLine.trimmed().isEmpty() || nameLine.startsWith('#'))
            continue;
        work.Reset();
        work.SetName(nameLine.data());
        const QString name = QString::fromLatin1(work.Name);
        const bool elementsFollow = i < lines.size() && lines[i].startsWith('1');
        if (name.isEmpty()) {
            // A line too short to be a name: with element lines behind it the
            // set has no name to be known by and is refused, lines and all.
            if (!elementsFollow)
                continue;
            result.Problems << LineText(path, nameIndex) + ": the set's name \"" +
                                   QString::fromLatin1(nameLine.trimmed()) +
                                   "\" is empty or shorter than two characters; skipped";
            ++result.BadSets;
            ++i;
            if (i < lines.size() && lines[i].startsWith('2'))
                ++i;
            continue;
        }
        if (i >= lines.size()) {
            result.Problems << LineText(path, nameIndex) + ": \"" + name + "\" has no element lines";
            break;
        }
        if (!elementsFollow) {
            // The name is dropped; the line is read again as the next name.
            result.Problems << LineText(path, nameIndex) + ": \"" + name + "\" is not followed by line 1 of a set; skipped";
            continue;
        }
        const QByteArray line1 = lines[i++].left(TLELineLimit);
        if (i >= lines.size() || !lines[i].startsWith('2')) {
            // A set cut short: counted as bad, and the reading goes on after
            // line 1, so one damaged set does not lose all the sets behind it.
            result.Problems << LineText(path, i) + ": the set of \"" + name + "\" has no line 2; skipped";
            ++result.BadSets;
            if (i < lines.size() && lines[i].trimmed().size() >= DamagedLineLength)
                ++i;  // a damaged line 2, no name: the next set starts after it
            continue;
        }
        const QByteArray line2 = lines[i++].left(TLELineLimit);

        bool checked = false;
        if (!database.Fill(work, group, list ? &checked : nullptr, result.Problems))
            work.Group = group;

        if (!list && FindSatellite(catalogue, name)) {
            ++result.Duplicates;
            continue;
        }
        QByteArray parsedName = QByteArray(work.Name);
        if (!work.ParseTLE(parsedName.data(), line1.constData(), line2.constData())) {
            result.Problems << LineText(path, nameIndex) + ": the set of \"" + name + "\" is damaged; skipped";
            ++result.BadSets;
            continue;
        }
        if (TSatListItem* item = list ? FindItem(*list, name) : nullptr) {
            // Listed already: a later set replaces the listed one, so a newer
            // file fetched in the same run is not lost behind an older one.
            // The user's check mark stays.
            if (HasLaterEpoch(work, *item->Sat))
                item->Sat->Assign(work);
            ++result.Duplicates;
            continue;
        }
        if (list)
            list->push_back({name, std::make_unique<TSat>(work), checked});
        else if (catalogue)
            catalogue->Add(new TSat(work));
        ++result.Taken;
    }
    return result;
}

bool SaveSatelliteDatabase(const PList& catalogue, const QString& dbPath,
                           const QString& versionText, const TSatCheckList* downloadList,
                           QString& error)
{
    QByteArray out;
    const auto line = [&out](const QByteArray& text) { out += text + '\n'; };
    line("/*");
    line(" * " + versionText.toUtf8() + " database file.");
    line(" * File saved on " + FormatDateTime("ddd d mmm yyyy hh:nn:ss", NowLocal()).toLatin1());
    for (const char* text : {" *", " * File format:", " *", " * [Satellite Name]", " * Group",
                             " * Downlink", " * APT-Satellite (1=yes, 0=no)",
                             " * Checked in download dialog (1=yes, 0=no)", " *", " */", ""})
        line(text);
    for (int i = 0; i < catalogue.Count; ++i) {
        const auto* sat = static_cast<const TSat*>(catalogue.Get(i));
        const QString name = QString::fromLatin1(sat->Name);
        const TSatListItem* item = FindItem(downloadList, name);
        const bool checked = sat->APTSatellite || (item && item->Checked);
        line(QByteArray("[") + sat->Name + "]");
        line(sat->Group.toLatin1());
        line(sat->Downlink.toLatin1());
        line(sat->APTSatellite ? "1" : "0");
        line(checked ? "1" : "0");
    }
    return WriteFileAtomically(dbPath, out, error);
}

bool SaveTLEFile(PList& catalogue, const QString& path, const QString& dbPath,
                 const QString& versionText, const TSatCheckList* downloadList, QString& error)
{
    QByteArray out;
    char work[80], out1[80], out2[80];
    for (int i = 0; i < catalogue.Count; ++i) {
        auto* sat = static_cast<TSat*>(catalogue.Get(i));
        sat->WriteTLE(nullptr, work, out1, out2, 0);  // rebuilds Line1 and Line2
        out += NameLine(sat->Name) + '\n' + sat->Line1 + '\n' + sat->Line2 + '\n';
    }
    if (!WriteFileAtomically(path, out, error))
        return false;
    return SaveSatelliteDatabase(catalogue, dbPath, versionText, downloadList, error);
}

QString ArchiveFileName(const QString& archiveDir, const QString& satelliteName)
{
    return archiveDir + "/" + SatelliteFileNamePart(satelliteName, '-') + ".txt";
}

int MergeElementSets(PList& catalogue, const TSatCheckList& downloaded,
                     const QString& archiveDir, QStringList* problems)
{
    int taken = 0;
    QDir().mkpath(archiveDir);
    for (const TSatListItem& item : downloaded) {
        if (!item.Checked || !item.Sat)
            continue;
        TSat* known = FindSatellite(&catalogue, QString::fromLatin1(item.Sat->Name));
        if (!known) {
            catalogue.Add(new TSat(*item.Sat));
            ++taken;
            continue;
        }
        // The list lives for the whole run and is merged at every OK: only a
        // set newer than the catalogue's is taken, and only the set. The APT
        // flag, downlink and group are the user's choices in the catalogue,
        // perhaps made after the download.
        if (!HasLaterEpoch(*item.Sat, *known))
            continue;
        char work[80], out1[80], out2[80];
        known->WriteTLE(nullptr, work, out1, out2, 1);
        QFile archive(ArchiveFileName(archiveDir, QString::fromLatin1(known->Name)));
        const QByteArray lines = NameLine(known->Name) + '\n' + known->Line1 + '\n' + known->Line2 + '\n';
        if (!archive.open(QIODevice::WriteOnly | QIODevice::Append) || archive.write(lines) != lines.size() ||
            !archive.flush()) {
            if (problems)
                *problems << QString("Unable to archive the old set of %1 in %2: %3")
                                 .arg(QString::fromLatin1(known->Name), archive.fileName(), archive.errorString());
        }
        const unsigned char aptSatellite = known->APTSatellite;
        const QString downlink = known->Downlink, group = known->Group;
        known->Assign(*item.Sat);
        known->APTSatellite = aptSatellite;
        known->Downlink = downlink;
        known->Group = group;
        ++taken;
    }
    return taken;
}
