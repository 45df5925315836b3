#include "maps/ui/SwathForm.h"

#include "maps/Geotrans.h"
#include "maps/Map.h"
#include "maps/SwathMapThread.h"
#include "maps/SwathProp.h"
#include "maps/SwathTrack.h"
#include "maps/ui/SwathSetupDialog.h"
#include "orbit/Sat.h"
#include "shell/ui/WindowState.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

TSwathForm* SwathForm = nullptr;

namespace {

constexpr const char* kSwathViewKey = "APT\\SwathView";

QColor ToQColor(int c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

void TSwathPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (Picture)
        painter.drawImage(0, 0, *Picture);
    else
        painter.fillRect(rect(), palette().color(QPalette::Window));
}

TSwathForm::TSwathForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("SwathForm");
    setWindowTitle("The Swath Viewer");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(737, 611);
    TopPanel = new QWidget(this);
    TopPanel->setFixedHeight(34);
    TopPanel->setFocusPolicy(Qt::StrongFocus);
    ProjCb = new QComboBox(TopPanel);
    ProjCb->setObjectName("ProjCb");
    for (int i = 0; i < TGeotrans::kProjectionCount; ++i)
        ProjCb->addItem(TGeotrans::ProjectionName(i));
    SwathPropBtn = new QToolButton(TopPanel);
    SwathPropBtn->setObjectName("SwathPropBtn");
    SwathPropBtn->setAutoRaise(true);
    SwathPropBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    SwathPropBtn->setToolTip("Properties");
    MapProgress = new QProgressBar(TopPanel);
    MapProgress->setObjectName("MapProgress");
    MapProgress->setRange(0, 1000);
    MapProgress->setFormat("Drawing the map... %p%");
    MapProgress->setMaximumWidth(240);
    MapProgress->hide();
    auto* top = new QHBoxLayout(TopPanel);
    top->setContentsMargins(6, 2, 6, 2);
    top->addWidget(new QLabel("Projection:", TopPanel));
    top->addWidget(ProjCb);
    top->addWidget(SwathPropBtn);
    top->addWidget(MapProgress);
    top->addStretch();
    sb = new QScrollArea(this);
    sb->setObjectName("sb");
    QPalette teal = sb->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    sb->setPalette(teal);
    sb->setBackgroundRole(QPalette::Window);
    pb = new TSwathPaintBox;
    pb->setObjectName("pb");
    pb->setPalette(teal);
    sb->setWidget(pb);
    sb->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TopPanel);
    layout->addWidget(sb);

    connect(ProjCb, &QComboBox::activated, this, [this] { ProjCbChange(); });
    connect(SwathPropBtn, &QToolButton::clicked, this, [this] { SwathPropBtnClick(); });
    if (!SwathForm)
        SwathForm = this;
    FormCreate();
}

TSwathForm::~TSwathForm()
{
    // The drawing thread posts to this window and holds the map: it ends first.
    StopDrawing();
    FormDestroy();
    if (SwathForm == this)
        SwathForm = nullptr;
}

void TSwathForm::FormCreate()
{
    RestoreFormPlacement(this, kSwathViewKey);
    Map.reset();
    Sat = nullptr;
    Station = nullptr;
}

void TSwathForm::FormDestroy()
{
    SaveFormPlacement(this, kSwathViewKey);
}

void TSwathForm::FormCloseQuery()
{
    StopDrawing();
    pb->Picture = nullptr;
    Shown = QImage();
    PassesWaiting.clear();
    Map.reset();
}

void TSwathForm::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    QDialog::closeEvent(event);
}

void TSwathForm::done(int result)
{
    FormCloseQuery();
    QDialog::done(result);
}

void TSwathForm::ComputeSwathBox(double& west, double& south, double& east, double& north)
{
    const TSwathBox box = swathtrack::PassBox(*Sat, StationLonEast());
    west = box.West;
    south = box.South;
    east = box.East;
    north = box.North;
}

double TSwathForm::StationLonEast() const
{
    return Station ? -Station->Longitude : 0;
}

int TSwathForm::BuildSwathMap(int flags)
{
    TDrawReport report;
    report.ShowError = flags & 0x02;
    report.Owner = this;
    return BuildMap(flags, report);
}

int TSwathForm::BuildMap(int flags, const TDrawReport& report)
{
    if (!Sat || !Props)
        return -1;
    // A map being drawn covers its box already: a pass inside it waits for it.
    const bool boxDrawn = Drawing || (Map && Map->IsValid());
    bool setUp = true;
    if (!boxDrawn || (flags & 0x01)) {
        ComputeSwathBox(SwathLonMin, SwathLatMin, SwathLonMax, SwathLatMax);
    } else {
        double west, south, east, north;
        ComputeSwathBox(west, south, east, north);
        if (west >= SwathLonMin && east <= SwathLonMax && south >= SwathLatMin && north <= SwathLatMax) {
            setUp = false;  // the new pass fits the map already drawn
        } else {
            SwathLonMin = std::min(SwathLonMin, west);
            SwathLonMax = std::max(SwathLonMax, east);
            SwathLatMin = std::min(SwathLatMin, south);
            SwathLatMax = std::max(SwathLatMax, north);
        }
    }
    if (setUp) {
        StartDrawing(false, report);
    } else if (Drawing) {
        PassesWaiting.push_back(*Sat);
    } else {
        DrawSwath();
        ShowMap();
    }
    return 0;
}

