#include "shell/ui/MagickImage.h"

#include "imaging/FileTypes.h"
#include "imaging/MagickSupport.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>

TMagickImage::TMagickImage(QWidget* parent) : QWidget(parent)
{
    resize(100, 160);
}

void TMagickImage::Box(const QString& text, const QString& caption) const
{
    // Topmost and without owner, like every box of the image library.
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void TMagickImage::SetHintFor(const QString& name)
{
    setToolTip(QString("%1 (%2 x %3)").arg(QFileInfo(name).fileName()).arg(imageWidth_).arg(imageHeight_));
}

bool TMagickImage::LoadMagickImage(const QString& name, bool showError)
{
    imageWidth_ = imageHeight_ = 0;
    bitmap_ = QImage();
    showError_ = showError;

    if (name.isEmpty() || !QFileInfo(name).isFile() || !IsImageExtension(name)) {
        if (showError_)
            Box(name, "Error: Unsupported imageformat!");
        return false;
    }
    TDisplayImage read = ReadDisplayImage(name);
    if (read.Result == TDisplayImage::NoMemory) {
        if (showError_)
            Box(read.Reason == "Failed to allocate image info" ? "Failed to allocate image info!\n\nOut of memory?"
                                                                 : "Failed to get the bitmap handle!\n\nOut of memory?",
                "Fatal Error!");
        return false;
    }
    if (read.Result != TDisplayImage::Ok) {
        if (showError_)
            Box(QString("%1\n%2\n%3").arg(Caption, read.Reason, read.Description), "Error");
        return false;
    }
    bitmap_ = std::move(read.Picture);
    imageWidth_ = read.Width;
    imageHeight_ = read.Height;
    return true;
}

void TMagickImage::SetFileName(const QString& name)
{
    if (name.isEmpty() || name == fileName_)
        return;
    if (LoadMagickImage(name, false)) {
        fileName_ = name;
        SetHintFor(name);
    }
    update();
}

void TMagickImage::Update()
{
    if (fileName_.isEmpty() || !QFileInfo::exists(fileName_))
        return;
    if (LoadMagickImage(fileName_, false))
        SetHintFor(fileName_);
    update();
}

void TMagickImage::Clear()
{
    bitmap_ = QImage();
    imageWidth_ = imageHeight_ = 0;
    fileName_.clear();
    update();
}

void TMagickImage::SetStretch(bool value)
{
    stretch_ = value;
    update();
}

void TMagickImage::SetColor(const QColor& value)
{
    color_ = value;
    update();
}

void TMagickImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (bitmap_.isNull()) {
        painter.fillRect(rect(), color_);
        return;
    }
    if (stretch_)
        painter.drawImage(rect(), bitmap_);
    else
        painter.drawImage(0, 0, bitmap_);
}
