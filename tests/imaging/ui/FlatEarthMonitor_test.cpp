// The Flat Earth Monitor window: opening it from the Tools menu, its size
// and the satellites it shows first, its map, restarts after a settings
// change, the hint and the read-out under the mouse, and closing.
#include "MainFormFixture.h"
#include "imaging/ui/MDIChild.h"
#include "maps/EarthView.h"
#include "maps/ui/BkSetupDialog.h"
#include "orbit/Sat.h"
#include "platform/TickCount.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QMouseEvent>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Lets the event loop run until done holds; false after a generous bound.
template <typename Done>
bool WaitUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 30000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class FlatEarthMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm();
        form->Station.Latitude = 52.5;
        form->Station.Longitude = 13.4;
        picture = testenv::ProgramDir() + "earth.png";
        QImage image(360, 180, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(picture));
        form->EarthView->EarthImage = picture;
        ASSERT_NE(BkSetupDlg, nullptr);
        BkSetupDlg->bkimage->setText(picture);
    }
    void TearDown() override
    {
        if (form)
            form->MDIArea()->closeAllSubWindows();
        QApplication::processEvents();
    }

    TMDIChild* Open()
    {
        form->FlatEarthTrackerClick();
        TMDIChild* monitor = form->FindMDIChild(0x10);
        if (monitor)
            WaitUntil([&] { return form->MDIArea()->currentSubWindow() == monitor->parentWidget(); });
        return monitor;
    }
    void Close(TMDIChild* monitor)
    {
        static_cast<QMdiSubWindow*>(monitor->parentWidget())->close();
        QApplication::processEvents();
    }
    // The pointer moved to point of the paint box, without a button.
    static void MoveTo(QWidget* box, const QPoint& point)
    {
        QMouseEvent move(QEvent::MouseMove, point, box->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(box, &move);
    }
    // The map as the window paints it.
    static QImage Painted(TMDIChild* monitor) { return monitor->pb->grab().toImage(); }

    std::unique_ptr<TMainForm> form;
    QString picture;
};

TEST_F(FlatEarthMonitorTest, OpensOnceFromTheToolsMenuAndPaintsTheMap)
{
    EXPECT_TRUE(form->FlatEarthTracker->isEnabled());
    EXPECT_TRUE(form->TheFlatEarthMonitor1->isEnabled());
    form->FlatEarthTracker->trigger();
    TMDIChild* monitor = form->FindMDIChild(0x10);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->windowTitle(), "The Flat Earth Monitor");
    EXPECT_EQ(monitor->Flags & (mcFlatEarth | mcLive), mcFlatEarth);
    EXPECT_EQ(monitor->EarthView, form->EarthView.get());
    EXPECT_NE(monitor->MapThread, nullptr);
    EXPECT_EQ(monitor->pb->size(), QSize(360, 180)) << "the scroll range is the map's size";
    // The menus of an image stay hidden.
    EXPECT_FALSE(monitor->Images1->menuAction()->isVisible());
    EXPECT_FALSE(monitor->Edit1->menuAction()->isVisible());

    // A second click opens no second window.
    form->TheFlatEarthMonitor1->trigger();
    int monitors = 0;
    for (TMDIChild* child : form->MDIChildren())
        monitors += (child->Flags & mcFlatEarth) != 0;
    EXPECT_EQ(monitors, 1);

    // The night side is shaded blue, the day side keeps the white picture.
    const QImage map = Painted(monitor);
    ASSERT_EQ(map.size(), QSize(360, 180));
    int white = 0, night = 0;
    for (int x = 0; x < 360; x += 4) {
        const QRgb pixel = map.pixel(x, 90) | 0xFF000000;
        white += pixel == 0xFFFFFFFF;
        night += pixel == 0xFF0000FF;
    }
    EXPECT_GT(white, 10);
    EXPECT_GT(night, 10);
}

TEST_F(FlatEarthMonitorTest, SecondOpeningAfterACloseLoadsTheBackgroundAgain)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(form->EarthView->IsReady());
    Close(monitor);
    EXPECT_FALSE(form->EarthView->IsReady()) << "closing frees the view's bitmaps";
    EXPECT_EQ(form->FindMDIChild(0x10), nullptr);

    // Another picture under the same name: the second opening reads it.
    QImage bigger(720, 360, QImage::Format_RGB32);
    bigger.fill(Qt::white);
    ASSERT_TRUE(bigger.save(picture));
    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(form->EarthView->IsReady());
    EXPECT_EQ(form->EarthView->GetMapSize(), QSize(720, 360));
    EXPECT_EQ(monitor->pb->size(), QSize(720, 360));
}

