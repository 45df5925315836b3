#pragma once
// The satellite catalogue's two files in the config folder: "sattrack.tle"
// (three-line element sets) and "sattrack.db" (per satellite, found by its
// "[name]" line: group, downlink in MHz, APT flag 1/0, the download dialog's
// check mark 1/0), the merge of downloaded sets into the catalogue, and the
// archive of every replaced set ("NOAA-18.txt" in the archive folder, three
// lines a set).
// The catalogue is a PList of TSat; its owner frees the satellites.
#include "orbit/Sat.h"
#include "shell/PList.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A PList of satellites that frees them when it goes: the main window's
// catalogue. Handed to others as the plain PList it is.
class TSatelliteList : public PList {
public:
    TSatelliteList() = default;
    ~TSatelliteList();
};

// Deletes every TSat of the list and empties it.
void FreeSatellites(PList& list);

// The download dialog's check list as the engine sees it: one item per
// name, each owning the satellite it stands for.
struct TSatListItem {
    QString Name;
    std::unique_ptr<TSat> Sat;
    bool Checked = false;
};
using TSatCheckList = std::vector<TSatListItem>;

// Why a group name cannot be stored in the satellite database, or empty when
// it can: a group is one line of that file, whose entries begin at lines
// starting with "[", and the file holds Latin-1 lines of a limited length.
QString GroupNameProblem(const QString& group);

// The first satellite whose name equals name exactly (case and blanks count).
TSat* FindSatellite(PList* list, const QString& name);

// What a load of an element file found.
struct TTLELoadResult {
    enum Status { Loaded, Missing, Unreadable };
    Status State = Loaded;
    int Taken = 0;       // sets added
    int BadSets = 0;     // sets refused by the element-set parser, or cut short
    // Names already in the catalogue (the first set stays) or in the list
    // (the set with the later epoch stays).
    int Duplicates = 0;
    QStringList Problems;  // one line per damaged line of either file, skipped
};

// Loads the sets of path into catalogue (list null) or into list, taking
// each satellite's data from the database at dbPath (missing: none); group
// stands in for a missing or empty group. A damaged set is skipped and
// reported and the reading goes on, so the rest is kept.
TTLELoadResult LoadTLEFile(const QString& path, const QString& dbPath, const QString& group,
                           PList* catalogue, TSatCheckList* list);

// Writes every satellite's set (rebuilt, fresh checksums) to path, then the
// database to dbPath. Both go to a temporary name first and are renamed;
// false with the reason in error, the old files kept.
bool SaveTLEFile(PList& catalogue, const QString& path, const QString& dbPath,
                 const QString& versionText, const TSatCheckList* downloadList, QString& error);

// The database of the catalogue: the check mark is 1 for an APT satellite,
// else that of the download list's item of the same name (0 without one).
bool SaveSatelliteDatabase(const PList& catalogue, const QString& dbPath,
                           const QString& versionText, const TSatCheckList* downloadList,
                           QString& error);

// The archive file of a satellite: blanks as '-', then ".txt".
QString ArchiveFileName(const QString& archiveDir, const QString& satelliteName);

// True when candidate's epoch lies after current's.
bool HasLaterEpoch(const TSat& candidate, const TSat& current);

// Takes every checked downloaded set into the catalogue: a known satellite
// takes a set only when it is newer than its own, appending its current set
// (name line and both element lines) to its archive file first, and keeps
// its group, downlink and APT flag; an unknown one is added as a copy.
// Returns the number of sets taken; archive files that could not be written
// are named in problems.
int MergeElementSets(PList& catalogue, const TSatCheckList& downloaded,
                     const QString& archiveDir, QStringList* problems);
