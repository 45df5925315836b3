// The image operations of the Transform, Effect and Enhance menus. Each makes
// a new picture through MagickCore and pushes the old one onto the undo
// stack; a failing call leaves picture and stack as they were and is
// reported at once.
#include "imaging/NeighbourhoodStatistic.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include "platform/CNumbers.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>
#include <cmath>

namespace {

// The caption of the boxes that ask for a number.
const QString kAskCaption = "Userdefined value ";

// Reduce noise and median filter look at a square neighbourhood of 2r + 1
// pixels; 0 lets MagickCore choose one. A radius beyond the picture changes
// nothing more, so it is held there (and a huge number cannot overflow).
size_t NeighbourhoodWidth(double radius, const Image* image)
{
    if (!(radius > 0.0))
        return 0;
    const double largest = static_cast<double>(std::max(image->columns, image->rows));
    return static_cast<size_t>(2.0 * std::min(radius, largest) + 1.0);
}

}  // namespace

bool TMDIChild::RunImageCommand(const std::function<::Image*(const ::Image*, ExceptionInfo*)>& make,
                                const QString& caption)
{
    if (!IsEditable())
        return false;
    QApplication::processEvents();
    MagickImagePtr made;
    {
        WaitCursor busy;
        made.reset(make(Image.get(), Exception.get()));
    }
    if (!made) {
        if (Exception->severity == UndefinedException)
            ThrowMagickException(Exception.get(), GetMagickModule(), ResourceLimitError, "Operation failed",
                                 "`%s'", caption.toUtf8().constData());
        ShowImageError(Exception.get());
        return false;
    }
    WaitCursor busy;
    PushUndo(std::move(made), caption);
    return true;
}

bool TMDIChild::RunOnCopy(const std::function<bool(::Image*)>& change, const QString& caption)
{
    return RunImageCommand(
        [this, &change](const ::Image* image, ExceptionInfo* exception) -> ::Image* {
            MagickImagePtr copy(CloneImage(image, 0, 0, MagickTrue, exception));
            if (!copy)
                return nullptr;
            const bool changed = change(copy.get());
            // In-place calls leave their report in the copy.
            InheritException(exception, &copy->exception);
            ClearMagickException(&copy->exception);
            return changed ? copy.release() : nullptr;
        },
        caption);
}

bool TMDIChild::AskNumber(const QString& prompt, const QString& proposal, double& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, kAskCaption, prompt, QLineEdit::Normal, proposal, &ok);
    if (!ok)
        return false;
    // Text that is no number ends the command as Cancel does.
    return cnum::TryParseFloat(text.trimmed().toStdString(), value);
}

void TMDIChild::Flip1Click()
{
    RunImageCommand(FlipImage, "Undo Flip");
}

void TMDIChild::Flop1Click()
{
    RunImageCommand(FlopImage, "Undo Flop");
}

void TMDIChild::RotateClick(QAction* item)
{
    if (!IsEditable())
        return;
    double degrees = item->data().toInt();
    if (degrees == 0 && !AskNumber("Specify the number of degrees to rotate the image:", "30", degrees))
        return;
    if (!(degrees > 0.0 && degrees < 360.0))
        return;
    RunImageCommand([degrees](const ::Image* image,
                              ExceptionInfo* exception) { return RotateImage(image, degrees, exception); },
                    "Undo Rotate");
}

void TMDIChild::Chop1Click()
{
    ChopState = IsEditable() ? 0 : -1;
}

void TMDIChild::Normalize1Click()
{
    RunOnCopy([](::Image* image) { return NormalizeImage(image) != MagickFalse; }, "Undo Normalize");
}

void TMDIChild::Equalize1Click()
{
    RunOnCopy([](::Image* image) { return EqualizeImage(image) != MagickFalse; }, "Undo Equalize");
}

void TMDIChild::ContrastClick(QAction* item)
{
    const bool increase = item->data().toInt() != 0;
    RunOnCopy(
        [increase](::Image* image) {
            ContrastImage(image, increase ? MagickTrue : MagickFalse);
            return true;
        },
        QString("Undo %1 Contast").arg(increase ? "Increase" : "Decrease"));
}

void TMDIChild::ReduceNoise(QAction* item)
{
    if (!IsEditable())
        return;
    const auto* menu = qobject_cast<const QMenu*>(item->parent());
    const bool median = menu && menu->menuAction()->data().toInt() == 1;
    double radius = 0.0;
    switch (item->data().toInt()) {
    case 0: radius = 1.0; break;
    case 1: radius = 3.0; break;
    case 2: radius = 5.0; break;
    case 10:
        if (!AskNumber("Enter radius of the pixel neighborhood:", QString(), radius))
            return;
        if (!(radius >= 0.0))
            radius = 0.0;
        break;
    default: break;
    }
    const size_t width = NeighbourhoodWidth(radius, Image.get());
    const size_t quickest = LargestQuickWidth(Image->columns, Image->rows);
    if (width > quickest) {
        // A typed radius has no natural bound, and the time grows with it.
        QMessageBox::information(
            this, "Radius too large",
            QString("A radius of %1 takes too long on a picture of %2 x %3 pixels.\n"
                    "The largest radius that finishes within a few seconds is %4.")
                .arg(radius)
                .arg(Image->columns)
                .arg(Image->rows)
                .arg(static_cast<double>(quickest - 1) / 2));
        return;
    }
    const StatisticType statistic = median ? MedianStatistic : NonpeakStatistic;
    RunImageCommand(
        [statistic, width](const ::Image* image, ExceptionInfo* exception) {
            return FastStatisticImage(image, statistic, width, exception);
        },
        median ? "Undo Median filter" : "Reduce noise");
}

void TMDIChild::Enhance2Click()
{
    RunImageCommand(EnhanceImage, "Undo Enhance");
}

void TMDIChild::Despeckle1Click()
{
    RunImageCommand(DespeckleImage, "Undo Despeckle");
}

void TMDIChild::Emboss1Click()
{
    RunImageCommand([](const ::Image* image, ExceptionInfo* exception) { return EmbossImage(image, 2.0, 1.0, exception); },
                    "Undo Emboss");
}

void TMDIChild::Sharpen1Click()
{
    RunImageCommand(
        [](const ::Image* image, ExceptionInfo* exception) { return SharpenImage(image, 0.0, 1.0, exception); },
        "Undo Sharpen");
}

void TMDIChild::Findedges1Click()
{
    RunImageCommand([](const ::Image* image, ExceptionInfo* exception) { return EdgeImage(image, 0.0, exception); },
                    "Undo Find Edges");
}
