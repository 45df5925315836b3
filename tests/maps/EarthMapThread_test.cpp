// The flat-earth refresh thread on a stand-in for the monitor window.
#include "EarthViewFixture.h"
#include "maps/EarthMapThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <thread>

using namespace earthfixture;

namespace {

// The window's side, as the thread sees it; every call must come on the GUI
// thread.
class StandInHost : public TEarthMapHost {
public:
    explicit StandInHost(TEarthView& view) : view_(view) {}
    bool InitFlatEarthMonitor(int mode) override
    {
        CheckGuiThread();
        ++Reloads;
        LastMode = mode;
        ReloadsDuringStop += Stopping;
        return ReloadSucceeds && view_.Prepare(nullptr, QFont());
    }
    bool IsMapVisible() const override
    {
        CheckGuiThread();
        ++VisibilityChecks;
        return Visible;
    }
    bool IsMapPainting() const override { return Painting; }
    QImage& MapCanvas() override { return Canvas; }
    void MapDrawn() override
    {
        CheckGuiThread();
        ++Draws;
    }

    bool Visible = true;
    bool Painting = false;
    bool ReloadSucceeds = true;
    bool Stopping = false;
    int Reloads = 0, LastMode = 0, ReloadsDuringStop = 0, Draws = 0;
    mutable int VisibilityChecks = 0;
    mutable bool OffGuiThread = false;
    QImage Canvas{360, 180, QImage::Format_RGB32};

private:
    void CheckGuiThread() const { OffGuiThread |= QThread::currentThread() != qApp->thread(); }
    TEarthView& view_;
};

// Lets the event loop (and with it the thread's synchronised calls) run
// until done holds; false after a generous bound.
template <typename Done>
bool WaitUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

constexpr int kHour = 3600 * 1000;

class EarthMapThreadTest : public EarthViewTest {
protected:
    void SetUp() override
    {
        EarthViewTest::SetUp();
        ASSERT_TRUE(view.Prepare(&station, QFont()));
    }
    StandInHost host{view};
};

}  // namespace

TEST_F(EarthMapThreadTest, ReloadRedrawsAtOnceWithoutTheSleep)
{
    TEarhMapThread thread(true, &view, &host);
    EXPECT_EQ(thread.Priority(), TThreadPriority::Idle);
    thread.CycleMs = kHour;  // a cycle that slept could not redraw within the test
    ASSERT_TRUE(thread.RequestReload());
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return host.Draws > 0; }));
    EXPECT_EQ(host.Reloads, 1);
    EXPECT_EQ(host.LastMode, 2);
    EXPECT_FALSE(thread.Flags & emtReload);
    EXPECT_FALSE(host.OffGuiThread);
    thread.Terminate();  // ends the hour's sleep at once
    thread.WaitFor();
    EXPECT_EQ(thread.Flags, emtEnded);
}

TEST_F(EarthMapThreadTest, FailedReloadEndsTheThread)
{
    host.ReloadSucceeds = false;
    TEarhMapThread thread(true, &view, &host);
    thread.CycleMs = kHour;
    thread.Flags = emtReload;
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }));
    thread.WaitFor();
    EXPECT_EQ(thread.Flags, emtEnded) << "only the end bit is left";
    EXPECT_EQ(host.Draws, 0);
    EXPECT_FALSE(thread.RequestReload()) << "an ended thread takes no request: the window reloads itself";
    EXPECT_EQ(thread.Flags, emtEnded);
}

TEST_F(EarthMapThreadTest, HiddenOrPaintingWindowIsNotRedrawnButTheThreadRuns)
{
    const QImage icon = MakeSatIcon();
    view.SatIcon = &icon;
    view.Satellites.Add(MakeSat(Noaa18));
    host.Visible = false;
    TEarhMapThread thread(true, &view, &host);
    thread.CycleMs = 1;
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return host.VisibilityChecks >= 3; }));
    EXPECT_EQ(host.Draws, 0);
    EXPECT_FALSE(thread.Finished());

    host.Visible = true;
    host.Painting = true;
    const int checks = host.VisibilityChecks;
    ASSERT_TRUE(WaitUntil([&] { return host.VisibilityChecks >= checks + 3; }));
    EXPECT_EQ(host.Draws, 0) << "never into a paint in progress";

    host.Painting = false;
    ASSERT_TRUE(WaitUntil([&] { return host.Draws > 0; }));
    // Drawn, the view is not due again until 3 s of ticks have passed.
    const int draws = host.Draws;
    const int seen = host.VisibilityChecks;
    ASSERT_TRUE(WaitUntil([&] { return host.VisibilityChecks >= seen + 3; }));
    EXPECT_EQ(host.Draws, draws);
    tick += kSatellitePeriodMs + 1;
    ASSERT_TRUE(WaitUntil([&] { return host.Draws > draws; }));
    thread.Terminate();
    thread.WaitFor();
}

TEST_F(EarthMapThreadTest, ViewWithoutBitmapsEndsTheThread)
{
    TEarhMapThread thread(true, &view, &host);
    thread.CycleMs = 1;
    view.FreeBitmaps();
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }));
    thread.WaitFor();
    EXPECT_EQ(thread.Flags, emtEnded);
    EXPECT_EQ(host.Draws, 0);
}

TEST_F(EarthMapThreadTest, StopDuringASynchronisedCallNeverLocks)
{
    // The GUI thread does not run its event loop from the request to the
    // stop: the thread's synchronised reload can only be served inside WaitFor.
    // The thread clears the request bit just before it asks for the reload,
    // so once the bit is gone the call is on its way.
    TEarhMapThread thread(true, &view, &host);
    thread.CycleMs = kHour;
    ASSERT_TRUE(thread.RequestReload());
    thread.Resume();
    QElapsedTimer timer;
    timer.start();
    while ((thread.Flags & emtReload) && timer.elapsed() < 30000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_FALSE(thread.Flags & emtReload);
    host.Stopping = true;
    thread.Terminate();
    thread.WaitFor();
    EXPECT_EQ(host.ReloadsDuringStop, 1);
    EXPECT_EQ(thread.Flags, emtEnded);
}
