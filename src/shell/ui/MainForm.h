#pragma once
// The main window: the hub of the program. It owns the long-lived records
// (folders, station, settings, catalogue, receiver link, ...) and windows,
// and every other part reaches them through the one global MainForm.
// Everything here runs on the GUI thread.
#include "imaging/DIB.h"
#include "maps/EarthView.h"
#include "maps/SwathProp.h"
#include "orbit/Catalogue.h"
#include "orbit/Station.h"
#include "platform/WaveFormat.h"
#include "platform/WaveIn.h"
#include "radio/Rig.h"
#include "shell/AppFolders.h"
#include "shell/Setting.h"
#include "tracking/ui/TrackThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QSystemTrayIcon>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenu;
class QPainter;
class QStatusBar;
class QToolBar;
class TClockThread;
class TMDIBackground;
class TMDIChild;
class TStationDlg;
class TMessageTarget;
struct TMessage;

// The bits of TMainForm::StateFlags; written on the GUI thread, read by the
// tracker too.
enum TMainFormState : int {
    msClosing = 0x1,
    msShown = 0x4,
    msVersionChanged = 0x10,
    msTrayBalloonShown = 0x20,
    msRecording = 0x100,
    msWaveInFailed = 0x200,
    msRecordingUnsupported = 0x400,
    msLiveWindowClosed = 0x800,
    msShutdownDone = 0x8000,
};

class TMainForm : public QMainWindow, public TTrackHost {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Modal boxes owned by the main window, on top of every other window.
    void ShowError(const QString& text, const QString& caption);
    void ShowInfo(const QString& text, const QString& caption);

    // True when "VersionStr" under "APT" differs from caption (missing counts).
    static bool IsVersionChanged(const QString& caption);

    const TAppFolders& Folders() const { return folders_; }

    // Loads (load true) or saves the settings record under "APT\Settings".
    void PersistSettings(bool load);
    // The start-up probe of the sound input; false when it cannot record
    // 11025 Hz 8-bit mono, with the reason kept for StartupGuide.
    bool CheckWaveInDevice();
    // What a start tells the user once every window exists
    // (MainFormStartup.cpp): why recording is off (a box the first time, a
    // process-log entry after that), the ground station while none is
    // stored, then what to do next when there are no element sets.
    void StartupGuide();

    std::unique_ptr<TSetting> Settings;  // owned for the whole run
    TWaveFormat WaveFormat;              // 11025 Hz, 8-bit, mono PCM
    QMdiArea* MDIArea() const;

    std::atomic<int> StateFlags{0};
    QWidget* ActiveWindow = nullptr;  // what the tray brings to the front; not owned
    QString OverlapText;
    unsigned OneInstanceMessage = 0;

    // Tool bar.
    QToolBar* ToolBar;
    QAction* FileOpen1;
    QAction* FileClose1;
    QAction* WindowClose1;
    QAction* FileSave1;
    QAction* FileSaveAs1;
    QAction* FileExit1;
    QAction* UndoBtn;
    QAction* RecButton;
    QAction* StopButton;
    QLabel* WavePosLabel;
    QLabel* TemperatureLabel;
    QLabel* LonLatLabel;
    // Track panel.
    QWidget* TrackPanel;
    QLabel* TheTime;
    QLabel* TrackLabel;
    QLabel* KeplerAge;
    QLabel* OverlapLabel;
    QLabel* TheSun;
    QLabel* TheMoon;
    QStatusBar* StatusBar;
    QMenu* File1;
    QMenu* Window1;

    // Brings the running copy out of the minimised state and to the front:
    // what a second start of the program asks for.
    void BringToFront();

    // ---- station, catalogue, receiver, swath-viewer and flat-earth records ----
    // (MainFormRecords.cpp) Each record is made with its defaults here and
    // lives for the whole run; the work is done by the engine functions.
    TStation Station;
    TSatelliteList SatelliteList;  // the catalogue; frees its satellites
    std::unique_ptr<TRig> Rig = std::make_unique<TRig>();
    std::unique_ptr<TSwathProp> SwathProps = std::make_unique<TSwathProp>();
    std::unique_ptr<TEarthView> EarthView = std::make_unique<TEarthView>();

