#include "maps/ui/SwathForm.h"

#include "maps/Geotrans.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/SwathTrack.h"
#include "maps/ui/SwathSetupDialog.h"
#include "orbit/Sat.h"
#include "shell/ui/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
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

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

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
    auto* top = new QHBoxLayout(TopPanel);
    top->setContentsMargins(6, 2, 6, 2);
    top->addWidget(new QLabel("Projection:", TopPanel));
    top->addWidget(ProjCb);
    top->addWidget(SwathPropBtn);
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
    pb->Picture = nullptr;
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
    WaitCursor wait;
    if (!Map)
        Map = std::make_unique<TMap>(Props);
    int result = 0;
    bool setUp = true;
    if (!Map->IsValid() || (flags & 0x01)) {
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
        // The box's longitudes run on across 180 degrees (the map takes them
        // so): brought back into -180..180 each on its own, the edges of a
        // pass across 180 would swap and the map would miss the pass.
        const double stationLat = Station ? Station->Latitude : 0;
        result = Map->Setup(SwathLonMin - 5, SwathLonMax + 5, TSat::ClampLatitude(SwathLatMin - 5),
                            TSat::ClampLatitude(SwathLatMax + 5), StationLonEast(), stationLat);
    }
    if (result == 0) {
        DrawSwath();
        ShowMap();
    } else {
        pb->Picture = nullptr;
        if (flags & 0x02)
            TMap::ShowError(this, result);
    }
    return result;
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
    const int result = BuildSwathMap(0);
    if (result != 0) {
        TMap::ShowError(caller, result);
        if (result != mapProjectionFailed) {
            if (isVisible())
                close();
            return result;
        }
    } else if (isVisible()) {
        pb->update();
        raise();
        activateWindow();
        return result;
    }
    if (isVisible())
        return result;
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
    if (BuildSwathMap(0x03) != 0)
        pb->update();
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
    QApplication::processEvents();
    WaitCursor wait;
    Props->Assign(copy);
    if (Map)
        Map->Props = Props;
    if (dialog->ChangeFlags & ssMap) {
        if (BuildSwathMap(0x03) != 0)
            pb->update();
    } else if (Map) {
        Map->Redraw();
        DrawSwath();
        pb->update();
    }
}
