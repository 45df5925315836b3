// The controls of the general settings dialog's page "Image properties":
// formats, enhancements and annotations.
#include "shell/ui/MagickImage.h"
#include "shell/ui/RadioGroup.h"
#include "shell/ui/RecordDlg.h"
#include "shell/ui/RecordDlgFormats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace {

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QSlider* TrackBar(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* bar = Named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(minimum, maximum);
    bar->setMinimumWidth(200);
    return bar;
}

QComboBox* List(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = Named(new QComboBox(parent), name);
    box->addItems(items);
    return box;
}

const QStringList kPositions = {"Top left", "Top center", "Top right", "Bottom left", "Bottom center", "Bottom right"};

}  // namespace

QWidget* TRecordDlg::BuildImagePage()
{
    auto* page = new QWidget;
    ImagePageCtrl = Named(new QTabWidget(page), "ImagePageCtrl");
    ImagePageCtrl->addTab(BuildFormatsPage(), "Formats");
    ImagePageCtrl->addTab(BuildEnhancementsPage(), "Enhancements");
    ImagePageCtrl->addTab(BuildAnnotationsPage(), "Annotations");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ImagePageCtrl);
    return page;
}

QWidget* TRecordDlg::BuildFormatsPage()
{
    auto* page = new QWidget;
    auto* saved = new QGroupBox(" Default saved format ", page);
    LogImageType = List(saved, "LogImageType", recordformats::FormatCaptions(false));
    LogImageComression = List(saved, "LogImageComression", recordformats::Captions(recordformats::kCompressions));
    LogImageClType = List(saved, "LogImageClType", recordformats::Captions(recordformats::kImageTypes));
    LogImageInterlace = List(saved, "LogImageInterlace", recordformats::Captions(recordformats::kInterlaces));
    LogImageQuality = TrackBar(saved, "LogImageQuality", 0, 100);
    LogImageQualityLabel = Named(new QLabel(saved), "LogImageQualityLabel");
    auto* grid = new QGridLayout(saved);
    grid->addWidget(LogImageType, 0, 0, 1, 3);
    grid->addWidget(new QLabel("Compression:", saved), 1, 0);
    grid->addWidget(LogImageComression, 1, 1, 1, 2);
    grid->addWidget(new QLabel("Image type:", saved), 2, 0);
    grid->addWidget(LogImageClType, 2, 1, 1, 2);
    grid->addWidget(new QLabel("Interlace:", saved), 3, 0);
    grid->addWidget(LogImageInterlace, 3, 1, 1, 2);
    grid->addWidget(new QLabel("Quality:", saved), 4, 0);
    grid->addWidget(LogImageQuality, 4, 1);
    grid->addWidget(LogImageQualityLabel, 4, 2);

    auto* raw = new QGroupBox(" RAW Image format ", page);
    RAWImageType = List(raw, "RAWImageType", recordformats::FormatCaptions(true));
    auto* note = new QLabel("Recorded RAW images are saved in the same directory as the audio-file. Audio files "
                            "processed from a directory other than Orvanta root is saved in the audio\\raw directory.",
                            raw);
    note->setWordWrap(true);
    auto* rawLayout = new QVBoxLayout(raw);
    rawLayout->addWidget(RAWImageType);
    rawLayout->addWidget(note);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(saved);
    layout->addWidget(raw);
    layout->addStretch();
    return page;
}

QWidget* TRecordDlg::BuildEnhancementsPage()
{
    auto* page = new QWidget;
    Brightness = TrackBar(page, "Brightness", 1, 400);
    Saturation = TrackBar(page, "Saturation", 1, 400);
    Hue = TrackBar(page, "Hue", 1, 400);
    Brightness->setProperty("tag", 1);
    Saturation->setProperty("tag", 2);
    Hue->setProperty("tag", 3);
    BrightnessLabel = Named(new QLabel(page), "BrightnessLabel");
    SaturationLabel = Named(new QLabel(page), "SaturationLabel");
    HueLabel = Named(new QLabel(page), "HueLabel");
    Gamma = TrackBar(page, "Gamma", 0, 100);
    GammaLabel = Named(new QLabel(page), "GammaLabel");
    auto* bars = new QGridLayout;
    const struct {
        const char* caption;
        QSlider* bar;
        QLabel* value;
    } rows[] = {{"Brightness:", Brightness, BrightnessLabel},
                {"Saturation:", Saturation, SaturationLabel},
                {"Hue:", Hue, HueLabel},
                {"Gamma:", Gamma, GammaLabel}};
    int row = 0;
    for (const auto& r : rows) {
        bars->addWidget(new QLabel(r.caption, page), row, 0);
        bars->addWidget(r.bar, row, 1);
        r.value->setMinimumWidth(40);
        bars->addWidget(r.value, row, 2);
        ++row;
    }
    Contrast = Named(new TRadioGroup(" Contrast enhance ", {"None", "Less (1x)", "More (3x)", "Extreme (5x)"}, 1, page),
                     "Contrast");
    ReduceNoise = Named(new QCheckBox("Reduce noise", page), "ReduceNoise");
    ChopNoise = Named(new QCheckBox("Chop noise from start and end", page), "ChopNoise");
    Chop2Video = Named(new QCheckBox("Chop allways image to video", page), "Chop2Video");
    HistogramEqu = Named(new QCheckBox("Histogram equalize", page), "HistogramEqu");
    auto* boxes = new QVBoxLayout;
    for (QCheckBox* box : {ReduceNoise, ChopNoise, Chop2Video, HistogramEqu})
        boxes->addWidget(box);
    boxes->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addWidget(Contrast);
    lower->addLayout(boxes);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(bars);
    layout->addLayout(lower);
    layout->addStretch();
    return page;
}

