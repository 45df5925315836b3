// The tray icon and the program's life in the tray: the icon's tip names the
// followed pass, a balloon greets the user at start and announces a
// recording once per pass while the main window is hidden, and the icon
// cycles through its frames while a recording runs. The tracker refreshes it
// every cycle (on the GUI thread, through its synchronised step). A click
// brings the program up, the owner-drawn tray menu offers the main commands,
// and with "Minimize to tray" a minimised main window lives only here. A
// desktop without a tray gets no icon; the record is kept all the same.
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/OwnerDrawMenu.h"
#include "shell/ui/Pictures.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {

constexpr int kBalloonMs = 1000;
constexpr int kTrayFlags = 0x1 | 0x2 | 0x4;  // message, icon, tip
constexpr int kTrayBalloon = 0x10;
constexpr int kSeparatorTag = 1;
constexpr int kShowItemTag = 2;
const QColor kSelectedText(0x33, 0x66, 0x99);
const QColor kItemText(0x7F, 0x00, 0x00);

QIcon ProgramIcon()
{
    QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? qApp->style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

int TagOf(const QAction* item)
{
    return item->property("tag").toInt();
}

}  // namespace

void TMainForm::SetUpTrayMenu()
{
    TrayImage = MakeTrayStripe();
    TrayItem = MakeTrayItemPicture(false);
    TrayItemRev = MakeTrayItemPicture(true);
    TrayIconList = MakeTrayFrames();
    auto* popup = static_cast<TOwnerDrawMenu*>(TrayPopup);
    popup->OnMeasureItem = [this](int& width, int& height) { TrayMeasureItem(width, height); };
    popup->OnDrawItem = [this](QAction* item, QPainter& canvas, const QRect& rect, bool selected) {
        TrayDrawItem(item, canvas, rect, selected);
    };
    for (QMenu* sub : {Tools2, Logs1})
        static_cast<TOwnerDrawMenu*>(sub)->OnDrawItem = [this](QAction* item, QPainter& canvas, const QRect& rect,
                                                              bool selected) {
            TraySubDrawItem(item, canvas, rect, selected);
        };
}

void TMainForm::UpdateTrayIcon(int request)
{
    const bool recording = StateFlags & msRecording;
    if (request == NIM_ADD)
        TrayFrame = 0;
    if (StateFlags & msClosing)
        return;
    QIcon icon;
    if (recording && !TrayIconList.isEmpty()) {
        if (TrayFrame < 0 || TrayFrame >= TrayIconList.size())
            TrayFrame = 0;
        icon = TrayIconList[TrayFrame++];
    } else {
        icon = ProgramIcon();
    }
    TrayData.Flags = kTrayFlags;
    TrayData.Icon = icon;

    bool balloon = false;
    if (request == NIM_ADD) {
        TrayData.InfoTitle = ReadRegistryString("APT", "VersionStr");
        TrayData.Info = "The NOAA POES APT Weather Satellite Station";
        TrayData.Tip.clear();
        balloon = true;
    } else if (!NextPass) {
        TrayData.Tip = "Orvanta";
    } else if (recording && !(StateFlags & msShown) && !(StateFlags & msTrayBalloonShown)) {
        StateFlags |= msTrayBalloonShown;
        NextPass->GetTrayHint(TrayData.Info, &TrayData.InfoTitle, 0x1 | 0x2);
        balloon = true;
    } else {
        NextPass->GetTrayHint(TrayData.Tip, nullptr, 0x2 | (recording ? 0x1 : 0));
    }
    if (balloon)
        TrayData.Flags |= kTrayBalloon;

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!TrayIcon) {
        TrayIcon = new QSystemTrayIcon(this);
        TrayIcon->setContextMenu(TrayPopup);
        connect(TrayIcon, &QSystemTrayIcon::activated, this, &TMainForm::TrayMessage);
    }
    TrayIcon->setIcon(TrayData.Icon);
    TrayIcon->setToolTip(TrayData.Tip);
    TrayIcon->show();
    if (balloon)
        TrayIcon->showMessage(TrayData.InfoTitle, TrayData.Info, QSystemTrayIcon::Information, kBalloonMs);
}

void TMainForm::RefreshTray()
{
    UpdateTrayIcon(NIM_MODIFY);
}

void TMainForm::RemoveTrayIcon()
{
    if (TrayIcon)
        TrayIcon->hide();
}

void TMainForm::TrayMessage(QSystemTrayIcon::ActivationReason reason)
{
    // The right button opens the tray menu by itself (its opening clears
    // the stripe flag).
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        return;
    ShowFromTray();
    StateFlags |= msShown;
    // A modal dialog on screen comes up over the main window.
    BringDialogToFront(ActiveWindow);
}

