#pragma once
// TMDIChild: the image window, the widget inside one MDI sub-window. It has
// one of four roles: an image file opened by the user; an audio file
// decoded (or loaded from its raw-line cache) by the window's own engine and
// processing thread; the live window of a recording, drawing each line as
// the processing thread decodes it from the recorder's buffer; the host of
// the flat-earth map. It owns its engine, thread, pass, ImageMagick image
// and the picture it paints.
//
// Files: MDIChild.cpp (life, close rules, progress panel, pictures),
// MDIChildFiles.cpp (opening, decoding and recording hooks, saving),
// MDIChildViews.cpp (the views of a decoded pass, the live lines),
// MDIChildMenu.cpp (the window's menu, merged into the main window's menu
// bar while the window is active, and its commands), MDIChildMouse.cpp (the
// read-outs under the pointer, the magnifier feed, the mouse wheel),
// MDIChildUndo.cpp (the undo stack), MDIChildEditMenus.cpp (the Edit,
// Transform, Effect and Enhance menus), MDIChildOps.cpp (their image
// operations), MDIChildDialogs.cpp (resize and modulate through their
// dialogs), MDIChildBand.cpp (the rubber band and the crop).
//
// Threads: GUI thread only. The processing thread reaches the window through
// TAPTDisplay, each call made through TThread::Synchronize.
#include "apt/APT.h"
#include "apt/APTThread.h"
#include "apt/MagickImage.h"
#include "imaging/LineModulation.h"
#include "imaging/Undo.h"
#include "imaging/ViewRenderer.h"
#include "maps/EarthMapThread.h"
#include "shell/PList.h"
#include "publishing/Logger.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRubberBand;
class QScrollArea;
class TAppFolders;
class TEarthView;
class TGraphicLabel;
class TMDIChild;
class TSat;

// Bits of TMDIChild::Flags.
enum TMDIChildFlag : int {
    mcRubberBand = 0x1,
    mcRubberBandUndrawn = 0x2,
    mcScrollChanging = 0x4,     // scroll ranges being changed: no painting
    mcRecording = 0x8,
    mcLive = 0x10,              // the live window of a recording (role)
    mcImageFile = 0x80,         // a plain image file
    mcFlatEarth = 0x200,        // the flat-earth map (role)
    mcModified = 0x400,         // modified since saved
    mcClosing = 0x4000,
    mcTornDown = 0x8000,
};

// The live recording as the recorder hands it to its window: how far the
// sound driver has written, and the header of the buffer it fills.
struct TLiveRecording {
    TWaveInPosition Position;
    TWaveHeader Header;
};

// The paint box: paints the window's picture at its origin.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(TMDIChild* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TMDIChild* owner_;
};

class TMDIChild : public QWidget, public TAPTDisplay, public TEarthMapHost {
    Q_OBJECT
public:
    explicit TMDIChild(QWidget* parent = nullptr);
    ~TMDIChild() override;

    // The pass of an opened recording: fills pass and answers true when the
    // satellite was identified. Replaceable; by default the pass-information
    // file beside the recording.
    using TPassIdentifier = std::function<bool(TMDIChild* window, const QString& audioPath, TSat* pass)>;
    static TPassIdentifier IdentifyRecording;
    // The colour look-up table of a view, empty when there is none.
    // Replaceable; by default TMainForm::GetLUTFileName (the saved choice
    // without a main window).
    using TTableFinder = std::function<QString(int view)>;
    static TTableFinder LUTFileName;
    // Shows the daily page after "Add to the daily log...". Replaceable; by
    // default the desktop's browser.
    static std::function<void(const QString& page)> OpenDailyPage;
    // The upload server's port for "Add to the daily log...": a service name
    // or a number. Tests point it at their own server.
    static QString LogFtpPort;

    // --- files, decoding and recording (MDIChildFiles.cpp) ---
    bool OpenFile(const QString& path);
    // "" saves under FileName.
    bool SaveFile(const QString& path);
    bool StartRecording(const TSat* pass, const QString& folder, const TLiveRecording& source);
    void DecodeFromMemory();
    void StopAPTThread(int stopFlags);
    QString FindRawImage(const QString& audioPath) const;
    bool StartFileDecoding(bool complete);
    void DeleteRawImage();

    // --- the flat-earth map role (MDIChildMap.cpp) ---
    // mode 0 first start; 1 restart after a settings change (the running
    // thread carries it out as mode 2); 4 the background is loaded again.
    bool InitFlatEarthMonitor(int mode) override;
    void StopMapThread();
    void DrawMap();
    void FormDeactivate();
    void CMMouseLeave();
    bool IsMapVisible() const override;
    bool IsMapPainting() const override;
    QImage& MapCanvas() override;
    void MapDrawn() override;

    // --- views (MDIChildViews.cpp) ---
    bool ShowView(int view, int flags);
    bool RenderView(const TLookupTable* table, int view, int flags);
    void PaintLiveLine(int row);

