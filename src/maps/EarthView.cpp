#include "maps/EarthView.h"

#include "imaging/MagickSupport.h"
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "platform/TickCount.h"

#include <QFileInfo>
#include <QPainter>
#include <cstring>

namespace {

// Left and top edges belong to a rectangle, right and bottom do not.
bool Holds(const QRect& r, int x, int y)
{
    return x >= r.left() && x < r.right() && y >= r.top() && y < r.bottom();
}

void SetHolderName(TSat& holder, const char* name)
{
    std::snprintf(holder.Name, sizeof holder.Name, "%s", name);
}

}  // namespace

TEarthView::TEarthView() : Sun(std::make_unique<TSat>()), Moon(std::make_unique<TSat>())
{
    SetHolderName(*Sun, "sun");
    SetHolderName(*Moon, "moon");
}

TEarthView::~TEarthView()
{
    ClearSatellites();
    FreeBitmaps();
}

void TEarthView::ClearSatellites()
{
    FreeSatellites(Satellites);
}

void TEarthView::FreeBitmaps()
{
    Background.reset();
    WorkImage.reset();
}

bool TEarthView::LoadBackground(const QString& file)
{
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    // The program's safe reader: the format from the extension only, and no
    // picture so large that decoding it could exhaust the memory.
    TDisplayImage read = ReadDisplayImage(file);
    if (read.Result != TDisplayImage::Ok || read.Picture.isNull())
        return false;
    FreeBitmaps();
    auto background = std::make_unique<QImage>(read.Picture.convertToFormat(QImage::Format_RGB32));
    auto work = std::make_unique<QImage>(background->size(), QImage::Format_RGB32);
    if (background->isNull() || work->isNull())
        return false;
    Background = std::move(background);
    WorkImage = std::move(work);
    EarthImage = file;
    return true;
}

bool TEarthView::Prepare(TStation* station, const QFont& font)
{
    if (!IsReady())
        return false;
    DayNightStamp = SatelliteStamp = PassStamp = 0;
    const bool shaded = (Modes & evDayNight) && DrawDayNight();
    if (!shaded && !ResetWorkImage())
        return false;
    Font = font;
    if (station) {
        StationLongitude = -station->Longitude;  // the station keeps west positive
        StationLatitude = station->Latitude;
        StationName = station->Name;
    }
    SetHolderName(*Sun, "sun");
    SetHolderName(*Moon, "moon");
    for (TSat* holder : {Sun.get(), Moon.get()}) {
        holder->SetStation(station);
        holder->IconRect = holder->FootprintRect = QRect(QPoint(0, 0), QPoint(0, 0));
    }
    for (int i = 0; i < Satellites.Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites.Get(i));
        sat->SetStation(station);
        sat->IconRect = sat->FootprintRect = QRect(QPoint(0, 0), QPoint(0, 0));
    }
    Modes |= evRedrawAll;
    return true;
}

void TEarthView::PredictPasses()
{
    for (int i = 0; i < Satellites.Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites.Get(i));
        sat->PredictNextAOS(nullptr, NowUTC());
        sat->PredictLOS();
        sat->PredictTCA(sat->AOS);
    }
}

void TEarthView::Draw(QImage& canvas, bool full)
{
    if (!IsReady())
        return;
    if (Modes & evRedrawAll)
        full = true;
    const std::uint32_t start = systime::TickCount();
    if (start - PassStamp > kPassPeriodMs) {
        PredictPasses();
        PassStamp = start;
    }
    const bool renewed = DrawDayNight();
    if (full || renewed) {
        if (Modes & evSun)
            DrawSun();
        if (Modes & evMoon)
            DrawMoon();
        DrawStation();
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), *WorkImage);
    }
    DrawSatellites(canvas, full || renewed);
    Modes &= ~evRedrawAll;
}

bool TEarthView::IsRedrawDue() const
{
    if (!IsReady())
        return false;
    const std::uint32_t now = systime::TickCount();
    return now - DayNightStamp > kDayNightPeriodMs || now - SatelliteStamp > kSatellitePeriodMs;
}

QSize TEarthView::GetMapSize() const
{
    return Background ? Background->size() : QSize(0, 0);
}

TSat* TEarthView::FindObjectAt(int x, int y) const
{
    if (!IsReady())
        return nullptr;
    if ((Modes & evSun) && Holds(Sun->IconRect, x, y))
        return Sun.get();
    if ((Modes & evMoon) && Holds(Moon->IconRect, x, y))
        return Moon.get();
    for (int i = 0; i < Satellites.Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites.Get(i));
        if (Holds(sat->IconRect, x, y))
            return sat;
    }
    return nullptr;
}

QString TEarthView::GetHintText(TSat* object) const
{
    if (!object || !IsReady())
        return "";
    if (std::strcmp(object->Name, "sun") == 0)
        return QString::asprintf("The Sun\n%s\nLon: %.2f\nLat: %.2f", qPrintable(object->GetSunText()),
                                 TSat::NormalizeLongitude(object->SunLongitude), object->SunLatitude);
    if (std::strcmp(object->Name, "moon") == 0)
        return QString::asprintf("The Moon\nAz:%.2f El:%.2f\nLon: %.2f\nLat: %.2f", object->MoonAzimuth,
                                 object->MoonElevation, TSat::NormalizeLongitude(object->Longitude),
                                 object->Latitude);
    QString text = QString::asprintf("%s\n%s", object->Name, qPrintable(object->GetPositionText()));
    // Local times: "hh:nn:ss", the AOS with its date unless it is today.
    constexpr int localTime = 0x10 | 0x2;
    constexpr int localTimeOrDate = 0x10 | 0x1;
    if (object->Elevation > 0)
        text += QString::asprintf("\nEl: %.2f\nAz: %.2f\nEl max: %.2f\nLOS: %s", object->Elevation,
                                  object->Azimuth, object->MaxElevation,
                                  qPrintable(TSat::DayNumberToText(object->LOS, localTime)));
    else if (object->AOS != 0 && object->LOS != 0)
        text += QString::asprintf("\nAOS: %s\nTCA: %s\nLOS: %s\nEl max: %.2f",
                                  qPrintable(TSat::DayNumberToText(object->AOS, localTimeOrDate)),
                                  qPrintable(TSat::DayNumberToText(object->TCA, localTime)),
                                  qPrintable(TSat::DayNumberToText(object->LOS, localTime)),
                                  object->MaxElevation);
    return text;
}

QString TEarthView::GetLonLatText(int x, int y) const
{
    if (!IsReady())
        return "";
    const int w = WorkImage->width(), h = WorkImage->height();
    if (w == 0 || h == 0 || x < 0 || x >= w || y < 0 || y >= h)
        return "";
    return QString::asprintf("Lon: %.4f Lat: %.4f", x * 360.0 / w - 180.0, 90.0 - y * 180.0 / h);
}
