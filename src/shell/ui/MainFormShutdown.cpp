// The main window's close: ask the image windows, then save every record and
// free what the main window owns, one step at a time in the shutdown window.
#include "shell/ui/EndWin.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/AboutBox.h"
#include "shell/ui/WindowState.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/ZoomWinControl.h"
#include "tracking/ui/ClockThread.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <exception>
#include <functional>
#include <utility>

namespace {
const char kMainKey[] = "APT";
}

bool TMainForm::FormCloseQuery()
{
    // Every image window answers for itself (it may ask to save, or refuse
    // while its log is written), and all of them answer before any closes:
    // one refusal keeps the program and its whole workspace as it was. A
    // change the user let go stays marked until every window has agreed,
    // so a cancelled exit takes nothing away.
    const QList<QMdiSubWindow*> windows = MDIArea()->subWindowList();
    QList<QPointer<TMDIChild>> changesLetGo;
    for (QMdiSubWindow* window : windows) {
        auto* child = qobject_cast<TMDIChild*>(window->widget());
        if (!child)
            continue;
        const bool modified = child->Flags & mcModified;
        if (!child->FormCloseQuery()) {
            for (const QPointer<TMDIChild>& kept : changesLetGo)
                if (kept)
                    kept->Flags |= mcModified;
            return false;
        }
        if (modified)
            changesLetGo << child;
    }
    for (QMdiSubWindow* window : windows) {
        if (!window->close())
            return false;  // a log began in the meantime; its window said so
    }
    CloseZoomWindow();
    return true;
}

void TMainForm::FormClose()
{
    StateFlags |= msClosing;
    Shutdown();
}

void TMainForm::FormDestroy()
{
    StateFlags |= msClosing;
    Shutdown();  // nothing when the close has run it
}

void TMainForm::FileExit1Execute()
{
    close();
}

void TMainForm::Shutdown()
{
    if (StateFlags & msShutdownDone)
        return;
    StateFlags |= msClosing;
    hide();
    QApplication::processEvents();

    auto pause = [this](int ms) {
        if (ShutdownPause)
            ShutdownPause(ms);
        else
            QThread::msleep(static_cast<unsigned long>(ms));
    };
    const QList<QMdiSubWindow*> children = MDIArea()->subWindowList();
    TEndWin endWin;
    const bool radioWindowOpen = IsRadioWindowOpen();
    endWin.ProgressBar->setMaximum(8 + (radioWindowOpen ? 1 : 0) + (WaveIn.IsOpen() ? 1 : 0) +
                                   static_cast<int>(children.size()) +
                                   (WaveBuffer ? 1 : 0) + (RecSat ? 1 : 0) + SatelliteList.Count);
    endWin.show();
    endWin.repaint();

    // Every step runs, whatever an earlier one did: one failure must not
    // leave the tracker running or the later records unsaved. The first
    // failure is reported once all steps are done.
    ShutdownStepsShown.clear();
    QString failedStep;
    auto guarded = [&](const QString& text, const std::function<void()>& action) {
        try {
            action();
        } catch (const std::exception& error) {
            if (failedStep.isEmpty())
                failedStep = text + ": " + QString::fromLocal8Bit(error.what());
        } catch (...) {
            if (failedStep.isEmpty())
                failedStep = text;
        }
    };
    auto step = [&](const QString& text, const std::function<void()>& action) {
        ShutdownStepsShown << text;
        endWin.ShowStep(text);
        guarded(text, action);
    };

    step("Saving window attributes", [&] {
        SaveFormPlacement(this, kMainKey);
        pause(100);
    });
    step("Deleting about", [&] {
        delete AboutBox;
        pause(100);
    });
    if (WaveIn.IsOpen()) {
        // The recording is discarded: the input is closed here, so the
        // buffer it hands back finds nothing left to save or free.
        step("Terminating recorder", [&] {
            WaveIn.Reset();
            WaveIn.UnprepareHeader(&WaveHeader);
            WaveIn.Close();
            waveInOpen_ = false;
        });
    }
    for (QMdiSubWindow* child : children) {
        step("Closing " + child->windowTitle(), [&] {
            pause(100);
            child->close();
        });
    }
    pause(100);
    if (radioWindowOpen) {
        step("Closing Radio control", [&] {
            CloseRadioWindow();
            pause(100);
        });
    }
    step("Terminating the tracker", [&] {
        pause(100);
        RestartTracker(0x200);
    });
    step("Saving station info", [&] {
        PersistStation(false);
        pause(100);
    });
    step("Saving settings", [&] {
        PersistSettings(false);
        pause(100);
    });
    if (WaveBuffer) {
        step("Destroying wave buffer", [&] {
            WaveBuffer.reset();
            WaveHeader.Data = nullptr;
        });
    }
    step("Terminating the clock", [&] {
        if (ClockThread) {
            // The clock frees itself once stopped. Waiting here (which serves
            // its last synchronized call) and running the queued deletion keeps
            // it from outliving the event loop.
            TClockThread* clock = std::exchange(ClockThread, nullptr);
            clock->Terminate();
            clock->WaitFor();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        }
        pause(100);
    });
    if (RecSat)
        step("Destroying RecSat", [&] { RecSat.reset(); });
    // Newest first; a satellite leaves the list before it is freed, so a
    // failed step frees it all the same and the loop always ends.
    for (int left = SatelliteList.Count; left > 0; --left) {
        std::unique_ptr<TSat> sat(static_cast<TSat*>(SatelliteList.Last()));
        SatelliteList.Remove(sat.get());
        step("Freeing satellite " + QString::fromLatin1(sat->Name), [&] {
            pause(10);
            sat.reset();
        });
    }
    step("Destroying the magnifier", [&] {
        Magnifier.reset();
        pause(100);
    });
    step("Unhooking MainWindow MessageHandler", [&] { pause(100); });
    step("Destroying the map", [&] {
        PersistFlatEarth(false);
        pause(100);
    });
    step("Destroying the RIG", [&] {
        PersistRig(false);
        Rig->Close();
        pause(100);
    });
    step("Destroying the Swath Viewer", [&] { PersistSwathView(false); });
    guarded("Removing the tray icon", [&] { RemoveTrayIcon(); });

    if (!failedStep.isEmpty()) {
        // Closed first, so that it comes back as a modal window.
        endWin.hide();
        endWin.ProcLabel->setText("Process:\n" + failedStep);
        endWin.setWindowFlag(Qt::WindowStaysOnTopHint, false);
        endWin.ShowBugReport();
        endWin.exec();
    } else if (endWin.isVisible()) {
        endWin.ShowStep("Thank you!");
        ShutdownStepsShown << "Thank you!";
        pause(1000);
        endWin.close();
    }
    StateFlags |= msShutdownDone;
}
