// The tray icon in a real tray (Xvfb with trayer, started by the launcher),
// clicked the way a user does, through the X server (xdotool).
#include "orbit/Sat.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool PumpUntil(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// Why the tray cannot be tested here, or "" when it can.
QString NoTrayReason()
{
    if (QApplication::platformName() != "xcb")
        return "no X display with a tray (run through tests/shell/tray/with-tray.sh)";
    if (QStandardPaths::findExecutable("xdotool").isEmpty())
        return "xdotool is not installed";
    if (!PumpUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
        return "no system tray appeared on the display";
    return {};
}

// A click of the real pointer at a global position; button 1 left, 3 right.
// The pointer rests there first: a click that comes with the move is lost.
void Click(const QPoint& at, int button)
{
    QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
    PumpUntil([] { return false; }, 300);
    QProcess::execute("xdotool", {"click", QString::number(button)});
}

// The titles of the display's top-level windows, the topmost first (as the
// X server stacks them; xwininfo lists them from the top).
QStringList WindowsTopFirst()
{
    QProcess list;
    list.start("xwininfo", {"-root", "-children"});
    list.waitForFinished(10000);
    QStringList titles;
    for (const QString& line : QString::fromUtf8(list.readAllStandardOutput()).split('\n')) {
        const int open = line.indexOf('"');
        const int close = line.indexOf('"', open + 1);
        if (open >= 0 && close > open)
            titles << line.mid(open + 1, close - open - 1).section(" — ", 0, 0);
    }
    return titles;
}

std::unique_ptr<TMainForm> MakeMainForm()
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    auto form = std::make_unique<TMainForm>();
    form->ShutdownPause = [](int) {};
    form->show();
    return form;
}

QPoint IconCentre(TMainForm& form)
{
    PumpUntil([&] { return form.TrayIcon && form.TrayIcon->geometry().isValid(); });
    // The tray may still move the icon just after embedding it: wait until it
    // stays put for a moment.
    QRect last;
    PumpUntil([&] {
        const QRect now = form.TrayIcon ? form.TrayIcon->geometry() : QRect();
        const bool still = now == last;
        last = now;
        if (!still)
            PumpUntil([] { return false; }, 300);
        return still;
    });
    return form.TrayIcon ? form.TrayIcon->geometry().center() : QPoint();
}

int VisibleBalloons()
{
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && QString(widget->metaObject()->className()) == "QBalloonTip")
            ++shown;
    return shown;
}

// Opens the tray menu with a right click on the icon.
bool OpenTrayMenu(TMainForm& form)
{
    // On a loaded machine the X server can drop a synthetic click that comes
    // too soon after the move: a click that opened nothing is given again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Click(IconCentre(form), 3);
        if (PumpUntil([&] { return form.TrayPopup->isVisible(); }, 4000))
            return true;
    }
    return false;
}

// Counts the paint events a widget receives.
struct TPaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

#define SKIP_WITHOUT_TRAY()                                   \
    if (const QString why = NoTrayReason(); !why.isEmpty()) { \
        SKIP_MISSING(why.toStdString());                      \
    }

}  // namespace

TEST(Tray, TheMenuOpensWithItsStripeAndNamesTheWindowsState)
{
    SKIP_WITHOUT_TRAY();
    auto form = MakeMainForm();
    ASSERT_NE(form->TrayIcon, nullptr);
    EXPECT_EQ(form->TrayIcon->contextMenu(), form->TrayPopup);
    EXPECT_EQ(form->TrayData.InfoTitle, form->windowTitle()) << "the start balloon";
    EXPECT_EQ(form->TrayData.Info, "The NOAA POES APT Weather Satellite Station");
    EXPECT_TRUE(PumpUntil([] { return VisibleBalloons() == 1; })) << "the start balloon is on screen";

    TPaintCounter painted;
    form->TrayPopup->installEventFilter(&painted);
    ASSERT_TRUE(OpenTrayMenu(*form));
    QStringList shown;
    for (QAction* item : form->TrayPopup->actions())
        shown << (item->isSeparator() ? "-" : form->TrayItemCaption(item));
    EXPECT_EQ(shown, QStringList({"Hide", "Exit", "-", "Satellite pass list...", "Tools", "Logs"}));

    // The stripe down the left beside every item, the items' own background
    // beside it, on a full repaint of the menu after its first paint. The
    // menu paints opaquely, so it is rendered onto white: whatever it leaves
    // out shows as white, not as left-over memory.
    ASSERT_TRUE(PumpUntil([&] { return painted.Paints > 0; })) << "the open menu is painted";
    QImage menu(form->TrayPopup->size(), QImage::Format_RGB32);
    menu.fill(Qt::white);
    form->TrayPopup->render(&menu);
    const QImage stripe = form->TrayImage.toImage();
    for (QAction* item : form->TrayPopup->actions()) {
        const QRect rect = form->TrayPopup->actionGeometry(item);
        const QString beside = item->isSeparator() ? "the separator" : form->TrayItemCaption(item);
        EXPECT_LT(menu.pixelColor(1, rect.center().y()).lightness(), 128)
            << "the dark stripe beside " << beside.toStdString();
    }
    const QRect exitRect = form->TrayPopup->actionGeometry(form->Exit1);
    const QColor itemPixel = menu.pixelColor(exitRect.right() - 3, exitRect.top() + 1);
    EXPECT_GT(itemPixel.lightness(), 200) << "the light item background";
    EXPECT_GE(exitRect.width(), stripe.width() + 20) << "each item leaves room for the stripe";
    form->TrayPopup->close();

    form->Show1->trigger();  // "Hide": minimised
    EXPECT_FALSE(form->StateFlags & msShown);
    ASSERT_TRUE(OpenTrayMenu(*form));
    EXPECT_EQ(form->TrayItemCaption(form->Show1), "Show");
    const QPoint showItem = form->TrayPopup->mapToGlobal(form->TrayPopup->actionGeometry(form->Show1).center());
    Click(showItem, 1);
    EXPECT_TRUE(PumpUntil([&] { return !form->isMinimized() && (form->StateFlags & msShown); }));
    EXPECT_EQ(form->TrayItemCaption(form->Show1), "Hide");
    form->close();
}