    // --- menu and commands (MDIChildMenu.cpp) ---
    // The top menus the main window shows while this window is active.
    QList<QAction*> MergedMenus() const;
    void ShowImageClick(QAction* item);
    void SpacecraftModelClick(QAction* item);
    void SpacecraftDirectionClick();
    void Choptovideo1Click();
    void AddtotheDailylog2Click();
    void Passinfo2Click();
    // "Show Swath...": the window's pass in the swath viewer, modally
    // (decoded windows with a known pass only).
    void ShowSwath1Click();
    void MagnifierClick();
    void UpdateChopMenu();
    void CheckViewMenu(int view);
    int GetMenuModel() const;
    void CheckModelMenu(int model);
    bool IsNorthbound() const;

    // --- read-outs, magnifier and wheel (MDIChildMouse.cpp) ---
    QString GetTemperatureText(int x, int y) const;
    QString GetTimeText(int y) const;
    void FeedMagnifier(int x, int y);
    void pbMouseMove(const QPoint& point);
    // Scroll by 15 pixels: down (or left with Shift held), up (or right).
    void FormMouseWheelDown(Qt::KeyboardModifiers modifiers);
    void FormMouseWheelUp(Qt::KeyboardModifiers modifiers);

    // --- rubber band and crop (MDIChildBand.cpp) ---
    void pbMouseDown(const QPoint& point);
    void pbMouseUp(const QPoint& point);
    // The band from SelStart to (x, y), clipped to the image.
    QRect NormalizeSelection(int x, int y) const;

    // --- undo stack (MDIChildUndo.cpp) ---
    // Makes image the window's picture and pushes the old one under caption.
    bool PushUndo(MagickImagePtr image, const QString& caption);
    void UndoClick();
    // sender null (the teardown): only the records go.
    void ClearundolistClick(QObject* sender);
    void UpdateUndoMenu();

    // --- image operations (MDIChildOps.cpp) ---
    void Flip1Click();
    void Flop1Click();
    void RotateClick(QAction* item);
    void Chop1Click();
    void Resize1Click();
    void Normalize1Click();
    void Equalize1Click();
    void ContrastClick(QAction* item);
    void Modulateandgammacorrect1Click();
    void ReduceNoise(QAction* item);
    void Enhance2Click();
    void Despeckle1Click();
    void Emboss1Click();
    void Sharpen1Click();
    void Findedges1Click();

    // --- pictures and state (MDIChild.cpp) ---
    void ShowProgress(bool show);
    bool CreateDisplayBitmap(int width, int height);
    // flags: 1 set the scroll ranges, 2 a display bitmap of that size and no
    // ImageMagick image, 0x10 keep the picture shown.
    bool PrepareImage(int rows, int columns, int flags);
    bool ShowImage(const QString& caption, bool activate);
    void SetPreviewImage(::Image* image);
    MagickImagePtr DuplicateImage(const ::Image* image, bool quiet);
    void ShowImageError(ExceptionInfo* exception);
    bool IsEditable() const;
    void UpdateScrollRange();
    void FormActivate();
    void CancelBtnClick();
    bool FormCloseQuery();

    // --- TAPTDisplay: the processing thread's calls ---
    void DrawLine(const TAPTLinePixels& line) override;
    void ShowFinishing(int done, int steps) override;
    void HideGaugePanel() override;
    void SetImageBitmap(MagickImagePtr image) override;
    void ShowStatus(const QString& caption) override;
    void HideProgress() override;
    void ShowResult() override;
    void AddLogLines(const QStringList& lines) override;

    int Flags = 0;  // TMDIChildFlag
    QString FileName;
    std::unique_ptr<TAPT> APT;
    // Declared before the thread: it outlives the thread that logs through it.
    std::unique_ptr<TLogRenderer> LogRenderer;
    std::unique_ptr<TAPTThread> APTThread;
    std::unique_ptr<TSat> Pass;
    MagickImagePtr Image;
    MagickImageInfoPtr ImageInfo;
    MagickExceptionPtr Exception;
    QImage DisplayBitmap;  // what the paint box shows
    TLineModulation LiveLineModulation;  // the live rows' enhancement
    int View = -1;         // TImageView shown, -1 before the first
    int ChopState = -1;    // -1 idle, 0 crop by selection armed
    // TUndo records, newest last, at most kMaxUndo; the window owns them.
    PList UndoList;
    static constexpr int kMaxUndo = 21;
    static constexpr int kGaugeWidth = 200;  // pixels of the full bar
    QPoint SelStart;  // where the band was started
    QRect SelRect;    // the band, in image pixels
    // Map role only: the main window's view (not owned), the refresh thread,
    // the yellow hint and the object it is about (not owned).
    TEarthView* EarthView = nullptr;
    std::unique_ptr<TEarhMapThread> MapThread;
    QLabel* HintWindow = nullptr;
    TSat* HintObject = nullptr;
    // The general settings dialog's copy while it previews (flag vfPreview); not owned.
    const TSetting* PreviewSettings = nullptr;

