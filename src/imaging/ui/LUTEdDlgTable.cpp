// The look-up-table editor's colours and files: HSV conversions, ramps, the
// table's geometry, and reading and writing table images.
#include "imaging/ui/LUTEdDlg.h"

#include "imaging/FileTypes.h"
#include "imaging/MagickSupport.h"
#include "platform/AtomicFile.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QMessageBox>
#include <QSpinBox>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kColumns = 100;  // of the table file
constexpr int kRows = 256;

// Rounded half to even, as every conversion of the editor rounds.
int Round(double value) { return static_cast<int>(std::nearbyint(value)); }

int Channel(double unit) { return std::clamp(Round(unit * 255), 0, 255); }

// Boxes of loading and saving: no owner, error icon.
void ErrorBox(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

bool TLUTEdDlg::ColorToHSV(QRgb colour, THSV& hsv)
{
    const double red = qRed(colour) / 255.0, green = qGreen(colour) / 255.0, blue = qBlue(colour) / 255.0;
    const double max = std::max({red, green, blue});
    const double delta = max - std::min({red, green, blue});
    hsv = THSV{0, 0, max};
    if (max == 0 || delta == 0)
        return false;
    hsv.Saturation = delta / max;
    double hue;
    if (red == max)
        hue = (green - blue) / delta;
    else if (green == max)
        hue = (blue - red) / delta + 2;
    else
        hue = (red - green) / delta + 4;
    hue *= 60;
    hsv.Hue = hue < 0 ? hue + 360 : hue;
    return true;
}

bool TLUTEdDlg::HSVToColor(const THSV& hsv, QRgb& colour)
{
    if (hsv.Hue < 0)
        return false;
    const double s = hsv.Saturation, v = hsv.Value;
    if (s == 0) {
        const int grey = Channel(v);
        colour = qRgb(grey, grey, grey);
        return true;
    }
    const double h = (hsv.Hue == 360 ? 0 : hsv.Hue) / 60;
    const int sector = static_cast<int>(std::floor(h));
    const double f = h - sector;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r, g, b;
    switch (sector % 6) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
    colour = qRgb(Channel(r), Channel(g), Channel(b));
    return true;
}

void TLUTEdDlg::DrawRamp(QImage& target, QWidget* box, QRgb topColour, const THSV& top, double bottomValue, int x,
                         int width)
{
    const int first = std::max(0, x), end = std::min(target.width(), x + width);
    const double step = bottomValue - top.Value;
    QRgb colour = topColour;
    for (int row = 0; row < std::min(kRows, target.height()); ++row) {
        if (row > 0) {
            const THSV hsv{top.Hue, top.Saturation, top.Value + row * step / 255};
            HSVToColor(hsv, colour);  // a failure keeps the row above's colour
        }
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(row));
        std::fill(line + first, line + std::max(first, end), colour | 0xFF000000u);
    }
    if (box)
        box->update();
}

int TLUTEdDlg::ColumnToCelsius(int x)
{
    if (x <= 0)
        return -60;
    if (x >= kTableWidth)
        return 40;
    return std::clamp(Round(x / 3.0 - 60), -60, 40);
}

int TLUTEdDlg::SnapColumn(int x) const
{
    const int band = 3 * DeltaT->value();
    x -= x % band;
    if (x < 0)
        x = 0;
    if (x + band > kTableWidth)
        x = kTableWidth - band;
    return x;
}

