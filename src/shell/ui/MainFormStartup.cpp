// What a start tells the user, once every window exists: one thing at a
// time, and each only as often as it helps. A problem with the sound input
// is a box the first time and a process-log entry on later starts; a new
// user is asked for the ground station, then told where element sets come
// from.
#include "orbit/StationPersistence.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"

#include <QMessageBox>

namespace {
const char kMainKey[] = "APT";
// The last sound-input problem shown in a box.
const char kShownProblemValue[] = "SoundInputProblemShown";
const char kRecordingCaption[] = "Recording will not be supported!";
}  // namespace

void TMainForm::StartupGuide()
{
    if (recordingProblem_.isEmpty()) {
        if (!ReadRegistryString(kMainKey, kShownProblemValue).isEmpty())
            WriteRegistryString(kMainKey, kShownProblemValue, QString());
    } else if (ReadRegistryString(kMainKey, kShownProblemValue) != recordingProblem_ || !LogForm) {
        QMessageBox::critical(this, kRecordingCaption, recordingProblem_);
        WriteRegistryString(kMainKey, kShownProblemValue, recordingProblem_);
    } else {
        LogForm->AddEntry(kRecordingCaption, recordingProblem_.split('\n'));
    }

    if (!IsStationStored())
        EditStation(true);
    if (SatelliteList.Count == 0)
        CheckSatellitesLoaded();  // says where element sets come from
    else if (!TrackThread)
        RestartTracker(0);
}
