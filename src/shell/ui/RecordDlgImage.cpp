// The general settings dialog's page "Image properties": the format images
// are written in, the raw-line cache's format, the enhancements and the
// annotation, with a preview on the image window the main window named.
#include "imaging/ViewRenderer.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "imaging/ui/WaitCursor.h"
#include "shell/Setting.h"
#include "shell/TextHelpers.h"
#include "shell/ui/ColorConvert.h"
#include "shell/ui/FontDlg.h"
#include "shell/ui/MagickImage.h"
#include "shell/ui/RadioGroup.h"
#include "shell/ui/RecordDlg.h"
#include "shell/ui/RecordDlgFormats.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

using namespace recordformats;

namespace {

// Shows item index, or no item when the list has none of that index.
void SelectItem(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void PaintSquare(QFrame* square, TColor colour)
{
    QPalette palette = square->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    square->setPalette(palette);
}

}  // namespace

void TRecordDlg::ConnectImageHandlers()
{
    On(LogImageType, &QComboBox::currentIndexChanged, &TRecordDlg::LogImageTypeChange);
    On(RAWImageType, &QComboBox::currentIndexChanged, &TRecordDlg::RAWImageTypeChange);
    On(LogImageQuality, &QSlider::valueChanged, &TRecordDlg::LogImageQualityChange);
    for (QSlider* bar : {Brightness, Saturation, Hue})
        connect(bar, &QSlider::valueChanged, this, [this, bar] {
            if (Settings)
                ModulateChange(bar);
        });
    On(Gamma, &QSlider::valueChanged, &TRecordDlg::GammaChange);
    On(Contrast, &TRadioGroup::Click, &TRecordDlg::ContrastClick);
    On(ReduceNoise, &QCheckBox::toggled, &TRecordDlg::ReduceNoiseClick);
    On(ChopNoise, &QCheckBox::toggled, &TRecordDlg::ChopNoiseClick);
    On(HistogramEqu, &QCheckBox::toggled, &TRecordDlg::HistogramEquClick);
    On(EnableTextChk, &QCheckBox::toggled, &TRecordDlg::EnableTextChkClick);
    On(TransparentTxt, &QCheckBox::toggled, &TRecordDlg::TransparentTxtClick);
    On(EnableLogoChk, &QCheckBox::toggled, &TRecordDlg::EnableLogoChkClick);
    On(TextPos, &QComboBox::currentIndexChanged, &TRecordDlg::TextPosChange);
    On(LogoPos, &QComboBox::currentIndexChanged, &TRecordDlg::LogoPosChange);
    On(FontsBtn, &QPushButton::clicked, &TRecordDlg::FontsBtnClick);
    On(TextBkOpacity, &QSlider::valueChanged, &TRecordDlg::TextBkOpacityChange);
    On(Browse4LogoBtn, &QToolButton::clicked, &TRecordDlg::Browse4LogoBtnClick);
    for (QToolButton* button : {PreviewTxtBtn, PreviewLogoBtn})
        connect(button, &QToolButton::clicked, this, [this, button] {
            if (Settings)
                PreviewBtnClick(button);
        });
}

bool TRecordDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextBkClShape && event->type() == QEvent::MouseButtonPress && Settings) {
        TextBkClShapeMouseDown();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TRecordDlg::FillAnnotationControls()
{
    const TSetting& s = *Settings;
    EnableTextChk->setChecked(s.AnnotateModes & 0x1);
    TransparentTxt->setChecked(s.AnnotateModes & 0x4);
    TextPos->setCurrentIndex(s.TextPos);
    ImageText->setText(s.AnnotateText);
    TextBkOpacity->setValue(s.TextBkOpacity);
    PaintSquare(TextBkClShape, s.FontBkColor);
    TextBkOpacityLabel->setText(QString::number(s.TextBkOpacity));
    PreviewTxtBtn->setEnabled(ActiveChild != nullptr);
    TextBkGB->setEnabled(!(s.AnnotateModes & 0x4));
    EnableLogoChk->setChecked(s.AnnotateModes & 0x2);
    LogoFile->setText(s.LogoFilename);
    LogoPos->setCurrentIndex(s.LogoPos);
    LogoImage->SetFileName(LogoFile->text());
    PreviewLogoBtn->setEnabled(ActiveChild != nullptr);
}

void TRecordDlg::FillFormatControls()
{
    TSetting& s = *Settings;
    SelectItem(LogImageType, ExtToFormatIndex(s.ImageExt, false));
    SelectItem(RAWImageType, ExtToFormatIndex(s.RawExt, true));
    ShowFormatControls();
    LogImageInterlace->setCurrentIndex(InterlaceToIndex(s.Interlace));
    Brightness->setValue(s.ClampBrightness(0));
    ModulateChange(Brightness);
    Saturation->setValue(s.ClampSaturation(0));
    ModulateChange(Saturation);
    Hue->setValue(s.ClampHue(0));
    ModulateChange(Hue);
    // The bar shows the truncated step; the record and label keep the gamma.
    Gamma->setValue(static_cast<int>(s.ClampGamma(0) * 20));
    GammaChange();
    ReduceNoise->setChecked(s.ImageModes & 0x1);
    ChopNoise->setChecked(s.ImageModes & 0x2);
    HistogramEqu->setChecked(s.ImageModes & 0x4);
    Contrast->SetItemIndex(s.Contrast);
}

void TRecordDlg::ShowFormatControls()
{
    LogImageComression->setCurrentIndex(CompressionToIndex(Settings->Compression));
    LogImageQuality->setValue(Settings->Quality);
    LogImageQualityChange();  // the label, also when the bar already stood there
    LogImageClType->setCurrentIndex(ImageTypeToIndex(Settings->ImageType));
}

void TRecordDlg::TakeBackImagePage()
{
    Settings->AnnotateText = ImageText->text();
    StoreImageFormat();
}

int TRecordDlg::ExtToFormatIndex(const QString& ext, bool raw)
{
    const QString lower = ext.toLower();
    for (int i = 0; i <= kRawTextFormat; ++i)
        if (lower == QLatin1String(kFormats[i].Ext))
            return i;
    if (raw) {
        Settings->RawExt = kFormats[kRawTextFormat].Ext;
        return kRawTextFormat;
    }
    Settings->SetImageFormatDefaults();
    return 0;
}

void TRecordDlg::StoreImageExt()
{
    const int index = LogImageType->currentIndex();
    if (index >= 0 && index < kSavedFormatCount) {
        Settings->ImageExt = kFormats[index].Ext;
        return;
    }
    Settings->SetImageFormatDefaults();
    ShowFormatControls();
    LogImageInterlace->setCurrentIndex(InterlaceToIndex(Settings->Interlace));
}

int TRecordDlg::CompressionToIndex(int compression) { return IndexOfValue(kCompressions, compression); }
int TRecordDlg::ImageTypeToIndex(int imageType) { return IndexOfValue(kImageTypes, imageType); }
int TRecordDlg::InterlaceToIndex(int interlace) { return IndexOfValue(kInterlaces, interlace); }

void TRecordDlg::StoreCompression()
{
    Settings->Compression = ValueOfIndex(kCompressions, LogImageComression->currentIndex());
}

void TRecordDlg::StoreImageType()
{
    Settings->ImageType = ValueOfIndex(kImageTypes, LogImageClType->currentIndex());
}

void TRecordDlg::StoreInterlace()
{
    Settings->Interlace = ValueOfIndex(kInterlaces, LogImageInterlace->currentIndex());
}

void TRecordDlg::StoreImageFormat()
{
    Settings->ThumbSize = ThumbSize->value();
    StoreImageExt();
    StoreCompression();
    StoreImageType();
    StoreInterlace();
    Settings->Quality = LogImageQuality->value();
}

void TRecordDlg::LogImageTypeChange()
{
    if (Loading)
        return;
    StoreImageExt();
    Settings->SetCompressionForExt(Settings->ImageExt);
    ShowFormatControls();
}

void TRecordDlg::RAWImageTypeChange()
{
    const int index = RAWImageType->currentIndex();
    Settings->RawExt = kFormats[index >= 0 ? index : kRawTextFormat].Ext;
    if (!Loading)
        ChangeFlags |= rcImage;
}

void TRecordDlg::LogImageQualityChange()
{
    if (!Loading)
        Settings->Quality = LogImageQuality->value();
    LogImageQualityLabel->setText(QString("%1 %").arg(LogImageQuality->value()));
}

void TRecordDlg::ModulateChange(QSlider* sender)
{
    TSetting& s = *Settings;
    const int value = Loading ? 0 : sender->value();  // 0: the record's own value, clamped
    int shown;
    QLabel* label;
    switch (sender->property("tag").toInt()) {
    case 1: shown = s.ClampBrightness(value); label = BrightnessLabel; break;
    case 2: shown = s.ClampSaturation(value); label = SaturationLabel; break;
    case 3: shown = s.ClampHue(value); label = HueLabel; break;
    default: return;
    }
    label->setText(QString("%1%").arg(shown));
    ChangeFlags |= rcImage;
}

void TRecordDlg::GammaChange()
{
    // A bar at 0 stores 0 itself, which every user of the gamma reads as its default.
    const double gamma = Loading ? Settings->ClampGamma(0) : Gamma->value() * 0.05;
    Settings->Gamma = gamma;
    GammaLabel->setText(QString::asprintf("%.2f", gamma));
    ChangeFlags |= rcImage;
}

void TRecordDlg::ContrastClick()
{
    if (Loading)
        return;
    Settings->Contrast = Contrast->ItemIndex();
    ChangeFlags |= rcImage;
}

void TRecordDlg::ReduceNoiseClick()
{
    if (Loading)
        return;
    StoreBit(Settings->ImageModes, 0, ReduceNoise);
    ChangeFlags |= rcImage;
}

void TRecordDlg::ChopNoiseClick()
{
    if (Loading)
        return;
    StoreBit(Settings->ImageModes, 1, ChopNoise);
    ChangeFlags |= rcImage;
}

void TRecordDlg::HistogramEquClick()
{
    if (Loading)
        return;
    StoreBit(Settings->ImageModes, 2, HistogramEqu);
    ChangeFlags |= rcImage;
}

void TRecordDlg::EnableTextChkClick()
{
    if (!Loading)
        StoreBit(Settings->AnnotateModes, 0, EnableTextChk);
}

void TRecordDlg::TransparentTxtClick()
{
    if (Loading)
        return;
    StoreBit(Settings->AnnotateModes, 2, TransparentTxt);
    TextBkGB->setEnabled(!TransparentTxt->isChecked());
}

void TRecordDlg::EnableLogoChkClick()
{
    if (!Loading)
        StoreBit(Settings->AnnotateModes, 1, EnableLogoChk);
}

void TRecordDlg::TextPosChange()
{
    if (!Loading)
        Settings->TextPos = TextPos->currentIndex();
}

void TRecordDlg::LogoPosChange()
{
    if (!Loading)
        Settings->LogoPos = LogoPos->currentIndex();
}

void TRecordDlg::FontsBtnClick()
{
    TSetting& s = *Settings;
    FontDialog->SetChoice(s.FontName, static_cast<int>(s.FontSize), s.FontColor);
    if (FontDialog->exec() != QDialog::Accepted)
        return;
    const QString family = FontDialog->Family();
    QString path;
    if (!FindFontFile(family, path)) {
        const QString name = s.FontFile.isEmpty() ? family : s.FontFile.mid(1);
        QMessageBox ask(QMessageBox::Critical, "Error! The font file not found!",
                        QString("The font file %1\ncouldn't be found in Windows\\Fonts directory!\nBrowse ?").arg(name),
                        QMessageBox::Yes | QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes)
            return;
        OpenDialog->setNameFilters({"All files (*.*)", "True Type Fonts (*.ttf)"});
        OpenDialog->selectNameFilter("All files (*.*)");
        OpenDialog->selectFile(name);
        if (OpenDialog->exec() != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty())
            return;
        path = OpenDialog->selectedFiles().first();
    }
    // ImageMagick takes a font file as "@" and its path: exactly one "@".
    while (path.startsWith('@'))
        path.remove(0, 1);
    s.FontFile = "@" + path;
    s.FontName = family;
    s.FontColor = FontDialog->Colour();
    s.FontSize = FontDialog->Points();
}

void TRecordDlg::TextBkClShapeMouseDown()
{
    ColorDialog->setCurrentColor(ToQColor(Settings->FontBkColor));
    if (ColorDialog->exec() != QDialog::Accepted)
        return;
    Settings->FontBkColor = FromQColor(ColorDialog->currentColor());
    PaintSquare(TextBkClShape, Settings->FontBkColor);
}

void TRecordDlg::TextBkOpacityChange()
{
    if (!Loading)
        Settings->TextBkOpacity = TextBkOpacity->value();
    TextBkOpacityLabel->setText(QString::number(Settings->TextBkOpacity));
}

void TRecordDlg::Browse4LogoBtnClick()
{
    QCoreApplication::processEvents();
    TOpenMagickImageDlg* dialog = OpenMagickImageDlg ? OpenMagickImageDlg : new TOpenMagickImageDlg(this);
    dialog->setWindowTitle("Open an logo image");
    const QString current = Settings->LogoFilename;
    dialog->SelectFile(!current.isEmpty() && QFileInfo::exists(current) ? current : QString(), true);
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString name = dialog->GetFileName(false);
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    LogoFile->setText(name);
    Settings->LogoFilename = name;
    LogoImage->SetFileName(name);
}

void TRecordDlg::PreviewBtnClick(QToolButton* sender)
{
    if (!ActiveChild || (sender != PreviewTxtBtn && sender != PreviewLogoBtn))
        return;
    const QComboBox* positions = sender->property("tag").toInt() == 0 ? TextPos : LogoPos;
    Settings->AnnotateText = ImageText->text();
    QCoreApplication::processEvents();
    WaitCursor wait;
    ActiveChild->PreviewSettings = Settings;
    const bool drawn = ActiveChild->ShowView(ActiveChild->View, vfForce | vfPreview | vfSilent);
    ActiveChild->PreviewSettings = nullptr;
    if (drawn)
        ScrollPreview(positions->currentIndex());
}

void TRecordDlg::ScrollPreview(int position)
{
    if (!ActiveChild)
        return;
    QScrollBar* horizontal = ActiveChild->sb->horizontalScrollBar();
    QScrollBar* vertical = ActiveChild->sb->verticalScrollBar();
    const int centre = horizontal->maximum() / 2 - ActiveChild->sb->viewport()->width() / 2;
    switch (position) {
    case 1: horizontal->setValue(centre); break;
    case 2: horizontal->setValue(horizontal->maximum()); break;
    case 3: vertical->setValue(vertical->maximum()); break;
    case 4:
        horizontal->setValue(centre);
        vertical->setValue(vertical->maximum());
        break;
    case 5:
        horizontal->setValue(horizontal->maximum());
        vertical->setValue(vertical->maximum());
        break;
    default: break;  // 0, top left: the corner is in sight already
    }
}