void TLUTEdDlg::ClearBitmap(QImage& bitmap, QWidget* box)
{
    bitmap = QImage(box->size(), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    box->update();
}

void TLUTEdDlg::ShowMagickError(const QString& reason, const QString& description)
{
    QMessageBox box(QMessageBox::Critical, "Error", QString("%1\n%2\n%3").arg(windowTitle(), reason, description),
                    QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

bool TLUTEdDlg::LoadTable(const QString& path, bool quiet)
{
    ResetEditor();
    // A failed load leaves a black table without a name.
    auto fail = [&](const QString& text, const QString& caption) {
        if (!quiet && !text.isEmpty())
            ErrorBox(text, caption);
        LUTFileName.clear();
        UpdateCaption();
        return false;
    };
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return fail(QString(), QString());

    const TDisplayImage read = ReadDisplayImage(path);
    if (read.Result == TDisplayImage::NoMemory)
        return fail("Unable to allocate memory for ImageInfo!", "Fatal Error: No Memory!");
    if (read.Result != TDisplayImage::Ok) {
        if (!quiet)
            ShowMagickError(read.Reason, read.Description);
        return fail(QString(), QString());
    }
    if (read.Width != kColumns || read.Height != kRows)
        return fail("The CLUT size should be (wxh) 100x256 pixels!", "Error: Non standard CLUT!");
    const QImage& file = read.Picture;

    // The temperature step: the first column at row 25 whose colour differs
    // from column 0's; none, or beyond 10, gives 1.
    const QRgb first = file.pixel(0, 25) & 0xFFFFFFu;
    int step = 1;
    for (int c = 1; c < kColumns; ++c)
        if ((file.pixel(c, 25) & 0xFFFFFFu) != first) {
            step = c <= 10 ? c : 1;
            break;
        }

    const unsigned updating = Flags & leUpdating;
    Flags |= leUpdating;
    MaxMinValueToAll->setChecked(false);
    MaxValue->setValue(100);
    MinValue->setValue(0);
    DeltaT->setValue(step);
    for (int c = 0; c < kColumns; ++c) {
        THSV top, bottom;
        ColorToHSV(file.pixel(c, 0), top);
        ColorToHSV(file.pixel(c, kRows - 1), bottom);
        DrawRamp(Table, nullptr, file.pixel(c, 0), top, bottom.Value, 3 * c, 3);
    }
    LUTFileName = path;
    UpdateCaption();
    pb->update();
    Flags = (Flags & ~leUpdating) | updating;
    return true;
}

bool TLUTEdDlg::SaveTable(const QString& path, bool keepName)
{
    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    if (!info) {
        ErrorBox("Unable to allocate memory for ImageInfo!", "Fatal Error: No Memory!");
        return false;
    }
    MagickImagePtr image(AcquireImage(info.get()));
    if (!image || SetImageExtent(image.get(), kColumns, kRows) == MagickFalse) {
        ErrorBox("Unable to allocate memory for image!", "Fatal Error: No Memory!");
        return false;
    }
    image->storage_class = DirectClass;
    image->depth = 8;
    image->matte = MagickFalse;

    // Each column from its top and bottom pixels: one hue and saturation,
    // the value falling linearly.
    THSV columns[kColumns];
    double bottomValues[kColumns];
    for (int c = 0; c < kColumns; ++c) {
        ColorToHSV(Table.pixel(3 * c, 0), columns[c]);
        THSV bottom;
        ColorToHSV(Table.pixel(3 * c, kRows - 1), bottom);
        bottomValues[c] = bottom.Value;
    }
    MagickExceptionPtr exception(AcquireExceptionInfo());
    bool complete = true;
    for (int row = 0; row < kRows && complete; ++row) {
        PixelPacket* pixels = GetAuthenticPixels(image.get(), 0, row, kColumns, 1, exception.get());
        if (!pixels) {
            complete = false;
            break;
        }
        for (int c = 0; c < kColumns; ++c) {
            THSV hsv = columns[c];
            hsv.Value += row * (bottomValues[c] - columns[c].Value) / 255;
            QRgb colour = qRgb(0, 0, 0);
            HSVToColor(hsv, colour);
            pixels[c].red = ByteToQuantum(static_cast<unsigned char>(qRed(colour)));
            pixels[c].green = ByteToQuantum(static_cast<unsigned char>(qGreen(colour)));
            pixels[c].blue = ByteToQuantum(static_cast<unsigned char>(qBlue(colour)));
            pixels[c].opacity = OpaqueOpacity;
        }
        complete = SyncAuthenticPixels(image.get(), exception.get()) != MagickFalse;
    }

    // Encoded in the format of the extension, then written under a
    // temporary name and renamed: a failed save leaves the old file as it was.
    QByteArray encoded;
    if (complete) {
        const QByteArray format = FileExtension(path).mid(1).toUpper().toLatin1();
        CopyMagickString(info->magick, format.constData(), MaxTextExtent);
        CopyMagickString(image->magick, format.constData(), MaxTextExtent);
        size_t length = 0;
        void* blob = format.isEmpty() ? nullptr : ImageToBlob(info.get(), image.get(), &length, exception.get());
        if (blob && exception->severity < ErrorException)
            encoded = QByteArray(static_cast<const char*>(blob), static_cast<qsizetype>(length));
        if (blob)
            RelinquishMagickMemory(blob);
    }
    QString error;
    if (encoded.isEmpty() || !WriteFileAtomically(path, encoded, error)) {
        ErrorBox("Save failed!", "Fatal Error!");
        return false;
    }
    if (!keepName) {
        LUTFileName = path;
        UpdateCaption();
        Save1->setEnabled(false);
        Flags &= ~leModified;
    }
    return true;
}