QWidget* TRecordDlg::BuildAnnotationsPage()
{
    AnnotationPageCtrl = Named(new QTabWidget, "AnnotationPageCtrl");

    auto* text = new QWidget;
    EnableTextChk = Named(new QCheckBox("Insert text to a decoded image.", text), "EnableTextChk");
    PreviewTxtBtn = Named(new QToolButton(text), "PreviewTxtBtn");
    PreviewTxtBtn->setToolTip("Preview on a decoded image");
    PreviewTxtBtn->setProperty("tag", 0);
    auto* font = new QGroupBox(" Font ", text);
    FontsBtn = Named(new QPushButton("Font...", font), "FontsBtn");
    TransparentTxt = Named(new QCheckBox("Transparent", font), "TransparentTxt");
    auto* fontRow = new QHBoxLayout(font);
    fontRow->addWidget(FontsBtn);
    fontRow->addWidget(TransparentTxt);
    fontRow->addStretch();
    TextPos = List(text, "TextPos", kPositions);
    TextBkGB = Named(new QGroupBox(" Text background (if not transparent) ", text), "TextBkGB");
    TextBkClShape = Named(new QFrame(TextBkGB), "TextBkClShape");
    TextBkClShape->setFixedSize(22, 22);
    TextBkClShape->setFrameShape(QFrame::Box);
    TextBkClShape->setCursor(Qt::PointingHandCursor);
    TextBkClShape->setAutoFillBackground(true);
    TextBkClShape->installEventFilter(this);
    TextBkOpacity = TrackBar(TextBkGB, "TextBkOpacity", 0, 100);
    TextBkOpacityLabel = Named(new QLabel(TextBkGB), "TextBkOpacityLabel");
    auto* background = new QGridLayout(TextBkGB);
    background->addWidget(new QLabel("Background colour:", TextBkGB), 0, 0);
    background->addWidget(TextBkClShape, 0, 1);
    background->addWidget(new QLabel("Background opacity:", TextBkGB), 1, 0);
    background->addWidget(TextBkOpacity, 1, 1);
    background->addWidget(TextBkOpacityLabel, 1, 2);
    auto* opacityNote =
        new QLabel("The level of opacity: 0% is fully transparent and 100% is fully opaque.", TextBkGB);
    opacityNote->setWordWrap(true);
    background->addWidget(opacityNote, 2, 0, 1, 3);
    ImageText = Named(new QLineEdit(text), "ImageText");
    auto* textGrid = new QGridLayout(text);
    textGrid->addWidget(EnableTextChk, 0, 0, 1, 2);
    textGrid->addWidget(PreviewTxtBtn, 0, 2, Qt::AlignRight);
    textGrid->addWidget(font, 1, 0, 1, 3);
    textGrid->addWidget(new QLabel("Text position:", text), 2, 0);
    textGrid->addWidget(TextPos, 2, 1);
    textGrid->addWidget(TextBkGB, 3, 0, 1, 3);
    textGrid->addWidget(new QLabel("Additional text string:", text), 4, 0, 1, 3);
    textGrid->addWidget(ImageText, 5, 0, 1, 3);
    AnnotationPageCtrl->addTab(text, "Insert text");

    auto* logo = new QWidget;
    EnableLogoChk = Named(new QCheckBox("Insert a logo to a decoded image.", logo), "EnableLogoChk");
    PreviewLogoBtn = Named(new QToolButton(logo), "PreviewLogoBtn");
    PreviewLogoBtn->setToolTip("Preview on an image");
    PreviewLogoBtn->setProperty("tag", 1);
    for (QToolButton* button : {PreviewTxtBtn, PreviewLogoBtn}) {
        button->setAutoRaise(true);
        button->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    }
    auto* logoPanel = new QFrame(logo);
    logoPanel->setFrameShape(QFrame::Panel);
    logoPanel->setFrameShadow(QFrame::Sunken);
    LogoImage = Named(new TMagickImage(logoPanel), "LogoImage");
    LogoImage->setFixedSize(160, 160);
    LogoImage->SetStretch(false);
    LogoImage->SetShowError(false);
    auto* panelLayout = new QVBoxLayout(logoPanel);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->addWidget(LogoImage);
    auto* logoNote = new QLabel("To get the best result, use an image that has a transparent channel.", logo);
    logoNote->setWordWrap(true);
    LogoPos = List(logo, "LogoPos", kPositions);
    LogoFile = Named(new QLineEdit(logo), "LogoFile");
    LogoFile->setReadOnly(true);
    LogoFile->setStyleSheet("QLineEdit { background: teal; color: white; }");
    Browse4LogoBtn = Named(new QToolButton(logo), "Browse4LogoBtn");
    Browse4LogoBtn->setToolTip("Browse for an image");
    Browse4LogoBtn->setAutoRaise(true);
    Browse4LogoBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    auto* logoGrid = new QGridLayout(logo);
    logoGrid->addWidget(EnableLogoChk, 0, 0, 1, 2);
    logoGrid->addWidget(PreviewLogoBtn, 0, 2, Qt::AlignRight);
    logoGrid->addWidget(logoPanel, 1, 0, 3, 1);
    logoGrid->addWidget(logoNote, 1, 1, 1, 2);
    logoGrid->addWidget(new QLabel("Position:", logo), 2, 1);
    logoGrid->addWidget(LogoPos, 2, 2);
    logoGrid->addWidget(new QLabel("File name:", logo), 4, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(LogoFile);
    fileRow->addWidget(Browse4LogoBtn);
    logoGrid->addLayout(fileRow, 4, 1, 1, 2);
    AnnotationPageCtrl->addTab(logo, "Insert logo");
    return AnnotationPageCtrl;
}
