#include "maps/ui/SwathForm.h"

#include "maps/Geotrans.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/ui/SwathSetupDialog.h"
#include "orbit/Sat.h"
#include "shell/ui/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

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
    bool first = true;
    for (double time : {Sat->WindowStart, Sat->WindowStop}) {
        Sat->Time = time;
        Sat->ComputePosition();
        double lon[2], lat[2];
        Sat->ComputeSwathEdge(kSwathHalfAngle, lon[0], lat[0], !Sat->Northbound);
        Sat->ComputeSwathEdge(-kSwathHalfAngle, lon[1], lat[1], Sat->Northbound);
        for (int i = 0; i < 2; ++i) {
            if (first) {
                west = east = lon[i];
                south = north = lat[i];
                first = false;
            }
            west = std::min(west, lon[i]);
            east = std::max(east, lon[i]);
            south = std::min(south, lat[i]);
            north = std::max(north, lat[i]);
        }
    }
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
        const double stationLon = Station ? -Station->Longitude : 0;
        const double stationLat = Station ? Station->Latitude : 0;
        result = Map->Setup(TSat::ReduceLongitude(SwathLonMin - 5), TSat::ReduceLongitude(SwathLonMax + 5),
                            TSat::ClampLatitude(SwathLatMin - 5), TSat::ClampLatitude(SwathLatMax + 5), stationLon,
                            stationLat);
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
    if (isVisible())
        pb->update();
}

int TSwathForm::DrawSwath()
{
    if (!Map || !Map->Bitmap || !Map->IsValid() || !Sat)
        return -1;
    QPainter painter(Map->Bitmap.get());
    const QColor colour = ToQColor(Props->Swath);
    painter.setPen(colour);
    painter.setBrush(Qt::NoBrush);
    const bool side1 = !Sat->Northbound, side2 = Sat->Northbound;

    // A scan point's pixel; false for a point not found (latitude +-90) or
    // one that does not project.
    auto scanPixel = [&](double angle, bool side, QPoint& pixel) {
        double lon = 0, lat = 0;
        Sat->ComputeScanPoint(angle, lon, lat, side);
        return std::fabs(lat) < 90 && Map->LatLonToPixel(lon, lat, pixel);
    };
    auto crossLine = [&] {
        for (const double sign : {1.0, -1.0}) {
            bool penDown = false;
            QPoint at;
            for (int k = 0; k <= 10; ++k) {
                QPoint next;
                if (!scanPixel(sign * k * kSwathHalfAngle / 10, sign > 0 ? side1 : side2, next)) {
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
    struct Line {
        QPoint At;
        bool Valid = false;
    };
    Line track, edge1, edge2;
    auto points = [&](Line& t, Line& e1, Line& e2) {
        t.Valid = Map->LatLonToPixel(Sat->Longitude, Sat->Latitude, t.At);
        e1.Valid = scanPixel(kSwathHalfAngle, side1, e1.At);
        e2.Valid = scanPixel(-kSwathHalfAngle, side2, e2.At);
    };

    Sat->Time = Sat->WindowStart;
    Sat->ComputePosition();
    points(track, edge1, edge2);
    bool crossPending = true, atEnd = false;
    double time = Sat->WindowStart + kStepDays;
    while (time <= Sat->WindowStop) {
        if (crossPending) {
            if (atEnd) {
                Sat->Time = Sat->WindowStop;
                Sat->ComputePosition();
            }
            crossLine();
            crossPending = false;
        }
        if (!atEnd) {
            Sat->Time = time;
            Sat->ComputePosition();
        }
        Line nextTrack, nextEdge1, nextEdge2;
        points(nextTrack, nextEdge1, nextEdge2);
        for (auto [previous, next] : {std::pair{&track, &nextTrack}, {&edge1, &nextEdge1}, {&edge2, &nextEdge2}}) {
            if (next->Valid && previous->Valid)
                painter.drawLine(previous->At, next->At);
            *previous = *next;
        }
        if (atEnd)
            break;
        time += kStepDays;
        if (time > Sat->WindowStop) {
            // The last step ends exactly at the window's stop, with its cross line.
            time = Sat->WindowStop;
            atEnd = crossPending = true;
        }
    }
    Sat->Time = Sat->TCA;
    Sat->ComputePosition();
    QPoint name;
    if (Map->LatLonToPixel(Sat->Longitude, Sat->Latitude, name)) {
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