TEST_F(FlatEarthMonitorTest, MissingBackgroundFailsTheStartWithABox)
{
    form->EarthView->EarthImage = testenv::ProgramDir() + "no-such-map.png";
    ModalCatcher boxes;
    form->FlatEarthTrackerClick();
    QApplication::processEvents();
    EXPECT_EQ(form->FindMDIChild(0x10), nullptr);
    EXPECT_EQ(boxes.Texts, QStringList{"Check your settings!"});
}

TEST_F(FlatEarthMonitorTest, SettingsChangesRestartInTheSameWindowWithTheSameThread)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    TEarhMapThread* thread = monitor->MapThread.get();
    TEarthView& view = *form->EarthView;

    // Each change is taken over by the running thread, which has the window
    // restart on the GUI thread; requests made in a burst while it works are
    // carried out, none lost and none after the thread's end.
    for (int round = 0; round < 3; ++round) {
        const bool showSun = round % 2 == 1;
        BkSetupDlg->ShowSunCb->setChecked(showSun);
        BkSetupDlg->ChangeFlags = bkOptions;
        for (int burst = 0; burst < 5; ++burst)
            ASSERT_TRUE(monitor->InitFlatEarthMonitor(1));
        ASSERT_TRUE(WaitUntil([&] { return ((view.Modes & evSun) != 0) == showSun; }))
            << "round " << round;
        ASSERT_TRUE(WaitUntil([&] { return !(thread->Flags & emtReload); }));
    }
    EXPECT_EQ(monitor->MapThread.get(), thread);
    EXPECT_EQ(form->FindMDIChild(0x10), monitor);
    EXPECT_FALSE(thread->Flags & emtEnded);
    EXPECT_TRUE(view.IsReady());
}

TEST_F(FlatEarthMonitorTest, RestartWithoutARunningThreadLoadsTheBackgroundAgain)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    monitor->StopMapThread();
    ASSERT_FALSE(form->EarthView->IsReady());
    BkSetupDlg->ChangeFlags = 0;
    EXPECT_TRUE(monitor->InitFlatEarthMonitor(1));
    EXPECT_TRUE(form->EarthView->IsReady());
    EXPECT_NE(monitor->MapThread, nullptr);
}

TEST_F(FlatEarthMonitorTest, HintFollowsThePointerOverTheSunAndLeavingHidesIt)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    Painted(monitor);  // draws the sun, which places its mark
    TEarthView& view = *form->EarthView;
    const QRect sun = view.Sun->IconRect;
    ASSERT_FALSE(sun.isEmpty());
    const QPoint over(sun.left() + 4, sun.top() + 4);

    MoveTo(monitor->pb, over);
    QLabel* hint = monitor->HintWindow;
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(monitor->HintObject, view.Sun.get());
    EXPECT_EQ(hint->text(), view.GetHintText(view.Sun.get()));
    EXPECT_EQ(hint->pos(), monitor->pb->mapToGlobal(over + QPoint(15, 0)));
    EXPECT_LE(hint->width(), 200 + 16) << "text at most 200 pixels wide, with the border";
    EXPECT_EQ(hint->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_TRUE(QRegularExpression(R"(^Lon: -?\d+\.\d{4} Lat: -?\d+\.\d{4}$)")
                    .match(form->LonLatLabel->text())
                    .hasMatch())
        << form->LonLatLabel->text().toStdString();
    EXPECT_EQ(form->LonLatLabel->text(), view.GetLonLatText(over.x(), over.y()));

    // On over the same object: the hint only moves.
    const QSize size = hint->size();
    const QPoint further = over + QPoint(2, 1);
    MoveTo(monitor->pb, further);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->size(), size);
    EXPECT_EQ(hint->pos(), monitor->pb->mapToGlobal(further + QPoint(15, 0)));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(monitor, &leave);
    EXPECT_FALSE(hint->isVisible());

    // Back over the sun shows it again; over nothing hides it.
    MoveTo(monitor->pb, over);
    EXPECT_TRUE(hint->isVisible());
    QPoint empty = sun.center() + QPoint(180, 0);
    empty.setX(empty.x() % 360);
    ASSERT_EQ(view.FindObjectAt(empty.x(), empty.y()), nullptr);
    MoveTo(monitor->pb, empty);
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(monitor->HintObject, nullptr);
}

TEST_F(FlatEarthMonitorTest, ActivationAsksForAFullRedraw)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    TEarthView& view = *form->EarthView;
    Painted(monitor);
    ASSERT_FALSE(view.Modes & evRedrawAll) << "a draw clears the request";
    monitor->FormDeactivate();
    EXPECT_TRUE(view.Modes & evRedrawAll);
    Painted(monitor);
    monitor->FormActivate();
    EXPECT_TRUE(view.Modes & evRedrawAll);
}

