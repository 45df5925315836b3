// The sound-card recorder: the record and stop commands, the end of a
// recording (the sound input hands its buffer back), the WAV writer and the
// wave-error path. Everything runs on the GUI thread; the tracker reaches
// the commands through its synchronised steps and asks CanRecord directly.
//
// The followed pass (NextPass) belongs to the tracker: every touch of it
// here holds NextPassLock, and what outlives the lock is a copy.
#include "imaging/ui/MDIChild.h"
#include "orbit/Satutil.h"
#include "platform/Messages.h"
#include "platform/TickCount.h"
#include "platform/WaveFile.h"
#include "publishing/Logger.h"
#include "shell/ui/GraphicLabel.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <new>

namespace {

constexpr int kMinRecordingSeconds = 60;
constexpr int kSpareSeconds = 5;  // the buffer outlasts the window by this much

// The calendar fields of a UTC date-time, as the dated folders name them.
QDateTime DateTimeOf(TDateTime t)
{
    const TDateParts p = DecodeDateTime(t);
    return QDateTime(QDate(p.Year, p.Month, p.Day), QTime(p.Hour, p.Minute, p.Second));
}

}  // namespace

bool TMainForm::CanRecord() const
{
    return !waveInOpen_ && !(StateFlags & (msClosing | msRecording | msRecordingUnsupported));
}

QString TMainForm::RecordingFolder(const TSat& pass) const
{
    const QString audio = folders_.GetAudioDir();
    QString dated;
    if (TAppFolders::MakeDatedPath(audio, DateTimeOf(TSat::DayNumberToDateTime(pass.WindowStart)), dated))
        return dated;
    return QFileInfo(audio).isDir() ? audio : QString();
}

void TMainForm::RecButtonClick()
{
    if (!CanRecord())
        return;
    StateFlags &= ~(msWaveInFailed | msLiveWindowClosed);
    RecSat.reset();

    std::optional<TSat> pass;
    {
        std::lock_guard lock(NextPassLock);
        if (!NextPass)
            return;
        NextPass->MarkRecording(true);
        pass.emplace(*NextPass);
    }
    auto unschedule = [this] {
        std::lock_guard lock(NextPassLock);
        if (NextPass)
            NextPass->Scheduled = 0;
    };
    const int seconds = pass->GetRecordingSeconds();
    if (seconds < kMinRecordingSeconds)
        return unschedule();
    const QString folder = RecordingFolder(*pass);
    if (folder.isEmpty())
        return unschedule();
    SavePassInfo(&*pass, folder, 1);

    if (!CheckWaveError(WaveIn.Open(WaveFormat, waveTarget_), false))
        return;
    waveInOpen_ = true;
    const std::size_t length = std::size_t(seconds + kSpareSeconds) * WaveFormat.AvgBytesPerSec;
    WaveBuffer.reset(new (std::nothrow) std::uint8_t[length]());
    if (!WaveBuffer) {
        ShowError("Memory allocation for the wav file failed!", "Fatal Wave Error!");
        WaveIn.Close();
        waveInOpen_ = false;
        return unschedule();
    }
    WaveHeader = TWaveHeader{WaveBuffer.get(), static_cast<std::uint32_t>(length)};
    if (!CheckWaveError(WaveIn.PrepareHeader(&WaveHeader), false) ||
        !CheckWaveError(WaveIn.AddBuffer(&WaveHeader), true) || !CheckWaveError(WaveIn.Start(), true))
        return;

    RecordStartTick = systime::TickCount();
    StateFlags |= msRecording;
    RecButton->setEnabled(false);
    StopButton->setEnabled(true);
    {
        std::lock_guard lock(NextPassLock);
        if (NextPass)
            NextPass->Scheduled = 1;
    }
    pass->Scheduled = 1;

    if (Settings->LogModes & 0x2) {
        TMDIChild* live = FindMDIChild(0x8);
        if (!live)
            live = CreateMDIChild(QString(), 0x10);
        TWaveIn* in = &WaveIn;
        if (live && live->StartRecording(&*pass, folder, {[in] { return int(in->PositionBytes()); }, WaveHeader}))
            return;
    }
    RecSat = std::make_unique<TSat>(*pass);
}

void TMainForm::StopButtonClick()
{
    {
        std::lock_guard lock(NextPassLock);
        if (NextPass)
            NextPass->Scheduled = 0;
    }
    if (!(StateFlags & msRecording))
        return;
    StateFlags &= ~msRecording;
    if (WaveIn.IsOpen())
        WaveIn.Reset();  // the buffer comes back as MM_WIM_DATA
    else
        StateFlags &= ~(msWaveInFailed | msLiveWindowClosed | msRecording);
}

void TMainForm::ConnectRecorderCommands()
{
    connect(RecButton, &QAction::triggered, this, [this] { RecButtonClick(); });
    connect(StopButton, &QAction::triggered, this, [this] { StopButtonClick(); });
}

TMDIChild* TMainForm::RecordingWindow()
{
    for (TMDIChild* child : MDIChildren())
        if ((child->Flags & (mcLive | mcRecording)) == (mcLive | mcRecording))
            return child;
    return nullptr;
}

