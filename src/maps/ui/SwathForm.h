#pragma once
// TSwathForm: "The Swath Viewer". On a projected map around the ground
// station it draws the ground track of a pass over its recording window, the
// two edges of the scanner's swath at +-55.37 degrees across the track, a
// cross line of the swath at the window's start and end, and the satellite's
// name at closest approach. The projection can be switched and the map
// settings changed. A second pass whose swath fits the map is drawn beside
// the first. GUI thread only.
#include "maps/SwathTrack.h"

#include <QDialog>
#include <QPoint>
#include <memory>
#include <optional>

class QComboBox;
class QScrollArea;
class QToolButton;
class QWidget;
class TMap;
class TSat;
struct TStation;
struct TSwathProp;

// The paint box: shows the map's bitmap, or its own colour without one.
class TSwathPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    const QImage* Picture = nullptr;  // the map's bitmap; not owned

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TSwathForm : public QDialog {
    Q_OBJECT
public:
    explicit TSwathForm(QWidget* parent = nullptr);
    ~TSwathForm() override;

    // flags 0x01: compute the swath box anew; 0x02: show the map's error
    // box on failure. 0 or the map's TMapResult.
    int BuildSwathMap(int flags);
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
    // other failure closes it. 0 or the map's TMapResult.
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void ShowMap();
    double StationLonEast() const;
    std::unique_ptr<TSat> pass_;  // ShowPass's copy of the pass
};

// The window of the running program (null before it is made).
extern TSwathForm* SwathForm;
