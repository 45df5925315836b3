// The swath viewer's drawing thread on a small land map (76..80 N) and the
// tiny vector map: the progress it reports, the map it hands back, and a
// draw stopped half-way.
#include "maps/Map.h"
#include "maps/SwathMapThread.h"
#include "maps/TinyVectorMap.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>
#include <zlib.h>

namespace {

constexpr int kRowBytes = 43200;
constexpr int kFirstLandRow = (90 - 80) * 120, kLastLandRow = (90 - 76) * 120;

// Squares of land a quarter of a degree wide between 0 and 20 E.
void WriteLandMap(const QString& path)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "wb1");
    ASSERT_NE(file, nullptr);
    std::vector<char> row(kRowBytes, 0);
    for (int r = 0; r <= kLastLandRow; ++r) {
        for (int c = 180 * 120; c <= 200 * 120; ++c)
            row[c] = r >= kFirstLandRow && (r / 30 + c / 30) % 2 == 0;
        ASSERT_EQ(gzwrite(file, row.data(), kRowBytes), kRowBytes);
    }
    gzclose(file);
}

int CountColour(const QImage& image, int colour)
{
    const QRgb rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == rgb;
    return count;
}

class SwathMapThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = QDir::tempPath() + "/orvanta-swath-thread-test-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(folder);
        WriteLandMap(folder + "/world-1km.gz");
        WriteTinyVectorMap(folder);
    }
    static void TearDownTestSuite() { QDir(folder).removeRecursively(); }

    static TSwathMapJob Job()
    {
        TSwathMapJob job;
        job.LonMin = 0;
        job.LonMax = 20;
        job.LatMin = 76;
        job.LatMax = 80;
        job.StationLon = 10;
        job.StationLat = 78;
        job.Props.MapDir = folder;
        job.Props.MapType = 2;  // land and vector map
        job.Props.Scale = 1;
        job.Props.Projection = 16;
        return job;
    }

    static QString folder;
};
QString SwathMapThreadTest::folder;

}  // namespace

TEST_F(SwathMapThreadTest, ProgressRisesToTheEndAndTheMapComesBackDrawnThenRedrawn)
{
    std::mutex mutex;
    std::vector<int> progress;  // guarded by mutex
    std::atomic<int> ended{0};
    auto record = [&](int permille) {
        std::lock_guard lock(mutex);
        progress.push_back(permille);
    };
    const TSwathMapJob job = Job();
    TSwathMapThread setUp(nullptr, job, record, [&] { ++ended; });
    setUp.WaitFor();
    EXPECT_EQ(setUp.Result(), mapOk);
    EXPECT_EQ(ended, 1);
    TSwathProp props = job.Props;
    std::unique_ptr<TMap> map = setUp.TakeMap(&props);
    ASSERT_TRUE(map && map->IsValid());
    EXPECT_EQ(map->Props, &props) << "drawing with the window's settings from now on";
    const int land = CountColour(*map->Bitmap, props.Land);
    EXPECT_GT(land, 1000);
    {
        std::lock_guard lock(mutex);
        ASSERT_GT(progress.size(), 20u) << "reported row by row";
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_LT(progress.front(), 100);
        EXPECT_GE(progress.back(), 900) << "up to the vector map";
        EXPECT_LE(progress.back(), 1000);
        progress.clear();
    }

    // New colours: the same map drawn again, on the drawing thread.
    TSwathMapJob redraw = job;
    redraw.Redraw = true;
    redraw.Props.Land = 0x0000FF;
    TSwathMapThread again(std::move(map), redraw, record, [&] { ++ended; });
    again.WaitFor();
    EXPECT_EQ(again.Result(), mapOk);
    map = again.TakeMap(&props);
    ASSERT_TRUE(map && map->IsValid());
    EXPECT_EQ(CountColour(*map->Bitmap, 0x0000FF), land) << "every land pixel in the new colour";
    EXPECT_EQ(CountColour(*map->Bitmap, props.Land), 0);
}

TEST_F(SwathMapThreadTest, AStoppedDrawEndsAtItsNextStepWithoutAValidMap)
{
    // The first report holds the drawing thread until the test has told it to stop.
    std::mutex mutex;
    std::condition_variable changed;
    int reports = 0;       // guarded by mutex
    bool released = false;  // guarded by mutex
    auto hold = [&](int) {
        std::unique_lock lock(mutex);
        ++reports;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    std::atomic<int> ended{0};
    TSwathMapThread thread(nullptr, Job(), hold, [&] { ++ended; });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::minutes(2), [&] { return reports > 0; }));
    }
    EXPECT_FALSE(thread.Finished());
    thread.Terminate();
    {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    thread.WaitFor();
    EXPECT_EQ(thread.Result(), mapStopped);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(reports, 1) << "nothing more was drawn after the stop";
    TSwathProp props;
    const std::unique_ptr<TMap> map = thread.TakeMap(&props);
    ASSERT_NE(map, nullptr) << "the map comes back to its owner";
    EXPECT_FALSE(map->IsValid());
}
