// The tray icon: its tip names the followed pass, a balloon greets the user
// at start and announces a recording once per pass while the main window is
// hidden, and the icon blinks while a recording runs. The tracker refreshes
// it every cycle (on the GUI thread, through its synchronised step). A
// desktop without a tray gets no icon; the texts are kept all the same.
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

constexpr int kTrayFrames = 2;
constexpr int kBalloonMs = 1000;

QIcon ProgramIcon()
{
    QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? qApp->style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

// Frame 0 a red dot, frame 1 a dark one: a blinking "on air" mark.
QIcon RecordingFrame(int frame)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(frame == 0 ? QColor(0xE0, 0x10, 0x10) : QColor(0x50, 0x08, 0x08));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(4, 4, 24, 24);
    return QIcon(pixmap);
}

}  // namespace

void TMainForm::UpdateTrayIcon(int request)
{
    const bool recording = StateFlags & msRecording;
    if (request == NIM_ADD)
        TrayFrame = 0;
    if (StateFlags & msClosing)
        return;
    QIcon icon;
    if (recording) {
        if (TrayFrame < 0 || TrayFrame >= kTrayFrames)
            TrayFrame = 0;
        icon = RecordingFrame(TrayFrame++);
    } else {
        icon = ProgramIcon();
    }

    bool balloon = false;
    if (request == NIM_ADD) {
        TrayBalloonTitle = ReadRegistryString("APT", "VersionStr");
        TrayBalloonText = "The NOAA POES APT Weather Satellite Station";
        TrayTip.clear();
        balloon = true;
    } else if (!NextPass) {
        TrayTip = "Orvanta";
    } else if (recording && !(StateFlags & msShown) && !(StateFlags & msTrayBalloonShown)) {
        StateFlags |= msTrayBalloonShown;
        NextPass->GetTrayHint(TrayBalloonText, &TrayBalloonTitle, 0x1 | 0x2);
        balloon = true;
    } else {
        NextPass->GetTrayHint(TrayTip, nullptr, 0x2 | (recording ? 0x1 : 0));
    }

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!TrayIcon) {
        TrayIcon = new QSystemTrayIcon(this);
        connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                StateFlags |= msShown;
                BringToFront();
            }
        });
    }
    TrayIcon->setIcon(icon);
    TrayIcon->setToolTip(TrayTip);
    TrayIcon->show();
    if (balloon)
        TrayIcon->showMessage(TrayBalloonTitle, TrayBalloonText, QSystemTrayIcon::Information, kBalloonMs);
}

void TMainForm::RefreshTray()
{
    UpdateTrayIcon(NIM_MODIFY);
}
