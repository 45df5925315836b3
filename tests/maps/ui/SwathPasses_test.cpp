// The swath viewer on two real passes far from the usual stations, against
// skyfield's sub-satellite points (maps/SwathPassFixture.h): over Tromso the
// track turns round near 81 N, over Fiji it crosses 180 degrees. In Mercator
// and in the default Orthographic projection, every sub-point of the pass
// lies on the drawn map, inside its box, and on the drawn track; nothing of
// the swath is drawn along the bitmap's border.
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/SwathTrack.h"
#include "maps/TinyVectorMap.h"
#include "maps/ui/SwathDrawWait.h"
#include "maps/ui/SwathForm.h"
#include "../SwathPassFixture.h"

#include <gtest/gtest.h>

namespace {

QRgb Rgb(int colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// A swath pixel within `radius` pixels of p.
bool SwathNear(const QImage& map, QPoint p, QRgb swath, int radius)
{
    for (int y = p.y() - radius; y <= p.y() + radius; ++y)
        for (int x = p.x() - radius; x <= p.x() + radius; ++x)
            if (map.valid(x, y) && map.pixel(x, y) == swath)
                return true;
    return false;
}

int SwathOnBorder(const QImage& map, QRgb swath)
{
    int count = 0;
    for (int x = 0; x < map.width(); ++x)
        count += (map.pixel(x, 0) == swath) + (map.pixel(x, map.height() - 1) == swath);
    for (int y = 1; y + 1 < map.height(); ++y)
        count += (map.pixel(0, y) == swath) + (map.pixel(map.width() - 1, y) == swath);
    return count;
}

}  // namespace

TEST(SwathPasses, EverySubPointLiesOnTheDrawnMapAndTrack)
{
    const QString folder = testenv::ProgramDir() + "maps";
    ASSERT_NO_FATAL_FAILURE(WriteTinyVectorMap(folder));

    for (const swathpasses::Pass& pass : swathpasses::ReadPasses()) {
        for (const int projection : {11, 16}) {  // Mercator, Orthographic
            TStation station;
            TSat sat;
            swathpasses::PredictPass(pass, station, sat);
            TSwathProp props;
            props.MapDir = folder;
            props.MapType = 0;
            props.Scale = 2;
            props.Projection = projection;
            TSwathForm form;
            form.Sat = &sat;
            form.Station = &station;
            form.Props = &props;
            const std::string name = pass.name.toStdString() + " in " +
                                     TGeotrans::ProjectionName(projection).toStdString();
            ASSERT_EQ(form.BuildSwathMap(0x01), 0) << name;
            ASSERT_TRUE(WaitUntilDrawn(form)) << name;
            ASSERT_TRUE(form.Map && form.Map->IsValid()) << name;
            const TMap& map = *form.Map;
            const QRgb swath = Rgb(props.Swath);
            int checked = 0;
            for (const swathpasses::SubPoint& p : pass.points) {
                if (p.dayNumber < sat.WindowStart || p.dayNumber > sat.WindowStop)
                    continue;
                ++checked;
                const std::string where = name + " at " + std::to_string(p.lat) + " " + std::to_string(p.lonEast);
                const double lon = swathtrack::LongitudeNear(p.lonEast, (map.LonMin + map.LonMax) / 2);
                EXPECT_TRUE(lon >= map.LonMin && lon <= map.LonMax && p.lat >= map.LatMin && p.lat <= map.LatMax)
                    << where << ": outside the map's box " << map.LonMin << ".." << map.LonMax << " "
                    << map.LatMin << ".." << map.LatMax;
                QPoint pixel;
                if (!form.Map->PixelOnMap(p.lonEast, p.lat, pixel)) {
                    ADD_FAILURE() << where << ": beyond the bitmap";
                    continue;
                }
                EXPECT_TRUE(SwathNear(*map.Bitmap, pixel, swath, 3)) << where << ": no track within 3 pixels";
            }
            EXPECT_GT(checked, 50) << name;
            EXPECT_EQ(SwathOnBorder(*map.Bitmap, swath), 0) << name;
        }
    }
}
