// The image window as the host of the flat-earth map: starting and
// restarting the map, painting it, the hint over the sun, the moon and the
// satellites, the longitude and latitude read-out, and the refresh thread.
#include "imaging/ui/MDIChild.h"

#include "maps/EarthView.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>

namespace {

constexpr int kHintMaxWidth = 200;
constexpr int kHintOffsetX = 15;
// Room around the text inside the hint's border.
constexpr int kHintMarginX = 3;
constexpr int kHintMarginY = 1;

QLabel* MakeHintWindow(QWidget* owner)
{
    auto* hint = new QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint);
    hint->setObjectName("HintWindow");
    hint->setWordWrap(true);
    hint->setFrameShape(QFrame::Box);
    hint->setMargin(kHintMarginY);
    hint->setIndent(kHintMarginX);
    QPalette colours = hint->palette();
    colours.setColor(QPalette::Window, Qt::yellow);
    colours.setColor(QPalette::WindowText, Qt::black);
    hint->setPalette(colours);
    hint->setAutoFillBackground(true);
    return hint;
}

// The hint's size for text, at most kHintMaxWidth pixels of text wide.
QSize HintSize(const QLabel& hint, const QString& text)
{
    const QRect bounds = hint.fontMetrics().boundingRect(QRect(0, 0, kHintMaxWidth, 10000),
                                                         Qt::AlignLeft | Qt::TextWordWrap, text);
    const int frame = 2 * hint.frameWidth();
    return {bounds.width() + 2 * (kHintMarginX + kHintMarginY) + frame + 1,
            bounds.height() + 2 * kHintMarginY + frame};
}

}  // namespace

bool TMDIChild::InitFlatEarthMonitor(int mode)
{
    // The refresh thread asks for its restarts through a synchronised call.
    Q_ASSERT(QThread::currentThread() == thread());
    if (Flags & mcClosing)
        return false;
    if (!HintWindow)
        HintWindow = MakeHintWindow(this);
    else
        HintWindow->hide();
    Flags = (Flags & ~mcLive) | mcFlatEarth;
    HintObject = nullptr;

    if (mode & 1) {
        // The running thread carries the restart out itself, on this thread
        // through its synchronised call (mode 2).
        if (MapThread && MapThread->RequestReload())
            return true;
        StopMapThread();
        mode |= 4;
    }
    if (!EarthView && MainForm)
        EarthView = MainForm->EarthView.get();
    if (!EarthView || !MainForm)
        return false;

    if (mode & (2 | 4)) {
        const int applied = MainForm->ApplyFlatEarthSettings(1);
        if (applied < 0)
            return false;
        if (applied == 1)
            UpdateScrollRange();
    } else if (!EarthView->IsReady()) {
        if (!EarthView->LoadBackground(EarthView->EarthImage))
            return false;
        UpdateScrollRange();
    }
    if (!EarthView->Prepare(&MainForm->Station, pb->font()))
        return false;
    if (!MapThread)
        MapThread = std::make_unique<TEarhMapThread>(false, EarthView, this);
    return true;
}

void TMDIChild::StopMapThread()
{
    if (MapThread) {
        if (!(MapThread->Flags & emtEnded)) {
            MapThread->Terminate();
            MapThread->WaitFor();
        }
        MapThread.reset();
    }
    // Freed so that the next start loads the background again.
    if (EarthView)
        EarthView->FreeBitmaps();
}

QImage& TMDIChild::MapCanvas()
{
    const QSize size = EarthView ? EarthView->GetMapSize() : QSize();
    if (DisplayBitmap.size() != size || DisplayBitmap.format() != QImage::Format_RGB32)
        DisplayBitmap = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    return DisplayBitmap;
}

void TMDIChild::DrawMap()
{
    if ((Flags & (mcClosing | mcScrollChanging)) || !EarthView || !EarthView->IsReady())
        return;
    if (mapDrawn_) {
        // The refresh thread has just drawn the canvas: showing it is enough.
        mapDrawn_ = false;
        return;
    }
    mapPainting_ = true;
    EarthView->Draw(MapCanvas(), true);
    mapPainting_ = false;
}

void TMDIChild::MapDrawn()
{
    mapDrawn_ = true;
    pb->update();
}

bool TMDIChild::IsMapVisible() const
{
    // Shown and not minimised; while another window is the active one the
    // map keeps moving behind it.
    const QWidget* frame = parentWidget();
    return isVisible() && !(frame && frame->isMinimized()) && !window()->isMinimized();
}

bool TMDIChild::IsMapPainting() const { return mapPainting_; }

bool TMDIChild::IsActiveChild() const
{
    if (!MainForm)
        return true;
    const QMdiSubWindow* current = MainForm->MDIArea()->currentSubWindow();
    return current && current->widget() == this;
}

void TMDIChild::FormDeactivate()
{
    if ((Flags & mcFlatEarth) && !(Flags & mcClosing) && EarthView && EarthView->IsReady())
        EarthView->Modes |= evRedrawAll;
}

void TMDIChild::MapMouseMove(const QPoint& point)
{
    if ((Flags & mcClosing) || !HintWindow || !EarthView || !EarthView->IsReady())
        return;
    if (!IsActiveChild()) {
        HintObject = nullptr;
        return;
    }
    const int x = point.x(), y = point.y();
    if (MainForm)
        MainForm->LonLatLabel->setText(EarthView->GetLonLatText(x, y));
    TSat* object = EarthView->FindObjectAt(x, y);
    const QPoint place = pb->mapToGlobal(QPoint(x + kHintOffsetX, y));
    if (object && object == HintObject && HintWindow->isVisible()) {
        HintWindow->move(place);
        QApplication::processEvents();
        return;
    }
    if (object) {
        HintObject = object;
        const QString text = EarthView->GetHintText(object);
        HintWindow->setText(text);
        HintWindow->setGeometry(QRect(place, HintSize(*HintWindow, text)));
        HintWindow->show();
        return;
    }
    HintWindow->hide();
    HintObject = nullptr;
}

void TMDIChild::CMMouseLeave()
{
    if ((Flags & mcFlatEarth) && HintWindow && HintWindow->isVisible())
        HintWindow->hide();
}

void TMDIChild::leaveEvent(QEvent* event)
{
    CMMouseLeave();
    QWidget::leaveEvent(event);
}
