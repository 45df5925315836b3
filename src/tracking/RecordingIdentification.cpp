#include "tracking/RecordingIdentification.h"

#include "orbit/Sat.h"
#include "orbit/Station.h"
#include "shell/PList.h"
#include "tracking/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr int kLineBufferSize = 76;
constexpr int kMaxLineLength = kLineBufferSize - 1;
constexpr double kSecondsPerDay = 86400.0;
// Below this elevation at one end of the window the pass cannot be the recording.
constexpr double kLowestWindowEndDeg = -10.0;

// A candidate satellite whose buffers take each set to be tested.
struct Candidate {
    TSat Sat;
    char NameLine[kLineBufferSize] = {};
    char Line1[kLineBufferSize] = {};
    char Line2[kLineBufferSize] = {};

    void SetLines(const QByteArray& name, const QByteArray& line1, const QByteArray& line2)
    {
        Copy(NameLine, name);
        Copy(Line1, line1);
        Copy(Line2, line2);
    }

    bool Parse() { return Sat.ParseTLE(NameLine, Line1, Line2); }

    static void Copy(char* buffer, const QByteArray& text)
    {
        const int length = std::min<int>(text.size(), kMaxLineLength);
        std::memcpy(buffer, text.constData(), length);
        buffer[length] = 0;
    }
};

// The name the archive gives a file's sets: "noaa-15.txt" names "NOAA 15".
QByteArray SetNameOf(const QString& fileName)
{
    return QFileInfo(fileName).completeBaseName().toUpper().replace('-', ' ').toLatin1();
}

QByteArray WithoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// Walks the lines of one file or entry: the last set issued before t is
// tested when a newer one follows it; a file whose sets are all older gives
// nothing, like one whose first set is already newer.
class SetWalker {
public:
    SetWalker(Candidate& candidate, TStation* station, TDateTime t, double halfSeconds,
              TRecordingCandidates& found)
        : candidate_(candidate), station_(station), t_(t), halfSeconds_(halfSeconds), found_(found)
    {
    }

    // nextLine gives false at the end. Returns when the walk is decided.
    void Walk(const QByteArray& setName, const std::function<bool(QByteArray&)>& nextLine)
    {
        QByteArray previous1, previous2, line;
        bool newerFound = false;
        bool lineWaiting = false;  // the line after a "1" that was no "2": it may be line 1 itself
        while (!newerFound && (lineWaiting || nextLine(line))) {
            lineWaiting = false;
            if (!line.startsWith('1'))
                continue;
            // A name line may start with "1" too ("1KUNS-PF"): then the
            // real line 1 follows it.
            const QByteArray line1 = line;
            if (!nextLine(line))
                return;
            if (!line.startsWith('2')) {
                lineWaiting = true;
                continue;
            }
            candidate_.SetLines(setName, line1, line);
            if (!candidate_.Parse())
                continue;
            if (candidate_.Sat.GetEpochDateTime() < t_) {
                previous1 = line1;
                previous2 = line;
                continue;
            }
            newerFound = true;
        }
        // Only a set followed by a newer one was valid at t: with every set
        // older, the file may have missed newer sets and proves nothing.
        if (!newerFound || previous1.isEmpty())
            return;
        candidate_.SetLines(setName, previous1, previous2);
        if (candidate_.Parse() && CheckRecordingCandidate(candidate_.Sat, station_, t_, halfSeconds_))
            found_.push_back({QString::fromLatin1(candidate_.Sat.Name), std::make_unique<TSat>(candidate_.Sat)});
    }

private:
    Candidate& candidate_;
    TStation* station_;
    TDateTime t_;
    double halfSeconds_;
    TRecordingCandidates& found_;
};

// A file is read as far as an archive entry would be, and a line only as
// far as its buffer, so a huge file or line costs no more than a set file.
qint64 WalkTextFile(const QString& path, SetWalker& walker)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const auto within = [&file] { return !file.atEnd() && file.pos() < kZipEntryReadLimit; };
    const auto readPiece = [&file] {
        char piece[kLineBufferSize + 1];
        const qint64 room = std::min<qint64>(sizeof piece, kZipEntryReadLimit - file.pos() + 1);
        return QByteArray(piece, std::max<qint64>(0, file.readLine(piece, room)));
    };
    walker.Walk(SetNameOf(path), [&](QByteArray& line) {
        if (!within())
            return false;
        line = readPiece();
        if (!line.endsWith('\n'))
            while (within() && !readPiece().endsWith('\n')) {
            }
        line = WithoutLineEnd(line).left(kMaxLineLength);
        return true;
    });
    return file.pos();
}

