// The image window's views of a decoded pass, and the lines of a decoding
// as the processing thread hands them over.
#include "imaging/ui/MDIChild.h"

#include "imaging/ImageAnnotation.h"
#include "imaging/MagickSupport.h"
#include "orbit/Sat.h"
#include "shell/AppFolders.h"
#include "shell/ui/GraphicLabel.h"
#include "shell/ui/MainForm.h"

#include <QFile>
#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <cstring>

namespace {

void ShowTopmostError(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace

bool TMDIChild::ShowView(int view, int flags)
{
    if (LbStatus->isVisible() || GaugePanel->isVisible())
        ShowProgress(false);
    if (!APT || !(APT->Flags & aptComplete) || APT->Lines <= 0 || (view == View && !(flags & vfForce)))
        return false;
    const TViewInfo* info = GetViewInfo(view);
    if (!info)
        return false;
    const bool silent = flags & vfSilent;

    // View 0 shows the raw lines, every other view the calibrated ones.
    if (flags & vfReloadRaw) {
        APT->RestoreRawLines();
        if (view != ivNormal)
            APT->Calibrate();
    } else if (view == ivNormal) {
        APT->RestoreRawLines();
    } else {
        APT->Calibrate();
    }
    if (info->NeedsThermal && !(APT->Flags & aptThermalValid)) {
        if (!silent)
            ShowTopmostError("Not enough telemetry found to calibrate Video B!", "Error: Not enough telemetry!");
        return false;
    }

    std::unique_ptr<TLookupTable> table;
    if (info->NeedsTable) {
        const QString tableFile = (flags & vfTestTable) ? Folders().GetTestImageFileName(false)
                                  : LUTFileName                ? LUTFileName(view)
                                                               : QString();
        flags &= ~vfTestTable;
        if (tableFile.isEmpty()) {
            if (!silent)
                ShowTopmostError("Lookup table not found!", "Error: No color Lookup table!");
            return false;
        }
        MagickImageInfoPtr tableInfo(CloneImageInfo(nullptr));
        MagickExceptionPtr tableException(AcquireExceptionInfo());
        CopyMagickString(tableInfo->filename, QFile::encodeName(tableFile).constData(), MaxTextExtent);
        MagickImagePtr tableImage(ReadImage(tableInfo.get(), tableException.get()));
        if (!tableImage) {
            if (!silent)
                ShowImageError(tableException.get());
            return false;
        }
        table = std::make_unique<TLookupTable>(tableImage.get());
    }

    MagickImagePtr backup;
    if (Image) {
        backup = DuplicateImage(Image.get(), false);
        if (!backup)
            return false;
        Image.reset();
    }
    QScrollBar* horizontal = sb->horizontalScrollBar();
    QScrollBar* vertical = sb->verticalScrollBar();
    const int x = horizontal->value(), y = vertical->value(), range = horizontal->maximum();

    const bool rendered = RenderView(table.get(), view, flags);
    if (rendered) {
        View = view;
    } else if (backup) {
        Image = std::move(backup);
        ShowImage(QString(), false);
    }
    if (!(flags & vfPreview) && horizontal->maximum() == range) {
        horizontal->setValue(x);
        vertical->setValue(y);
    }
    if (rendered) {
        if (flags & vfForce)
            CheckViewMenu(View);
        else if (flags & vfRefreshMenus)
            FormActivate();
        if (flags & vfToggleChop)
            UpdateChopMenu();
    }
    return rendered;
}

bool TMDIChild::RenderView(const TLookupTable* table, int view, int flags)
{
    const TViewInfo* info = GetViewInfo(view);
    if (!APT || !info)
        return false;
    const TSetting settings = (flags & vfPreview) && PreviewSettings ? *PreviewSettings : Settings();
    TRenderOptions options = RenderOptionsFrom(settings, view);
    if (flags & vfToggleChop)
        options.ChopToVideo = Choptovideo1->data().toInt() == 0;
    const QString caption = info->TitlePrefix + APT->AudioFileName + "]";

    MagickImagePtr image = RenderViewPixels(*APT, table, options);
    if (!image)
        return false;
    if (IsNorthbound())
        FlipNorthbound(image.get(), view);
    switch (EnhanceView(image.get(), settings, info->Modulated)) {
    case TEnhanceResult::ModulateFailed:
        QMessageBox::critical(this, "Fatal Error", "Failed to Modulate image\nProbably out of memory?");
        return false;
    case TEnhanceResult::GammaFailed:
        QMessageBox::critical(this, "Fatal Error", "Failed to Gamma image\nProbably out of memory?");
        return false;
    case TEnhanceResult::Ok:
        break;
    }
    MagickImageInfoPtr imageInfo(CloneImageInfo(nullptr));
    if (!imageInfo)
        return false;
    AnnotateView(image.get(), imageInfo.get(), settings, Pass ? Pass->GetPassDescription(0) : QString(), Exception.get());
    ShowImageError(Exception.get());

    Image = std::move(image);
    ImageInfo = std::move(imageInfo);
    if (flags & vfOffScreen)
        return true;
    return ShowImage(caption, false);
}

void TMDIChild::PaintLiveLine(int row)
{
    if (!APT || APT->Lines <= 0 || APT->MaxLines <= 0 || DisplayBitmap.isNull() || row < 0 ||
        row >= DisplayBitmap.height())
        return;
    LayoutProgress();
    TSetting settings(Settings());
    const int hue = settings.ClampHue(0);
    const int saturation = settings.ClampSaturation(0);
    const int brightness = settings.ClampBrightness(0);
    if (hue != 100 || saturation != 100 || brightness != 100)
        LiveLineModulation.Apply(reinterpret_cast<std::uint32_t*>(DisplayBitmap.scanLine(row)),
                                 DisplayBitmap.width(), brightness, saturation, hue);
    pb->update(0, row, DisplayBitmap.width(), 1);
    SetGauge(APT->Lines);
}

void TMDIChild::DrawLine(const TAPTLinePixels& line)
{
    if (DisplayBitmap.isNull())
        return;
    const int row = line.TargetRow(DisplayBitmap.height());
    if (row < 0)
        return;
    auto* pixels = reinterpret_cast<QRgb*>(DisplayBitmap.scanLine(row));
    const int width = std::min<int>(DisplayBitmap.width(), TAPT::kLineWidth);
    for (int x = 0; x < width; ++x)
        pixels[x] = line.Pixels[x] | 0xFF000000u;
    PaintLiveLine(row);
}

void TMDIChild::SetImageBitmap(MagickImagePtr image)
{
    CreateDisplayBitmap(0, 0);
    if (!image)
        return;
    const QImage picture = MagickToQImage(image.get(), Exception.get());
    if (picture.isNull())
        return;
    DisplayBitmap = picture.convertToFormat(QImage::Format_RGB32);
    pb->resize(DisplayBitmap.size());
    pb->update();
}

void TMDIChild::ShowResult()
{
    ShowView(ivNormal, (Flags & mcLive) ? vfSilent | vfRefreshMenus : vfRefreshMenus);
}