    // The window's controls.
    QScrollArea* sb;
    TPaintBox* pb;
    QFrame* ProgressPanel;  // the backdrop of the labels, gauge and Cancel below
    TGraphicLabel* Label1;
    TGraphicLabel* Label2;
    TGraphicLabel* Label3;
    TGraphicLabel* LbTarget;
    TGraphicLabel* LbPayload;
    TGraphicLabel* LbStatus;
    QFrame* GaugePanel;
    QFrame* gauge;
    QLabel* LbGaugePos;
    QPushButton* CancelBtn;

    // The window's menu. Item Tags (QAction::data) as the commands read
    // them: the model of a Type item, 0/1 of a Direction item, the view of
    // a view item; the chop command's Tag is 1 while it shows the video only.
    QMenu* Images1;
    QMenu* Spacecraft;
    QAction* Passinfo2;
    QAction* ShowSwath1;
    QMenu* Type2;
    QMenu* Direction2;
    QAction* NOAA121;
    QAction* NOAA141;
    QAction* NOAA151;
    QAction* NOAA171;
    QAction* NOAA181;
    QAction* Southbound1;
    QAction* Northbound1;
    QAction* Choptovideo1;
    QAction* AddtotheDailylog2;
    QAction* MI_Normal;
    QAction* MI_Video_A;
    QAction* MI_Video_B;
    QAction* MI_FC_AB;
    QAction* MI_FC_24;
    QAction* MI_FC_LowTemps;
    QAction* MI_IR_BrightnessTemps;
    QAction* MI_IR_LowTemps;
    QMenu* Edit1;
    QAction* Undo;
    QAction* Clearundolist;
    QMenu* Transform1;
    QAction* Flip1;
    QAction* Flop1;
    QMenu* Rotate1;  // Tag = degrees; Define1 (0) asks
    QAction* N451;
    QAction* N901;
    QAction* N1351;
    QAction* N1801;
    QAction* N2251;
    QAction* N2701;
    QAction* N3151;
    QAction* Define1;
    QAction* Chop1;
    QAction* Resize1;
    QMenu* Effect1;
    QAction* Magnifier;
    // Tag 0 reduce noise, 1 median; their items' Tags 0, 1, 2 radius 1, 3,
    // 5 and 10 asks.
    QMenu* Reducenoise1;
    QAction* Less1;
    QAction* More1;
    QAction* Extreme1;
    QAction* Define2;
    QMenu* Reducenoise2;
    QAction* Less2;
    QAction* More2;
    QAction* Extreme2;
    QAction* Define3;
    QAction* Despeckle1;
    QAction* Emboss1;
    QAction* Sharpen1;
    QAction* Findedges1;
    QMenu* Enhance1;
    QAction* Normalize1;
    QAction* Equalize1;
    QMenu* Contrast1;  // Tag 1 increases
    QAction* Increase1;
    QAction* Decrease1;
    QAction* Enhance2;
    QAction* Modulateandgammacorrect1;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void BuildForm();
    void BuildMenus();
    void BuildEditMenus();
    // Pushes the picture that make returns from the current one, or
    // reports the library's failure; false when nothing was pushed.
    bool RunImageCommand(const std::function<::Image*(const ::Image*, ExceptionInfo*)>& make,
                         const QString& caption);
    // The same for a call that changes a copy of the picture in place.
    bool RunOnCopy(const std::function<bool(::Image*)>& change, const QString& caption);
    // A user's number from an input box; false when cancelled or no number.
    bool AskNumber(const QString& prompt, const QString& proposal, double& value);
    // Shows Image again in place of a preview.
    bool RedrawImage();
    void EraseBand();
    QRubberBand* Band = nullptr;
    // The map part of pbMouseMove.
    void MapMouseMove(const QPoint& point);
    bool IsActiveChild() const;
    bool mapPainting_ = false;
    // The back buffer holds a fresh redraw of the thread: the paint only shows it.
    bool mapDrawn_ = false;
    // True when the window's engine holds a finished pass it can render.
    bool IsReady() const;
    // Before a view, model, direction or chop command renders: the window
    // stops being the live window and pending events run.
    void PrepareCommand();
    // The engine line shown at image row y, -1 for none.
    int LineOfRow(int y) const;
    QAction* ViewItem(int view) const;
    void FormClose();
    void Teardown();
    void LayoutProgress();
    // The decoded lines in the gauge's label, and the bar to their progress.
    void SetGauge(int lines);
    void SetGaugeBar(int permille);
    bool StartThread(bool northbound);
    // The main window's settings, or the defaults without a main window.
    const TSetting& Settings() const;
    TAppFolders Folders() const;
    void ShowBox(const QString& text, const QString& caption, bool topmost, bool owned);
    // "Add to the daily log...": the choice made, the log run or upload.
    void RunDailyLog(TLogger& logger, int action, const QString& page);
    // From the log options dialog to the end of a run of "Add to the daily
    // log...": its blocking upload lets the window's events run, and the
    // run works on the engine, the pass and the renderer of this window.
    bool dailyLogBusy_ = false;
};