void TSwathForm::StartDrawing(bool redraw, const TDrawReport& report)
{
    StopDrawing();
    TSwathMapJob job;
    job.Redraw = redraw && Map && Map->IsValid();
    if (!job.Redraw) {
        // The box's longitudes run on across 180 degrees (the map takes them
        // so): brought back into -180..180 each on its own, the edges of a
        // pass across 180 would swap and the map would miss the pass.
        job.LonMin = SwathLonMin - 5;
        job.LonMax = SwathLonMax + 5;
        job.LatMin = TSat::ClampLatitude(SwathLatMin - 5);
        job.LatMax = TSat::ClampLatitude(SwathLatMax + 5);
        job.StationLon = StationLonEast();
        job.StationLat = Station ? Station->Latitude : 0;
        // A map of another box: nothing of the old one is worth showing.
        pb->Picture = nullptr;
        Shown = QImage();
    } else {
        // The old colours stay in view until the new ones are drawn; the
        // drawing thread writes to pixels of its own from its first stroke.
        Shown = *Map->Bitmap;
        pb->Picture = &Shown;
    }
    job.Props = *Props;
    Report = report;
    PassesWaiting.assign(1, *Sat);
    const int number = ++DrawNumber;
    // These run on the drawing thread: they only post to this window, which
    // stops the thread before it goes.
    auto onProgress = [this, number](int permille) {
        QMetaObject::invokeMethod(this, [this, number, permille] { DrawProgress(number, permille); },
                                  Qt::QueuedConnection);
    };
    auto onEnded = [this, number] {
        QMetaObject::invokeMethod(this, [this, number] { DrawEnded(number); }, Qt::QueuedConnection);
    };
    Drawing = std::make_unique<TSwathMapThread>(std::move(Map), job, onProgress, onEnded);
    MapProgress->setValue(0);
    MapProgress->show();
    setCursor(Qt::BusyCursor);
    pb->update();
}

void TSwathForm::StopDrawing()
{
    if (!Drawing)
        return;
    ++DrawNumber;
    Drawing->Terminate();
    Map = Drawing->TakeMap(Props);
    Drawing.reset();
    MapProgress->hide();
    unsetCursor();
}

void TSwathForm::DrawProgress(int drawNumber, int permille)
{
    if (drawNumber == DrawNumber && Drawing)
        MapProgress->setValue(permille);
}

void TSwathForm::DrawEnded(int drawNumber)
{
    if (drawNumber != DrawNumber || !Drawing)
        return;
    const int result = Drawing->Result();
    Map = Drawing->TakeMap(Props);
    Drawing.reset();
    MapProgress->hide();
    unsetCursor();
    Shown = QImage();
    std::vector<TSat> passes = std::move(PassesWaiting);
    PassesWaiting.clear();
    if (result == mapOk) {
        // The passes shown while it was drawn, the current one last.
        TSat* current = Sat;
        for (size_t i = 0; i + 1 < passes.size(); ++i) {
            Sat = &passes[i];
            DrawSwath();
        }
        Sat = current;
        DrawSwath();
        ShowMap();
        emit MapReady(result);
        return;
    }
    pb->Picture = nullptr;
    pb->update();
    if (result == mapStopped)
        return;
    const TDrawReport report = Report;
    QPointer<TSwathForm> alive(this);
    if (report.ShowError)
        TMap::ShowError(report.Owner, result);
    if (!alive)
        return;
    if (report.CloseOnFailure && result != mapProjectionFailed && isVisible())
        close();
    emit MapReady(result);
}

void TSwathForm::ShowMap()
{
    pb->Picture = Map && Map->Bitmap ? Map->Bitmap.get() : nullptr;
    if (pb->Picture)
        pb->resize(pb->Picture->size());
    if (isVisible()) {
        ScrollToSwath();
        pb->update();
    }
}

void TSwathForm::ScrollToSwath()
{
    if (!pb->Picture || !SwathFocus)
        return;
    const QPoint centre = *SwathFocus;
    sb->horizontalScrollBar()->setValue(centre.x() - sb->viewport()->width() / 2);
    sb->verticalScrollBar()->setValue(centre.y() - sb->viewport()->height() / 2);
}

void TSwathForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once laid out: the viewport's size is known only then.
    QTimer::singleShot(0, this, [this] { ScrollToSwath(); });
}