    void PersistStation(bool load);
    void PersistRig(bool load);
    void PersistSwathView(bool load);
    void PersistFlatEarth(bool load);  // needs the station and the catalogue
    // Into the catalogue (list null) or the download dialog's list; returns
    // the number of sets taken and says what went wrong.
    int LoadTLEFile(const QString& path, const QString& group, int* badSets, int* duplicates,
                    TSatCheckList* list);
    // downloadList: the download dialog's list, whose check marks the
    // database keeps for the satellites that are not APT satellites.
    void SaveTLEFile(const QString& path, const TSatCheckList* downloadList = nullptr);
    void SaveSatelliteDatabase(const TSatCheckList* downloadList = nullptr);
    static TSat* FindSatellite(PList* list, const QString& name);
    bool SavePassInfo(TSat* pass, const QString& folder, int flags);

    // ---- identification of an opened recording (MainFormIdentify.cpp) ----
    // The pass of a recording: from its pass-information file, else from the
    // element sets valid at its time (the user chooses when several fit);
    // an identified pass gets its file in "audio/raw".
    bool IdentifyRecording(TMDIChild* window, const QString& audioPath, TSat* pass);
    bool CheckRecordingCandidate(TSat* candidate, TDateTime t, double halfSeconds);

    // ---- sound-card recorder (MainFormRecorder.cpp) ----
    // One recording at a time into one buffer, written as a WAV file with
    // its pass-information file beside it when the sound input hands the
    // buffer back. The buffer and RecSat are freed exactly once: each owner
    // frees them only while its field is set.
    TWaveIn WaveIn;  // open while a recording runs
    TWaveHeader WaveHeader;
    std::unique_ptr<std::uint8_t[]> WaveBuffer;
    std::uint32_t WaveDataBytes = 0;  // of the WAV written last
    std::unique_ptr<TSat> RecSat;     // the pass recorded when no live window shows it
    std::uint32_t RecordStartTick = 0;  // systime::TickCount() when the sound input started

    // No sound input open, not closing, not recording, recording supported.
    // Any thread.
    bool CanRecord() const override;
    void RecButtonClick() override;
    void StopButtonClick() override;
    // The end of a recording: the sound input gave its buffer back.
    void MMWimData(TMessage& message);
    // 0 is success; otherwise says why, frees the buffer and closes the input.
    bool CheckWaveError(int code, bool unprepare);
    // The recorded bytes as a WAV file; false after saying why.
    bool WriteWaveFile(const QString& path);

private:
    // The dated sub-folder of the audio folder for the pass's window start,
    // or the audio folder itself; "" when neither exists.
    QString RecordingFolder(const TSat& pass) const;
    void ConnectRecorderCommands();
    // The live window showing the recording, or null.
    TMDIChild* RecordingWindow();
    void FinishLivePass(TMDIChild* child);
    void CloseOtherLiveWindows(TMDIChild* keep);
    TMessageTarget* waveTarget_ = nullptr;  // receives MM_WIM_DATA
    std::atomic<bool> waveInOpen_{false};    // WaveIn.IsOpen() for the tracker's thread
    // ---- end of the recorder ----

    // ---- next-pass choice and tracker control (MainFormTracker.cpp) ----
public:
    // The pass being followed: the tracker's own object (TTrackThread::Pass),
    // freed only on the GUI thread. Code that runs outside the tracker's
    // synchronised steps touches it holding NextPassLock, or reads a copy.
    TSat* NextPass = nullptr;
    std::unique_ptr<TTrackThread> TrackThread;  // null when no tracker runs
    std::mutex NextPassLock;

    TSat* ChooseNextPass() override;
    // flags 0x200 stops the tracker and frees the pass; any other value
    // starts it with a new choice, or asks a running one to choose again.
    void RestartTracker(int flags);
    bool CheckNotRecording();
    int CheckSatellitesLoaded();