qint64 WalkZipArchive(const QString& path, TZip& zip, SetWalker& walker, QStringList* notes)
{
    if (!zip.Open(path))
        return 0;
    QString cutEntry;
    int passedOver = 0;
    for (bool more = zip.GoToFirstFile(); more; more = zip.GoToNextFile()) {
        const QString name = zip.GetCurrentFileName(1);
        // A folder entry ("data/") has no name of its own: pass it over.
        if (name.isEmpty())
            continue;
        if (zip.ArchiveLimitReached()) {
            ++passedOver;
            continue;
        }
        if (!zip.OpenCurrentFile())
            continue;
        walker.Walk(SetNameOf(name), [&zip](QByteArray& line) {
            if (zip.AtEndOfEntry())
                return false;
            char buffer[kLineBufferSize];
            const int length = zip.ReadLine(buffer, kMaxLineLength);
            if (length < 0 || (length == 0 && zip.AtEndOfEntry()))
                return false;
            line = WithoutLineEnd(QByteArray(buffer, length));
            return true;
        });
        if (zip.EntryCutByArchiveLimit())
            cutEntry = name;
        zip.CloseCurrentFile(false);
    }
    const qint64 bytesRead = zip.BytesRead;
    zip.Close();
    if (notes && (passedOver > 0 || !cutEntry.isEmpty())) {
        QString note = QString("%1: reading stopped after %2 MiB, the most one archive may take;")
                           .arg(path)
                           .arg(kZipArchiveReadLimit >> 20);
        if (!cutEntry.isEmpty())
            note += QString(" \"%1\" was read in part;").arg(cutEntry);
        *notes << note + QString(" %1 more entries were passed over.").arg(passedOver);
    }
    return bytesRead;
}

}  // namespace

bool RecordingMiddleTime(const QString& audioPath, int halfSeconds, TDateTime& t)
{
    const QFileInfo info(audioPath);
    if (!info.isFile())
        return false;
    // Milliseconds since the epoch: the instant itself, no local-time round trip.
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return false;
    const qint64 msecs = modified.toMSecsSinceEpoch() - qint64(halfSeconds) * 1000;
    t = UnixEpochDateTime + msecs / (kSecondsPerDay * 1000.0);
    return true;
}

bool CheckRecordingCandidate(TSat& candidate, TStation* station, TDateTime t, double halfSeconds)
{
    if (!candidate.IsAboveElevation(station, t, 0) || candidate.PredictNextAOS(station, t) == 0)
        return false;
    const double aos = candidate.AOS;
    const double latitudeAtAOS = candidate.Latitude;
    const double los = candidate.PredictLOS();
    if (los == 0)
        return false;
    candidate.Northbound = latitudeAtAOS <= candidate.Latitude;
    candidate.AOS = aos;
    candidate.LOS = los;
    candidate.PredictTCA(aos);

    const double half = halfSeconds / kSecondsPerDay;
    const auto elevationAt = [&candidate](double day) {
        candidate.Time = day;
        candidate.ComputePosition();
        return candidate.Elevation;
    };
    const double tca = candidate.TCA;
    const double startElevation = elevationAt(tca - half);
    if (startElevation < kLowestWindowEndDeg)
        return false;
    candidate.WindowStart = startElevation >= 0 ? tca - half : aos;
    const double stopElevation = elevationAt(tca + half);
    if (stopElevation < kLowestWindowEndDeg)
        return false;
    candidate.WindowStop = stopElevation >= 0 ? tca + half : los;
    return true;
}

qint64 CollectArchivedCandidates(const QString& archiveDir, TStation* station, TDateTime t, double halfSeconds,
                                 TRecordingCandidates& found, QStringList* notes)
{
    Candidate candidate;
    SetWalker walker(candidate, station, t, halfSeconds, found);
    TZip zip;
    qint64 bytesRead = 0;
    const QFileInfoList files = QDir(archiveDir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files) {
        if (file.suffix().toLower() == "zip")
            bytesRead += WalkZipArchive(file.filePath(), zip, walker, notes);
        else
            bytesRead += WalkTextFile(file.filePath(), walker);
    }
    return bytesRead;
}

void CollectCatalogueCandidates(PList& catalogue, TStation* station, TDateTime t, double halfSeconds,
                                TRecordingCandidates& found)
{
    Candidate candidate;
    for (int i = 0; i < catalogue.Count; ++i) {
        TSat* sat = static_cast<TSat*>(catalogue.Get(i));
        if (!sat->APTSatellite || !sat->IsAboveElevation(station, t, 0))
            continue;
        candidate.SetLines(QByteArray(sat->Name), QByteArray(sat->Line1), QByteArray(sat->Line2));
        if (candidate.Parse() && CheckRecordingCandidate(candidate.Sat, station, t, halfSeconds))
            found.push_back({QString::fromLatin1(candidate.Sat.Name), std::make_unique<TSat>(candidate.Sat)});
    }
}

void SortCandidates(TRecordingCandidates& found)
{
    std::stable_sort(found.begin(), found.end(),
                     [](const TRecordingCandidate& a, const TRecordingCandidate& b) { return a.Name < b.Name; });
}