TEST(Tray, ALeftClickBringsUpTheWaitingDialogAndExitShowsTheProgram)
{
    SKIP_WITHOUT_TRAY();
    auto form = MakeMainForm();
    form->Settings->WinModes = 0x1;  // minimise to the tray
    const QPoint icon = IconCentre(*form);
    QDialog dialog(form.get());
    dialog.setWindowTitle("Waiting");
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto answer = qScopeGuard([&] { dialog.reject(); });
        ASSERT_TRUE(PumpUntil([&] { return dialog.isVisible(); }));
        form->Show1->trigger();
        ASSERT_TRUE(PumpUntil([&] { return form->isHidden(); })) << "minimised into the tray";

        Click(icon, 1);
        EXPECT_TRUE(PumpUntil([&] { return form->isVisible() && !form->isMinimized(); }));
        EXPECT_TRUE(form->StateFlags & msShown);
        EXPECT_EQ(form->ActiveWindow, &dialog);
        EXPECT_TRUE(PumpUntil([&] { return QApplication::activeWindow() == &dialog; }))
            << "the dialog, not only the main window, comes up";
        const QStringList stack = WindowsTopFirst();
        EXPECT_LT(stack.indexOf(dialog.windowTitle()), stack.indexOf(form->windowTitle())) << "the dialog lies on top";

        // Exit while the dialog waits in the tray shows the program instead.
        form->Show1->trigger();
        ASSERT_TRUE(PumpUntil([&] { return form->isHidden(); }));
        if (OpenTrayMenu(*form)) {
            Click(form->TrayPopup->mapToGlobal(form->TrayPopup->actionGeometry(form->Exit1).center()), 1);
            EXPECT_TRUE(PumpUntil([&] { return form->isVisible(); }));
            EXPECT_FALSE(form->StateFlags & msClosing);
        } else {
            ADD_FAILURE() << "the tray menu did not open over a modal dialog";
        }
        checked = true;
    });
    form->ShowDialogModal(&dialog);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form->StateFlags & msShutdownDone);

    // Without a dialog, Exit closes the program the close box's way.
    ASSERT_TRUE(OpenTrayMenu(*form));
    Click(form->TrayPopup->mapToGlobal(form->TrayPopup->actionGeometry(form->Exit1).center()), 1);
    EXPECT_TRUE(PumpUntil([&] { return bool(form->StateFlags & msShutdownDone); }));
    EXPECT_EQ(form->ShutdownStepsShown.value(0), "Saving window attributes");
}

TEST(Tray, ARecordingShowsItsBalloonOncePerPassWhileHiddenAndCyclesTheFrames)
{
    SKIP_WITHOUT_TRAY();
    auto form = MakeMainForm();
    ASSERT_TRUE(PumpUntil([] { return VisibleBalloons() == 1; }));
    auto* pass = new TSat;
    std::snprintf(pass->Name, sizeof pass->Name, "NOAA 19");
    {
        std::lock_guard lock(form->NextPassLock);
        form->NextPass = pass;  // freed by the main window
    }
    form->StateFlags |= msRecording;

    form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
    EXPECT_FALSE(form->TrayData.Flags & 0x10) << "no balloon while the window is on screen";
    EXPECT_TRUE(form->TrayData.Tip.startsWith("NOAA 19 Recording")) << form->TrayData.Tip.toStdString();

    form->Show1->trigger();  // into the tray
    form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
    EXPECT_TRUE(form->TrayData.Flags & 0x10);
    EXPECT_TRUE(form->TrayData.InfoTitle.startsWith("NOAA 19 Recording"));
    form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
    EXPECT_FALSE(form->TrayData.Flags & 0x10) << "once per pass";
    form->ClearTrayBalloon();  // the tracker takes the next pass
    form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
    EXPECT_TRUE(form->TrayData.Flags & 0x10) << "the next pass gets its own";

    // Every frame in turn, then the first again; the program icon afterwards.
    const int frames = static_cast<int>(form->TrayIconList.size());
    ASSERT_GE(frames, 2);
    form->TrayFrame = 0;
    QList<qint64> seen;
    for (int i = 0; i < frames + 1; ++i) {
        form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
        seen << form->TrayData.Icon.cacheKey();
        EXPECT_EQ(form->TrayIcon->icon().cacheKey(), seen.last()) << "handed to the tray";
    }
    for (int i = 0; i < frames; ++i)
        EXPECT_EQ(seen[i], form->TrayIconList[i].cacheKey()) << "frame " << i;
    EXPECT_EQ(seen[frames], seen[0]);
    form->StateFlags &= ~msRecording;
    form->UpdateTrayIcon(TMainForm::NIM_MODIFY);
    for (const QIcon& frame : form->TrayIconList)
        EXPECT_NE(form->TrayData.Icon.cacheKey(), frame.cacheKey()) << "not a frame once the recording ends";
    form->close();
}
