// The image window's operations that ask first: resize and modulate, each
// through the one dialog of the run, shown modally (or only raised when it is
// already shown), and pushed onto the undo stack like every other step.
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include "imaging/ui/ModulateDlg.h"
#include "imaging/ui/ResizeDlg.h"
#include "platform/CNumbers.h"
#include "shell/MagickNames.h"
#include "shell/ui/MainForm.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

namespace {

// True when the dialog was already shown and has only been raised.
bool RaiseIfShown(QWidget* dialog)
{
    if (!dialog || !dialog->isVisible())
        return false;
    if (MainForm) {
        MainForm->BringDialogToFront(dialog);
    } else {
        dialog->raise();
        dialog->activateWindow();
    }
    return true;
}

// Modal, with the dialog as the window the main window brings to the front.
int ShowModal(QDialog* dialog)
{
    if (MainForm)
        MainForm->ActiveWindow = dialog;
    const int result = dialog->exec();
    if (MainForm)
        MainForm->ActiveWindow = MainForm;
    return result;
}

// A size in pixels: nearest whole number (halves to even), held within int.
int PixelCount(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::nearbyint(std::clamp(value, -2147483648.0, 2147483647.0)));
}

// MagickCore turns a blur of 0 or below into an all-black picture, and 0 is
// the dialog's own default: such a blur, or text that is no number, means
// the filter's plain support.
double BlurFactor(const QString& text)
{
    double blur = 0;
    if (!cnum::TryParseFloat(text.trimmed().toStdString(), blur) || !(blur > 0) || !std::isfinite(blur))
        return 1.0;
    return blur;
}

}  // namespace

void TMDIChild::Resize1Click()
{
    if (!IsEditable() || RaiseIfShown(ResizeDlg))
        return;
    if (!ResizeDlg)
        new TResizeDlg(MainForm ? static_cast<QWidget*>(MainForm) : this);
    ResizeDlg->OrigWidth = static_cast<double>(Image->columns);
    ResizeDlg->OrigHeight = static_cast<double>(Image->rows);
    if (ShowModal(ResizeDlg) != QDialog::Accepted || !(ResizeDlg->Flags & rdSizeEntered) || !IsEditable())
        return;

    const FilterTypes filter = magicknames::FilterFromStored(ResizeDlg->StoredFilter());
    const double blur = BlurFactor(ResizeDlg->Blur->text());
    int width, height;
    if (ResizeDlg->PixelSize->isChecked()) {
        width = PixelCount(static_cast<double>(cnum::ParseInt(ResizeDlg->IWidth->text())));
        height = PixelCount(static_cast<double>(cnum::ParseInt(ResizeDlg->IHeight->text())));
    } else {
        width = PixelCount(cnum::ParseFloat(ResizeDlg->IWidth->text()) * static_cast<double>(Image->columns) * 0.01);
        height = PixelCount(cnum::ParseFloat(ResizeDlg->IHeight->text()) * static_cast<double>(Image->rows) * 0.01);
    }
    if (width <= 0 || height <= 0) {
        QMessageBox::critical(this, "Error", "Zero width or height!");
        return;
    }
    RunImageCommand(
        [=](const ::Image* image, ExceptionInfo* exception) {
            return ResizeImage(image, static_cast<size_t>(width), static_cast<size_t>(height), filter, blur,
                               exception);
        },
        "Undo Resize");
}

void TMDIChild::Modulateandgammacorrect1Click()
{
    if (!IsEditable() || RaiseIfShown(ModulateDlg))
        return;
    if (!ModulateDlg)
        new TModulateDlg(MainForm ? static_cast<QWidget*>(MainForm) : this);
    if (Image->gamma == 0)
        Image->gamma = 1.0;
    ModulateDlg->ImageWindow = this;
    const int result = ShowModal(ModulateDlg);
    ModulateDlg->ImageWindow = nullptr;
    if (!ModulateDlg->Changed)
        return;
    QApplication::processEvents();
    if (result != QDialog::Accepted) {
        // A preview may have replaced the picture on screen.
        RedrawImage();
        return;
    }
    MagickImagePtr copy = DuplicateImage(Image.get(), true);
    if (!copy) {
        QMessageBox::critical(this, "Error", "Failed to clone image!");
        return;
    }
    ModulateDlg->ImageWindow = this;
    const bool applied = ModulateDlg->Apply(copy.get());
    ModulateDlg->ImageWindow = nullptr;
    if (!applied) {
        RedrawImage();
        QMessageBox::critical(this, "Error", "Failed to modulate image!");
        return;
    }
    WaitCursor busy;
    PushUndo(std::move(copy), "Modulate Image");
}
