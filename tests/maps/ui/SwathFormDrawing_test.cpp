// The swath viewer draws its map off the GUI thread: the window answers while
// the map is drawn, shows its progress, shows the map when it is done, draws
// a pass shown meanwhile, and can be closed or destroyed mid-draw. The vector
// map is a named pipe (SlowVectorMap.h), so a draw lasts exactly as long as
// the test wants, whatever the machine's speed.
#include "../SwathPassFixture.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/ui/SlowVectorMap.h"
#include "maps/ui/SwathDrawWait.h"
#include "maps/ui/SwathForm.h"
#include "orbit/Sat.h"
#include "orbit/Station.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SwathFormDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testenv::ProgramDir() + "slow-maps";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        props.MapDir = folder;
        props.MapType = 0;
        props.Scale = 2;
        props.Projection = 16;
        ASSERT_NO_FATAL_FAILURE(swathpasses::PredictBerlinPass(station, sat));
    }
    void TearDown() override { QDir(folder).removeRecursively(); }

    int SwathPixels(const TSwathForm& form) const
    {
        const QImage& map = *form.Map->Bitmap;
        const QRgb swath = qRgb(props.Swath & 0xFF, (props.Swath >> 8) & 0xFF, (props.Swath >> 16) & 0xFF);
        int count = 0;
        for (int y = 0; y < map.height(); ++y)
            for (int x = 0; x < map.width(); ++x)
                count += map.pixel(x, y) == swath;
        return count;
    }

    QString folder;
    TSwathProp props;
    TStation station;
    TSat sat;
};

}  // namespace

TEST_F(SwathFormDrawing, TheWindowAnswersWhileItsMapIsDrawnAndShowsItWhenDone)
{
    SlowVectorMap map(folder);
    ASSERT_TRUE(map.Made);
    TSwathForm form;
    ASSERT_EQ(form.ShowPass(nullptr, sat, &station, &props, false), 0);
    EXPECT_TRUE(form.isVisible()) << "the viewer opens at once";
    ASSERT_EQ(form.pb->Picture, nullptr) << "the map is not there yet: ShowPass did not wait for it";
    EXPECT_TRUE(form.IsDrawing());
    EXPECT_TRUE(form.MapProgress->isVisible()) << "the progress of the draw is shown";

    // The GUI thread runs its events all the while: a timer keeps firing.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 20; }, 60000));
    EXPECT_TRUE(form.IsDrawing()) << "still waiting for its map";
    EXPECT_EQ(form.pb->Picture, nullptr);

    map.Send();
    ASSERT_TRUE(WaitUntilDrawn(form));
    ASSERT_TRUE(form.Map && form.Map->IsValid());
    EXPECT_EQ(form.pb->Picture, form.Map->Bitmap.get()) << "the finished map is shown";
    EXPECT_GT(SwathPixels(form), 200) << "with the pass on it";
    EXPECT_FALSE(form.MapProgress->isVisible());
    form.close();
}

TEST_F(SwathFormDrawing, APassShownWhileTheMapIsDrawnIsDrawnOnItBesideTheFirst)
{
    SlowVectorMap map(folder);
    ASSERT_TRUE(map.Made);
    TSwathForm form;
    ASSERT_EQ(form.ShowPass(nullptr, sat, &station, &props, false), 0);
    ASSERT_TRUE(form.IsDrawing());
    // The same pass, three minutes shorter at both ends: inside the first's box.
    TSat shorter(sat);
    shorter.WindowStart += 180.0 / 86400;
    shorter.WindowStop -= 180.0 / 86400;
    ASSERT_EQ(form.ShowPass(nullptr, shorter, &station, &props, false), 0);
    EXPECT_TRUE(form.IsDrawing()) << "the same draw goes on";

    map.Send();
    ASSERT_TRUE(WaitUntilDrawn(form));
    ASSERT_TRUE(form.Map && form.Map->IsValid());
    EXPECT_NEAR(form.Sat->WindowStart, shorter.WindowStart, 1e-9) << "the viewer's pass is the last shown";
    // Where the first pass's recording started, before the second's: its track is there.
    TSat first(sat);
    first.Time = first.WindowStart;
    first.ComputePosition();
    QPoint start;
    ASSERT_TRUE(form.Map->PixelOnMap(TSat::ReduceLongitude(first.Longitude), first.Latitude, start));
    const QRgb swath = qRgb(props.Swath & 0xFF, (props.Swath >> 8) & 0xFF, (props.Swath >> 16) & 0xFF);
    bool drawn = false;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            drawn |= form.Map->Bitmap->valid(start.x() + dx, start.y() + dy) &&
                     form.Map->Bitmap->pixel(start.x() + dx, start.y() + dy) == swath;
    EXPECT_TRUE(drawn) << "the first pass's start at " << start.x() << "," << start.y();
    form.close();
}

TEST_F(SwathFormDrawing, ClosingOrDestroyingTheViewerMidDrawStopsItsDraw)
{
    ModalCatcher boxes;
    {
        SlowVectorMap map(folder);
        ASSERT_TRUE(map.Made);
        TSwathForm form;
        int ready = 0;
        QObject::connect(&form, &TSwathForm::MapReady, [&] { ++ready; });
        ASSERT_EQ(form.ShowPass(nullptr, sat, &station, &props, false), 0);
        ASSERT_TRUE(form.IsDrawing());
        // The map file ends without a map: a draw left to finish would say
        // "Map not found!". Closed now, it ends quietly.
        map.End();
        form.close();
        EXPECT_FALSE(form.IsDrawing());
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.Map, nullptr);
        EXPECT_FALSE(form.MapProgress->isVisible());
        // The stopped draw posted whatever it did before it ended: that arrives now.
        QCoreApplication::processEvents();
        EXPECT_EQ(ready, 0) << "a stopped draw reports nothing";
        EXPECT_EQ(form.pb->Picture, nullptr);
    }
    {
        SlowVectorMap map(folder);
        ASSERT_TRUE(map.Made);
        auto form = std::make_unique<TSwathForm>();
        ASSERT_EQ(form->ShowPass(nullptr, sat, &station, &props, false), 0);
        ASSERT_TRUE(form->IsDrawing());
        map.End();
        form.reset();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Texts.join(", ").toStdString();
}
