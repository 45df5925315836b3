// Which satellite and pass an opened recording holds.
#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "tracking/RecordingIdentification.h"
#include "tracking/ui/SatPass4Dlg.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {

QString WithTextExtension(const QString& audioPath)
{
    const QFileInfo info(audioPath);
    return info.path() + "/" + info.completeBaseName() + ".txt";
}

}  // namespace

bool TMainForm::IdentifyRecording(TMDIChild* window, const QString& audioPath, TSat* pass)
{
    if (!pass)
        return false;
    // A pass-information file beside the recording, or in the raw folder.
    const QString beside = WithTextExtension(audioPath);
    const QString inRawFolder = folders_.GetRawAudioDir() + "/" + QFileInfo(beside).fileName();
    for (const QString& path : {beside, inRawFolder}) {
        TSat read;
        if (QFileInfo(path).isFile() && read.ReadPassInfoFile(path)) {
            pass->Assign(read);
            return true;
        }
    }

    const QString archiveDir = folders_.GetKeplerArchiveDir();
    const int halfSeconds = window && window->APT ? window->APT->GetAudioDuration() / 2 : 0;
    TDateTime t = 0;
    if (!QDir(archiveDir).exists() || halfSeconds == 0 || !RecordingMiddleTime(audioPath, halfSeconds, t))
        return false;
    SatPass4Dlg->FileTsLabel->setText(QString("%1 UTC").arg(FormatDateTime("ddd d mmm yyyy hh:nn:ss", t)));

    TRecordingCandidates candidates;
    QStringList notes;
    CollectArchivedCandidates(archiveDir, &Station, t, halfSeconds, candidates, &notes);
    if (!notes.isEmpty() && LogForm)
        LogForm->AddEntry("Element-set archives not read whole", notes);
    CollectCatalogueCandidates(SatelliteList, &Station, t, halfSeconds, candidates);
    SortCandidates(candidates);
    if (candidates.empty())
        return false;

    TSat* chosen = candidates.front().Sat.get();
    if (candidates.size() > 1) {
        QList<QPair<QString, TSat*>> items;
        for (const TRecordingCandidate& candidate : candidates)
            items.append({candidate.Name, candidate.Sat.get()});
        SatPass4Dlg->SetCandidates(items);
        QWidget* before = ActiveWindow;
        ActiveWindow = SatPass4Dlg;
        const bool accepted = SatPass4Dlg->exec() == QDialog::Accepted;
        ActiveWindow = before;
        chosen = accepted ? SatPass4Dlg->SelectedSatellite() : nullptr;
        SatPass4Dlg->SetCandidates({});
    }
    if (!chosen)
        return false;

    pass->Assign(*chosen);
    pass->FileBaseName = QFileInfo(audioPath).completeBaseName();
    if (!pass->APTSatellite) {
        if (const TSat* known = FindSatellite(&SatelliteList, QString::fromLatin1(pass->Name))) {
            pass->APTSatellite = known->APTSatellite;
            pass->Downlink = known->Downlink;
        }
    }
    return SavePassInfo(pass, folders_.GetRawAudioDir(), 1);
}

bool TMainForm::CheckRecordingCandidate(TSat* candidate, TDateTime t, double halfSeconds)
{
    return candidate && ::CheckRecordingCandidate(*candidate, &Station, t, halfSeconds);
}