int TSwathForm::DrawSwath()
{
    if (!Map || !Map->Bitmap || !Map->IsValid() || !Sat)
        return -1;
    QPainter painter(Map->Bitmap.get());
    const QColor colour = ToQColor(Props->Swath);
    painter.setPen(colour);
    painter.setBrush(Qt::NoBrush);

    // A scan point's pixel; false for a point not found (latitude +-90), one
    // that does not project, or one beyond the map: a swath reaching past
    // the map's edge is left out there, never drawn along the border.
    auto scanPixel = [&](double angle, int side, QPoint& pixel) {
        double lon = 0, lat = 0;
        Sat->ComputeScanPoint(angle, lon, lat, side);
        return std::fabs(lat) < 90 && Map->PixelOnMap(lon, lat, pixel);
    };
    // Across the track at the satellite's current position, each half from
    // the track outwards.
    auto crossLine = [&](const TScanLine& line) {
        for (const double sign : {1.0, -1.0}) {
            bool penDown = false;
            QPoint at;
            for (int k = 0; k <= 10; ++k) {
                QPoint next;
                if (!scanPixel(sign * k * kSwathHalfAngle / 10, sign > 0 ? line.PlusSide() : line.MinusSide(), next)) {
                    penDown = false;
                    continue;
                }
                if (penDown)
                    painter.drawLine(at, next);
                at = next;
                penDown = true;
            }
        }
    };
    struct Point {
        QPoint At;
        bool Valid = false;
    };
    // A window shorter than one step has no track and no cross lines.
    const bool track = Sat->WindowStop - Sat->WindowStart >= kStepDays;
    std::array<Point, 3> previous;  // track, edge at +angle, edge at -angle
    bool first = true;
    TScanLine last;
    QRect swathRect;
    swathtrack::ForEachScanLine(*Sat, [&](const TScanLine& line) {
        std::array<Point, 3> next;
        next[0].Valid = Map->PixelOnMap(line.Lon, line.Lat, next[0].At);
        next[1].Valid = scanPixel(kSwathHalfAngle, line.PlusSide(), next[1].At);
        next[2].Valid = scanPixel(-kSwathHalfAngle, line.MinusSide(), next[2].At);
        for (const Point& p : next)
            if (p.Valid)
                swathRect |= QRect(p.At, QSize(1, 1));
        if (first && track)
            crossLine(line);
        for (size_t i = 0; i < next.size(); ++i)
            if (!first && next[i].Valid && previous[i].Valid)
                painter.drawLine(previous[i].At, next[i].At);
        previous = next;
        last = line;
        first = false;
    });
    if (track)
        crossLine(last);  // the satellite still stands at the window's stop

    Sat->Time = Sat->TCA;
    Sat->ComputePosition();
    QPoint name;
    SwathFocus.reset();
    if (!swathRect.isEmpty())
        SwathFocus = swathRect.center();
    if (Map->PixelOnMap(TSat::ReduceLongitude(Sat->Longitude), Sat->Latitude, name)) {
        SwathFocus = name;
        const QFontMetrics metrics(painter.font());
        const QString text = QString::fromLatin1(Sat->Name);
        painter.drawText(name.x() - metrics.horizontalAdvance(text) / 2,
                         name.y() - metrics.height() / 2 + metrics.ascent(), text);
    }
    return 0;
}

int TSwathForm::ShowPass(QWidget* caller, const TSat& sat, TStation* station, TSwathProp* props, bool modal)
{
    if (!isVisible()) {
        // A viewer hidden with its owner starts afresh, as a closed one does.
        FormCloseQuery();
        // A child of the caller's window: a modal pass list must not block
        // the viewer it opened.
        if (QWidget* owner = caller ? caller->window() : nullptr; owner && owner != parentWidget())
            setParent(owner, windowFlags());
    }
    pass_ = std::make_unique<TSat>(sat);
    Sat = pass_.get();
    Props = props;
    Station = station;
    // The error box of this pass's map belongs to the caller; after a failed
    // projection the viewer stays open, so another one can be chosen.
    TDrawReport report;
    report.ShowError = true;
    report.Owner = caller;
    report.CloseOnFailure = true;
    const int result = BuildMap(0, report);
    if (result != 0)
        return result;
    if (isVisible()) {
        pb->update();
        raise();
        activateWindow();
        return result;
    }
    ProjCb->setCurrentIndex(Props->Projection);
    if (modal)
        exec();
    else
        show();
    return result;
}

void TSwathForm::ProjCbChange()
{
    Props->Projection = ProjCb->currentIndex();
    BuildSwathMap(0x03);
    TopPanel->setFocus();
}

void TSwathForm::SwathPropBtnClick()
{
    if (!SwathSetupDlg)
        new TSwathSetupDlg(window());
    TSwathSetupDlg* dialog = SwathSetupDlg;
    TSwathProp copy;
    copy.Assign(*Props);
    dialog->Props = &copy;
    const int result = dialog->exec();
    dialog->Props = nullptr;
    if (result != QDialog::Accepted || !(dialog->ChangeFlags & (ssColors | ssMap)))
        return;
    Props->Assign(copy);
    if (dialog->ChangeFlags & ssMap) {
        BuildSwathMap(0x03);
    } else if (Sat && (Drawing || (Map && Map->IsValid()))) {
        // New colours or grid on the same box: drawn again, as set up.
        TDrawReport report;
        report.ShowError = true;
        report.Owner = this;
        StartDrawing(true, report);
    }
}
