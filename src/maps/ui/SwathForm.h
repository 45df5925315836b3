#pragma once
// TSwathForm: "The Swath Viewer". On a projected map around the ground
// station it draws the ground track of a pass over its recording window, the
// two edges of the scanner's swath at +-55.37 degrees across the track, a
// cross line of the swath at the window's start and end, and the satellite's
// name at closest approach. The projection can be switched and the map
// settings changed. A second pass whose swath fits the map is drawn beside
// the first.
//
// The map is drawn on a thread of its own (TSwathMapThread): a map from the
// 1 km land file takes seconds, and the window keeps answering meanwhile,
// with a progress bar in its top panel. While it is drawn the thread holds the
// map, and the window touches neither the map nor the projections; passes
// shown meanwhile are drawn when it arrives. A new draw, a close or the
// window's end stops the one running first. The window: GUI thread only.
#include "maps/SwathTrack.h"
#include "orbit/Sat.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QProgressBar;
class QScrollArea;
class QToolButton;
class QWidget;
class TMap;
class TSwathMapThread;
struct TStation;
struct TSwathProp;

// The paint box: shows the map's bitmap, or its own colour without one.
class TSwathPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    const QImage* Picture = nullptr;  // the map's bitmap or the window's copy of it; not owned

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TSwathForm : public QDialog {
    Q_OBJECT
public:
    explicit TSwathForm(QWidget* parent = nullptr);
    ~TSwathForm() override;

    // flags 0x01: compute the swath box anew; 0x02: show the map's error
    // box on failure. A pass that fits the map drawn is drawn on it at once;
    // otherwise the map is drawn anew on the drawing thread, and MapReady
    // tells its result. 0; -1 without a satellite or settings.
    int BuildSwathMap(int flags);
    // A map is being drawn.
    bool IsDrawing() const { return Drawing != nullptr; }
    // The box of the whole pass: every scan line's sub-satellite point and
    // swath edges; longitudes continuous around the station's (see SwathTrack.h).
    void ComputeSwathBox(double& west, double& south, double& east, double& north);
    // 0, or -1 without a valid map or a satellite.
    int DrawSwath();

    // Shows sat's current pass for a caller: the image window (modal) or the
    // pass list (modeless). The viewer draws a copy of the pass, so a closed
    // image window or a reloaded catalogue never leaves it with a freed one.
    // A failure shows the map's error box owned by the caller; after a failed
    // projection the viewer still opens, so another one can be chosen, any
    // other failure closes it. The map is drawn after the viewer is shown:
    // 0, or -1 as BuildSwathMap.
    int ShowPass(QWidget* caller, const TSat& sat, TStation* station, TSwathProp* props, bool modal);

    void FormCreate();
    void FormDestroy();
    void FormCloseQuery();
    void ProjCbChange();
    void SwathPropBtnClick();

    TSat* Sat = nullptr;          // the pass shown; not owned
    TStation* Station = nullptr;  // not owned
    TSwathProp* Props = nullptr;  // the main window's settings; not owned
    std::unique_ptr<TMap> Map;
    double SwathLonMin = 0, SwathLatMin = 0, SwathLonMax = 0, SwathLatMax = 0;
    // Where the view is scrolled to: the last pass drawn at closest approach
    // (its name), else the middle of its swath.
    std::optional<QPoint> SwathFocus;

    QWidget* TopPanel;
    QComboBox* ProjCb;
    QToolButton* SwathPropBtn;
    QScrollArea* sb;
    TSwathPaintBox* pb;

    static constexpr double kSwathHalfAngle = swathtrack::kHalfAngleDeg;
    static constexpr double kStepDays = swathtrack::kStepDays;

    // Scrolls the map so the last pass drawn is in the middle of the view.
    void ScrollToSwath();

    QProgressBar* MapProgress;  // in the top panel while a map is drawn, permille

signals:
    // A draw ended: 0, or the map's TMapResult (its error box, if any, shown).
    // A stopped draw ends without it.
    void MapReady(int result);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    // How the end of a draw is reported: the error box's owner, and whether
    // a failure (other than of the projection) closes the viewer.
    struct TDrawReport {
        bool ShowError = false;
        QPointer<QWidget> Owner;
        bool CloseOnFailure = false;
    };
    int BuildMap(int flags, const TDrawReport& report);
    // Hands the map to a new drawing thread: set up for the swath box, or
    // (redraw, with a valid map) drawn again as it is set up.
    void StartDrawing(bool redraw, const TDrawReport& report);
    // Stops a draw and takes its map back (not valid when the set-up was cut short).
    void StopDrawing();
    // The drawing thread's posts; a draw stopped or replaced meanwhile is
    // recognised by its number and ignored.
    void DrawProgress(int drawNumber, int permille);
    void DrawEnded(int drawNumber);
    void ShowMap();
    double StationLonEast() const;
    std::unique_ptr<TSat> pass_;  // ShowPass's copy of the pass
    std::unique_ptr<TSwathMapThread> Drawing;  // the draw running, which holds the map
    int DrawNumber = 0;                        // counts the draws started and stopped
    TDrawReport Report;                        // of the draw running
    // The passes to draw on the map being drawn, in the order shown; the
    // last is Sat's, which is drawn from Sat itself.
    std::vector<TSat> PassesWaiting;
    QImage Shown;  // the map shown while it is drawn again; shares its pixels until then
};

// The window of the running program (null before it is made).
extern TSwathForm* SwathForm;