    // TTrackHost: what the tracker asks of the main window.
    void ForgetNextPass() override;
    bool IsClosing() const override { return StateFlags & msClosing; }
    bool IsRecording() const override { return StateFlags & msRecording; }
    std::mutex& PassLock() override { return NextPassLock; }
    std::mutex& SettingsLock() override { return SettingsMutex; }
    void ClearTrayBalloon() override { StateFlags &= ~msTrayBalloonShown; }
    void RefreshTray() override;
    TRig* Receiver() override { return Rig.get(); }
    // The radio windows (MainFormRadio.cpp): whether the configured
    // receiver's window is shown, and its tuning to the next pass.
    bool IsRadioWindowOpen() override;
    bool TuneRadioToNextPass() override;
    QString TrackedOverlapText() const override { return OverlapText; }
    bool AddLogLines(const QStringList& lines) override;
    // ---- end of the tracker control ----

    // ---- menus and their commands (MainFormMenus.cpp, MainFormCommands.cpp) ----
    // The Satellite, Settings, Tools and Help menus and the tray menu. Every
    // item is made disabled; ConnectMenuCommands binds an item to its
    // command and enables it, so an item whose window does not exist yet
    // stays visible but greyed. A tray item follows its twin of the main
    // menu (same command, same enabled state).
    QMenu* Satellete1;
    QAction* Passlist1;
    QAction* Track1;
    QAction* PredictAPTfootprintowerlaps1;
    QAction* Keplerianelements1;
    QAction* ActiveAPTsatellites1;
    QAction* Orbitdata1;
    QAction* Organize1;
    QMenu* Settings1;
    QAction* Recordingandlogging1;
    QAction* Groundstation1;
    QAction* ColorLookupTables1;
    QAction* FlatEarthTracker1;
    QAction* SwathViewer1;
    QMenu* Tools1;
    QAction* Checktime1;
    QAction* ColorLookUpTableEditor1;
    QAction* FlatEarthTracker;
    QAction* Mixer1;
    QAction* RecordingControl1;
    QAction* Radiocontrol1;
    QAction* TheBlogReader1;
    QMenu* Help1;
    QAction* Processlog2;
    QMenu* DailyLog1;
    QAction* Showlogonserver2;
    QAction* Showlogonlocaldisk1;
    QAction* MakeadefaultCSS1;
    QAction* Homepage1;
    QAction* Community1;
    QAction* HelpAboutItem;  // the "About" action
    // The tray menu.
    QMenu* TrayPopup;
    QAction* Show1;
    QAction* Exit1;
    QAction* N8;
    QAction* Satellitepasslist1;
    QMenu* Tools2;
    QAction* TheFlatEarthMonitor1;
    QAction* RSSFeeds1;
    QAction* Radiocontrol2;
    QMenu* Logs1;
    QAction* Processlog1;
    QAction* DailyLog2;
    QAction* Logonserver1;

    // The modal pattern of the dialog commands, in two halves around the
    // command's guards and hand-over: RaiseOpenDialog brings a dialog that
    // is already on screen to the front and says so (the command then
    // stops); ShowDialogModal runs it with ActiveWindow pointing at it and
    // gives ActiveWindow back to the main window afterwards.
    bool RaiseOpenDialog(QWidget* dialog);
    int ShowDialogModal(QWidget* dialog);  // the dialog's result; 0 for a plain window
    // Refills a dialog's group combo: "Show all", then each catalogue group
    // once; the group shown before stays selected while it still exists.
    void FillGroupCombo(QComboBox* combo);

    // The commands (MainFormCommands.cpp).
    void GroundstationClick();
    // The ground-station dialog; true when OK changed the station (or took it
    // at all, with firstStart), which is then stored at once.
    bool EditStation(bool firstStart);
    void Processlog1Click();
    void Mixer1Click();
    void RecordingControl1Click();
    void HelpAbout1Execute();
    void Homepage1Click();
    void Community1Click();
    // The item's tag chooses: 0 the log on the web server, else the local one.
    void ShowlogClick(QObject* sender);
    void MakeadefaultCSS1Click();
    void FileExit1Execute();  // the close box's path (MainFormShutdown.cpp)
    // Closes the program, or, while a modal dialog waits in the tray, shows
    // it (MainFormTray.cpp).
    void TrayExitClick();
    TStationDlg* StationDlg = nullptr;  // made on first use; a child of the main window
    // "Radio control...": the window of the configured receiver
    // (MainFormRadio.cpp), with the helpers the shutdown and the general
    // settings use.
    void Radiocontrol1Click();
    void CloseRadioWindow();
    void ReopenRadioWindow();  // after a change of receiver
    // "Active APT satellites...": the dialog on the catalogue itself; a
    // change is saved to the database and the tracker chooses again.
    void ActiveAPTsatellites1Click();
    // "Rar Odov Ezuzuz": the feed reader, modal (MainFormFeeds.cpp).
    void TheBlogReader1Click();

