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
// read-outs under the pointer, the magnifier feed, the mouse wheel).
//
// Threads: GUI thread only. The processing thread reaches the window through
// TAPTDisplay, each call made through TThread::Synchronize.
#include "apt/APT.h"
#include "apt/APTThread.h"
#include "apt/MagickImage.h"
#include "imaging/ViewRenderer.h"
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
class QScrollArea;
class TAppFolders;
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

private:
    TMDIChild* owner_;
};

class TMDIChild : public QWidget, public TAPTDisplay {
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
    bool InitFlatEarthMonitor(int mode);

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
    void UndoClick();
    void FormActivate();
    void CancelBtnClick();
    bool FormCloseQuery();

    // --- TAPTDisplay: the processing thread's calls ---
    void DrawLine(const TAPTLinePixels& line) override;
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
    int View = -1;         // TImageView shown, -1 before the first
    int ChopState = -1;    // -1 idle, 0 crop by selection armed
    // The general settings dialog's copy while it previews (flag vfPreview); not owned.
    const TSetting* PreviewSettings = nullptr;

    // The window's controls.
    QScrollArea* sb;
    TPaintBox* pb;
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
    QMenu* Effect1;
    QAction* Magnifier;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void BuildMenus();
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
    void SetGauge(int lines);
    bool StartThread(bool northbound);
    // The main window's settings, or the defaults without a main window.
    const TSetting& Settings() const;
    TAppFolders Folders() const;
    void ShowBox(const QString& text, const QString& caption, bool topmost, bool owned);
};