void TMainForm::ShowFromTray()
{
    // Restored before it is shown: a window shown while still minimised
    // comes back minimised on some desktops.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (isHidden())
        show();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const bool wasMinimized = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
    const bool minimized = windowState() & Qt::WindowMinimized;
    if (minimized && !wasMinimized)
        WMSysCommand(SC_MINIMIZE);
    else if (!minimized && wasMinimized)
        WMSysCommand(SC_RESTORE);
}

void TMainForm::WMSysCommand(int command)
{
    if (command == SC_MINIMIZE) {
        StateFlags &= ~msShown;
        AppMinimize();
    } else if (command == SC_RESTORE) {
        StateFlags |= msShown;
        AppRestore();
    }
}

void TMainForm::AppMinimize()
{
    StateFlags &= ~msShown;
    if (Settings && (Settings->WinModes & 0x1))
        // Hidden once the minimise is done: the window then shows only in the tray.
        QTimer::singleShot(0, this, [this] {
            if (!(StateFlags & msShown))
                hide();
        });
}

void TMainForm::AppRestore()
{
    StateFlags |= msShown;
}

void TMainForm::TrayShowClick()
{
    if (StateFlags & msShown) {
        showMinimized();
        StateFlags &= ~msShown;
        return;
    }
    StateFlags |= msShown;
    ShowFromTray();
    BringDialogToFront(ActiveWindow);
}

void TMainForm::TrayExitClick()
{
    if ((StateFlags & msShown) || ActiveWindow == this)
        FileExit1Execute();
    else
        TrayShowClick();  // a dialog waits for an answer: show it first
}

QString TMainForm::TrayItemCaption(const QAction* item) const
{
    if (TagOf(item) == kShowItemTag)
        return (StateFlags & msShown) ? "Hide" : "Show";
    return item->text();
}

void TMainForm::TrayMeasureItem(int& width, int& /*height*/)
{
    width += TrayImage.width();
}

namespace {

// The item's text from x on, a quarter of the item's height down; a grey
// one when disabled, and a small arrow for a sub-menu.
void DrawTrayCaption(QAction* item, QPainter& canvas, const QRect& rect, int x, const QString& text,
                     const QColor& colour)
{
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setPen(item->isEnabled() ? colour : QColor(0x90, 0x90, 0x90));
    const QRect textRect(x, rect.top() + rect.height() / 4, rect.right() - x, rect.height());
    canvas.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text);
    if (item->menu()) {
        const int mid = rect.center().y();
        const QPoint arrow[] = {{rect.right() - 9, mid - 4}, {rect.right() - 5, mid}, {rect.right() - 9, mid + 4}};
        canvas.setBrush(colour);
        canvas.setPen(Qt::NoPen);
        canvas.drawPolygon(arrow, 3);
    }
}

}  // namespace

void TMainForm::TrayDrawItem(QAction* item, QPainter& canvas, const QRect& rect, bool selected)
{
    const int stripeWidth = TrayImage.width();
    // The stripe spans the menu's whole height; each item paints the part of
    // it beside itself, so any repaint, partial or full, shows it whole.
    canvas.save();
    canvas.setClipRect(QRect(rect.left(), rect.top(), stripeWidth, rect.height()));
    canvas.drawPixmap(QRect(rect.left(), 0, stripeWidth, TrayPopup->height()), TrayImage);
    canvas.restore();
    const bool reversed = selected || TagOf(item) == kSeparatorTag;
    canvas.drawPixmap(QRect(QPoint(stripeWidth + rect.left(), rect.top()), rect.bottomRight()),
                      reversed ? TrayItemRev : TrayItem);
    if (TagOf(item) == kSeparatorTag)
        return;
    DrawTrayCaption(item, canvas, rect, stripeWidth + rect.left() + 5, TrayItemCaption(item),
                    reversed ? kSelectedText : kItemText);
}

void TMainForm::TraySubDrawItem(QAction* item, QPainter& canvas, const QRect& rect, bool selected)
{
    if (!item)
        return;
    const bool reversed = selected || TagOf(item) == kSeparatorTag;
    const QPixmap& background = reversed ? TrayItemRev : TrayItem;
    canvas.drawPixmap(rect, background);
    if (TagOf(item) != kSeparatorTag)
        DrawTrayCaption(item, canvas, rect, background.width() + rect.left() + 5, item->text(),
                        reversed ? kSelectedText : kItemText);
}