    // ---- the Flat Earth Monitor's settings (MainFormFlatEarth.cpp) ----
    // The view's icons, drawn at start-up: 32 x 33, 32 x 32 and 37 x 26.
    QImage SunImage, MoonImage, SatImage;
    // "Flat Earth Monitor...": the settings dialog filled from the view,
    // then applied to it (through the open monitor window, which reloads).
    void FlatEarthTracker1Click();
    // "The Flat Earth Monitor": opens the monitor window, or brings it up.
    void FlatEarthTrackerClick();
    // Copies what the settings dialog changed into the view. flags 0x1: no
    // box when the background fails to load; 0x2: only store the background's
    // name. -1 when loading failed, 1 when a background was loaded, else 0.
    int ApplyFlatEarthSettings(int flags);
    // "Swath Viewer...": the swath viewer's settings dialog on a copy of
    // SwathProps, taken back after OK with a change (MainFormSwath.cpp).
    void SwathViewer1Click();

private:
    void BuildCommandMenus();
    void SetUpTrayMenu();  // pictures, frames and the owner drawing
    void ConnectMenuCommands();
    // The view's icons and the settings dialog, made at start-up.
    void CreateFlatEarthParts();
    void CreateRadioWindows();
    QString NextPassDownlink();  // a copy, taken under NextPassLock
    // Binds item to command and enables it; the tray twins follow.
    void BindCommand(QAction* item, void (TMainForm::*command)());
    void BindCommand(QAction* item, void (TMainForm::*command)(QObject* sender));
public:
    // ---- end of the menus ----

    // ---- Settings menu (MainFormSettings.cpp) ----
    // "General settings...": the dialog edits copies of Settings and Rig;
    // OK takes them back, stopping the tracker around changes it reads.
    void Recordingandlogging1Click();
    // Satellite > "Pass list...", "Track...", "Predict APT footprint
    // overlaps..." (MainFormPasses.cpp).
    void Passlist1Click();
    void Track1Click();
    void PredictAPTfootprintowerlaps1Click();
    // The pass list's "Show swath...": the pass in the swath viewer, modeless.
    void ShowPassSwath(TSat* sat);
    // Satellite > "Orbit data..." and "Organize..." (MainFormOrbit.cpp).
    void Orbitdata1Click();
    void Organize1Click();
    // Satellite > "Keplerian elements...": downloads, then merges the
    // checked sets into the catalogue (MainFormKepler.cpp).
    void Keplerianelements1Click();
    // The general settings on their pass-threshold page; true after OK with
    // a change of the thresholds or of the automatic recording.
    bool EditPassThresholds();
    // Held while Settings is replaced; the tracker holds it to read Settings.
    std::mutex SettingsMutex;
    // ---- end of the Settings menu ----

    // "Check time...": the time check, modal (MainFormTime.cpp).
    void Checktime1Click();

    // ---- tray icon and minimise to the tray (MainFormTray.cpp) ----
    // One icon while the program runs; without a tray on the desktop the
    // record is still kept and the program works on.
    enum TTrayRequest { NIM_ADD = 0, NIM_MODIFY = 1 };
    // What was last handed to the tray. Flags: 0x1 message, 0x2 icon,
    // 0x4 tip, 0x10 a balloon.
    struct TTrayData {
        int Flags = 0;
        QIcon Icon;
        QString Tip;
        QString InfoTitle;  // the balloon's title
        QString Info;       // the balloon's text
    };
    TTrayData TrayData;
    void UpdateTrayIcon(int request);
    void RemoveTrayIcon();
    QSystemTrayIcon* TrayIcon = nullptr;  // null when the desktop has no tray
    int TrayFrame = 0;                    // the next frame while recording
    QList<QIcon> TrayIconList;            // the frames shown in turn while recording
    QPixmap TrayImage, TrayItem, TrayItemRev;  // the tray menu's stripe and item backgrounds

