#pragma once
// Which satellite made a recording opened from a file, and which pass it is:
// every element set valid at the recording's time (the archived sets in
// plain files and ZIP archives, and the current sets of the active APT
// satellites) is tested against that time; the sets whose pass fits become
// candidates, each a copy of the satellite with its pass and window.
#include "orbit/Satutil.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <vector>

class PList;
class TSat;
struct TStation;

struct TRecordingCandidate {
    QString Name;
    std::unique_ptr<TSat> Sat;
};
using TRecordingCandidates = std::vector<TRecordingCandidate>;

// The middle of the recording in UTC: the file's modification time less
// halfSeconds. False when the file time cannot be read.
bool RecordingMiddleTime(const QString& audioPath, int halfSeconds, TDateTime& t);

// Parses the candidate's three line buffers and fits its pass at t: the
// satellite must be above the horizon at t; the recording window is placed
// around the time of closest approach, halfSeconds to each side, clipped to
// AOS and LOS when the satellite is below the horizon there, refused when it
// is more than 10 degrees below.
bool CheckRecordingCandidate(TSat& candidate, TStation* station, TDateTime t, double halfSeconds);

// Tests the newest set issued before t of every file and every ZIP entry in
// archiveDir (the file's name, upper-cased with "-" as blank, names its sets)
// and adds those that fit. Each file and entry is read up to
// kZipEntryReadLimit bytes, an entry the directory repeats once, and the
// entries of one archive up to kZipArchiveReadLimit in all: an archive whose
// entries were not all read whole is named in notes, with what was passed
// over. Returns the bytes read (uncompressed).
qint64 CollectArchivedCandidates(const QString& archiveDir, TStation* station, TDateTime t,
                                 double halfSeconds, TRecordingCandidates& found, QStringList* notes = nullptr);

// Tests the current set of every active APT satellite of the catalogue that
// is above the horizon at t and adds those that fit.
void CollectCatalogueCandidates(PList& catalogue, TStation* station, TDateTime t, double halfSeconds,
                                TRecordingCandidates& found);

// The candidates sorted by name, as the chooser lists them.
void SortCandidates(TRecordingCandidates& found);