TEST_F(FlatEarthMonitorTest, RefreshReachesTheMapBehindAnotherWindowButNotAMinimisedOne)
{
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    TEarthView& view = *form->EarthView;
    Painted(monitor);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString path = testenv::ProgramDir() + "picture.png";
    ASSERT_TRUE(image.save(path));
    TMDIChild* other = form->CreateMDIChild(path, 0);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return form->MDIArea()->currentSubWindow() == other->parentWidget(); }));

    // The thread's redraw step, with the night shading due: it is drawn
    // when the renewal's stamp moves.
    auto redrawn = [&] {
        const std::uint32_t due = systime::TickCount() - kDayNightPeriodMs - 1;
        view.DayNightStamp = due;
        monitor->MapThread->RedrawMap();
        return view.DayNightStamp != due;
    };
    EXPECT_TRUE(redrawn()) << "visible behind the active window";
    static_cast<QMdiSubWindow*>(monitor->parentWidget())->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(redrawn()) << "minimised";
    static_cast<QMdiSubWindow*>(monitor->parentWidget())->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(redrawn());
}

TEST_F(FlatEarthMonitorTest, ClosesWithoutAQuestionWhileAnotherWindowIsModified)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString path = testenv::ProgramDir() + "picture.png";
    ASSERT_TRUE(image.save(path));
    TMDIChild* other = form->CreateMDIChild(path, 0);
    ASSERT_NE(other, nullptr);
    other->Flags |= mcModified;
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);

    ModalCatcher boxes;
    Close(monitor);
    EXPECT_TRUE(boxes.Captions.isEmpty());
    EXPECT_EQ(form->FindMDIChild(0x10), nullptr);
    EXPECT_FALSE(form->EarthView->IsReady());
    other->Flags &= ~mcModified;
}

TEST_F(FlatEarthMonitorTest, OpensShowingTheWholeMapOrFillingTheWorkspace)
{
    const QSize space = form->MDIArea()->viewport()->size();
    ASSERT_GT(space.width(), 400);
    ASSERT_GT(space.height(), 200);
    struct Case {
        QSize map;
        bool fits;
    };
    for (const Case& c : {Case{{360, 180}, true}, Case{space + QSize(600, 300), false}}) {
        QImage image(c.map, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(picture));
        TMDIChild* monitor = Open();
        ASSERT_NE(monitor, nullptr);
        const QWidget* window = monitor->parentWidget();
        if (c.fits) {
            // Every pixel of the map in view, and no empty margin around it.
            EXPECT_EQ(monitor->sb->viewport()->size(), c.map);
            EXPECT_EQ(monitor->sb->horizontalScrollBar()->maximum(), 0);
            EXPECT_EQ(monitor->sb->verticalScrollBar()->maximum(), 0);
        } else {
            EXPECT_EQ(window->geometry(), QRect(QPoint(0, 0), space));
        }
        Close(monitor);
    }
}

TEST_F(FlatEarthMonitorTest, ShowsTheActiveAptSatellitesUnlessTheUserChoseSome)
{
    // Element sets that arrived after start-up, when the view took its list.
    const struct {
        const char* line0;
        const char* line1;
        const char* line2;
        bool apt;
    } sets[] = {
        {"NOAA 15", "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
         "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676", false},
        {"NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
         "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778", true},
    };
    for (const auto& set : sets) {
        auto* sat = new TSat;
        char name[32];
        std::snprintf(name, sizeof name, "%s", set.line0);
        ASSERT_TRUE(sat->ParseTLE(name, set.line1, set.line2));
        sat->APTSatellite = set.apt;
        form->SatelliteList.Add(sat);
    }
    TEarthView& view = *form->EarthView;
    ASSERT_EQ(view.Satellites.Count, 0);
    const auto shown = [&] {
        QStringList names;
        for (int i = 0; i < view.Satellites.Count; ++i)
            names << QString::fromLatin1(static_cast<TSat*>(view.Satellites.Get(i))->Name);
        return names;
    };
    // What the settings dialog ticks, answered with Cancel.
    const auto ticked = [&] {
        QStringList names;
        QTimer::singleShot(0, BkSetupDlg, [&] {
            for (int row = 0; row < BkSetupDlg->SatList->count(); ++row)
                if (BkSetupDlg->SatList->item(row)->checkState() == Qt::Checked)
                    names << BkSetupDlg->SatList->item(row)->text();
            BkSetupDlg->reject();
        });
        form->FlatEarthTracker1Click();
        return names;
    };

    EXPECT_EQ(ticked(), QStringList{"NOAA 18"}) << "the dialog before the monitor was ever opened";
    TMDIChild* monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(shown(), QStringList{"NOAA 18"});
    Close(monitor);

    view.ClearSatellites();
    view.Satellites.Add(new TSat(*static_cast<TSat*>(form->SatelliteList.Get(0))));
    EXPECT_EQ(ticked(), QStringList{"NOAA 15"});
    monitor = Open();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(shown(), QStringList{"NOAA 15"}) << "the user's choice is kept";
}

}  // namespace