    // A click on the icon brings the program, and a dialog it waits on, up.
    void TrayMessage(QSystemTrayIcon::ActivationReason reason);
    static constexpr int SC_MINIMIZE = 0xF020;
    static constexpr int SC_RESTORE = 0xF120;
    // Keeps msShown in step with the window's minimise and restore.
    void WMSysCommand(int command);
    void AppMinimize();  // hides the window too with "Minimize to tray"
    void AppRestore();
    void TrayShowClick();  // "Hide" while shown, "Show" while not
    void ShowFromTray();   // visible and restored
    // The text a tray item shows: "Hide" or "Show" for the show item.
    QString TrayItemCaption(const QAction* item) const;
    void TrayMeasureItem(int& width, int& height);
    void TrayDrawItem(QAction* item, QPainter& canvas, const QRect& rect, bool selected);
    void TraySubDrawItem(QAction* item, QPainter& canvas, const QRect& rect, bool selected);

protected:
    void changeEvent(QEvent* event) override;

public:
    // ---- end of the tray icon ----

    // ---- shutdown (MainFormShutdown.cpp) ----
    std::unique_ptr<TDIB> Magnifier;  // the magnifier's source bitmap
    // Saves every record and frees what the main window owns, step by step in
    // the shutdown window; runs once (msShutdownDone afterwards).
    void Shutdown();
    // The pause between shutdown steps; tests make it instant.
    std::function<void(int ms)> ShutdownPause;
    QStringList ShutdownStepsShown;  // the step texts of the shutdown, in order

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    void FormCreate();
    void FormShow();
    // The close path: the image windows and the magnifier agree and close,
    // then FormClose runs the shutdown; FormDestroy runs it when the window
    // goes without a close. The shutdown runs once either way.
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    QPoint BackgroundOrigin(const QSize& pictureSize) const;

    TAppFolders folders_;
    TMDIBackground* mdiArea_;
    QString recordingProblem_;  // why the start-up probe failed, "" when it did not
    TClockThread* ClockThread = nullptr;  // frees itself once terminated

    // ---- Image windows and the File menu (MainFormFiles.cpp) ----
public:
    // Roles of TMainForm::CreateMDIChild: 0 an opened file, 0x10 the live
    // window of a recording, 0x200 the flat-earth map.
    TMDIChild* CreateMDIChild(const QString& fileName, int role);
    // The first image window matching the query (0 the active one; 0x1 the
    // live window, 0x2 an image ready, 0x4 a complete image, 0x10 the map;
    // 0x8 also asks for a live window with a complete image).
    TMDIChild* FindMDIChild(int query);
    QList<TMDIChild*> MDIChildren() const;
    void UpdateFileCommands(TMDIChild* child, bool enable);
    void BringDialogToFront(QWidget* dialog);
    void FileOpen1Execute();
    void Closeall1Click();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    void UndoBtnClick();
    // Opens every file of a drop, in the order given.
    void OpenDroppedFiles(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ConnectFileCommands();
    // The Save As dialog for the window's image; true when it was written.
    bool SaveImageAs(TMDIChild* child);
    // ---- end of image windows and the File menu ----

    // ---- colour look-up tables (MainFormLUT.cpp) ----
public:
    // The table chosen for a view (3, 4, 5, 7, 8) when its file exists, else
    // "": the chooser's row, or the saved choice while no chooser exists.
    // Any thread.
    QString GetLUTFileName(int view) const;
    // "Color lookup tables...": the chooser, modal.
    void ColorLookupTables1Click();
    // "Color Lookup Table Editor...": the editor, beside the main window.
    void ColorLookUpTableEditor1Click();
    // ---- end of the colour look-up tables ----
};

// The one main window of the running program (null before it is made).
extern TMainForm* MainForm;

// The smallest size the main window may take, in either direction.
inline constexpr int kMainFormMinimumSide = 200;
