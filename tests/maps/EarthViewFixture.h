#pragma once
// A flat-earth view on a white 360 x 180 background, with the clock and the
// tick counter in the test's hands, local time = UTC.
#include "maps/EarthView.h"
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "orbit/Station.h"
#include "platform/SystemTime.h"
#include "platform/TickCount.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace earthfixture {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb NightBlue = 0xFF0000FF;  // white ANDed with clNight 0xFF0000
constexpr QRgb Yellow = 0xFFFFFF00;     // clSat 0xFFFF

// NOAA 18 and NOAA 15 at the end of October 2021.
inline const char* const Noaa18[] = {"NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
                                     "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"};
inline const char* const Noaa15[] = {"NOAA 15", "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
                                     "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676"};

inline TSat* MakeSat(const char* const set[3])
{
    auto* sat = new TSat;
    char name[32];
    std::snprintf(name, sizeof name, "%s", set[0]);
    EXPECT_TRUE(sat->ParseTLE(name, set[1], set[2]));
    return sat;
}

inline QRect Coords(int l, int t, int r, int b)
{
    QRect rect;
    rect.setCoords(l, t, r, b);
    return rect;
}

// A satellite icon: white (transparent) around a green body.
inline QImage MakeSatIcon()
{
    QImage icon(37, 26, QImage::Format_RGB32);
    icon.fill(Qt::white);
    QPainter(&icon).fillRect(10, 8, 17, 10, Qt::green);
    return icon;
}

class EarthViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("TZ", "UTC");
        tzset();
        QDir().mkpath(testenv::ProgramDir());
        backgroundPath = testenv::ProgramDir() + "white.png";
        QImage white(360, 180, QImage::Format_RGB32);
        white.fill(Qt::white);
        ASSERT_TRUE(white.save(backgroundPath));
        systime::SetTickSource([this] { return tick; });
        SetClock(QDateTime(QDate(2021, 10, 31), QTime(12, 0), Qt::UTC));
        station.Name = "Home";
        station.Latitude = 60.0;
        station.Longitude = -25.0;  // west positive: 25 degrees east
        ASSERT_TRUE(view.LoadBackground(backgroundPath));
    }
    void TearDown() override
    {
        systime::SetTickSource({});
        systime::SetClockSource({});
    }
    void SetClock(const QDateTime& utc)
    {
        systime::SetClockSource([utc] { return utc; });
    }
    QImage Canvas() const
    {
        QImage canvas(view.GetMapSize(), QImage::Format_RGB32);
        canvas.fill(Qt::black);
        return canvas;
    }

    std::uint32_t tick = 200000;  // past the first 120 s, so the first draw shades
    QString backgroundPath;
    TStation station;
    TEarthView view;
};

}  // namespace earthfixture