void TMainForm::MMWimData(TMessage& message)
{
    // The buffer of a device closed meanwhile (the shutdown discards the
    // recording that way) has nothing left to save or free here.
    if (!WaveIn.IsOpen() || message.WParam != reinterpret_cast<WPARAM>(&WaveIn) ||
        message.LParam != reinterpret_cast<LPARAM>(&WaveHeader))
        return;
    StateFlags &= ~msRecording;
    TMDIChild* live = nullptr;
    if (!(StateFlags & (msClosing | msLiveWindowClosed))) {
        {
            std::lock_guard lock(NextPassLock);
            if (NextPass)
                NextPass->Scheduled = 0;
        }
        QApplication::processEvents();
        QString name = FormatDateTime("yymmdd_hhnnss", NowLocal());
        QString folder = folders_.GetAudioDir();

        live = RecordingWindow();
        TSat* pass = RecSat.get();
        TRecordingEnd end = TRecordingEnd::Nothing;
        if (live) {
            pass = live->Pass.get();
            live->Flags &= ~mcRecording;
            if (pass)
                pass->MarkRecording(false);
            // The live decode stops reading the buffer here, before it goes.
            if (live->APTThread)
                end = live->APTThread->EndRecording(static_cast<int>(WaveHeader.BytesRecorded));
            if (end == TRecordingEnd::HandOver) {
                live->LbStatus->setText("Processing data...Please wait!");
                QApplication::processEvents();
            }
        }
        if (pass) {
            const QString dated = RecordingFolder(*pass);
            if (!dated.isEmpty())
                folder = dated;
            SavePassInfo(pass, folder, live ? 1 : 0);
            name = pass->FileBaseName;
        }
        const bool keep = !live || end == TRecordingEnd::HandOver || !(Settings->LogModes & 0x4) ||
                          (live->APT && live->APT->CheckTelemetry(true));
        if (keep)
            WriteWaveFile(folder + "/" + name + ".wav");  // before the buffer goes
        else
            QFile::remove(folder + "/" + name + ".txt");

        if (live) {
            if (end == TRecordingEnd::HandOver)
                live->DecodeFromMemory();
            else if (end == TRecordingEnd::FinishHere)
                FinishLivePass(live);
        }
    }

    WaveIn.UnprepareHeader(&WaveHeader);
    WaveIn.Close();
    waveInOpen_ = false;
    WaveBuffer.reset();
    WaveHeader.Data = nullptr;
    RecSat.reset();
    StateFlags &= ~(msWaveInFailed | msLiveWindowClosed);

    if (!(StateFlags & msClosing)) {
        RecButton->setEnabled(true);
        StopButton->setEnabled(false);
        if (live)
            CloseOtherLiveWindows(live);
    }
}

void TMainForm::FinishLivePass(TMDIChild* child)
{
    TAPT* engine = child->APT.get();
    if (!engine || (engine->Flags & aptComplete))
        return;
    engine->Flags |= aptComplete;
    if (MagickImagePtr image = engine->SaveImage(Settings->ImageModes))
        child->SetImageBitmap(std::move(image));
    child->HideGaugePanel();
    if ((Settings->LogModes & 0x8) && child->Pass) {
        child->LbStatus->setText("Logging...Please Wait!");
        TLogSource source;
        source.Engine = engine;
        source.Pass = *child->Pass;
        source.Renderer = child->LogRenderer.get();
        source.LogDir = folders_.GetLogDir();
        source.ReceiverName = Rig->GetRadioName();
        TLogger logger(*Settings, std::move(source), nullptr);
        if (logger.WriteLog(true) && (Settings->LogModes & 0x10)) {
            child->LbStatus->setText("Uploading...Please Wait!");
            logger.UploadLog(false);
        }
        if (LogForm)
            LogForm->AddLines(logger.Messages);
    }
    child->ShowView(0, 9);
}

void TMainForm::CloseOtherLiveWindows(TMDIChild* keep)
{
    for (TMDIChild* child : MDIChildren()) {
        if (child == keep || !(child->Flags & mcLive) || (child->Flags & mcModified) || !child->APT ||
            !(child->APT->Flags & aptComplete))
            continue;
        if (auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget()))
            frame->close();
    }
}

bool TMainForm::CheckWaveError(int code, bool unprepare)
{
    if (code == 0) {
        StateFlags &= ~msWaveInFailed;
        return true;
    }
    const QString text = TWaveIn::ErrorText(code).left(256);
    StateFlags &= ~msRecording;
    StateFlags |= msWaveInFailed;
    if (unprepare)
        WaveIn.UnprepareHeader(&WaveHeader);
    if (WaveIn.IsOpen())
        WaveIn.Close();
    waveInOpen_ = false;
    WaveBuffer.reset();
    WaveHeader.Data = nullptr;
    {
        std::lock_guard lock(NextPassLock);
        if (NextPass)
            NextPass->Scheduled = 0;
    }
    ShowError(text, "Wave Error!");
    return false;
}

bool TMainForm::WriteWaveFile(const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        ShowError("Error unable to delete wav-file!", "Error Message");
    WaveDataBytes = WaveHeader.BytesRecorded;
    QString error;
    if (::WriteWaveFile(path, WaveFormat, WaveBuffer.get(), WaveDataBytes, error))
        return true;
    // The writer leaves no partial file; the recording is lost, and said so.
    if (LogForm)
        LogForm->AddEntry("Error creating wav-file!", {error});
    ShowError("Error creating wav-file!\n" + error, "Error Message");
    return false;
}
