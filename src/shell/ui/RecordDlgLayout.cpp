// The controls of the general settings dialog: its frame and the pages
// "General", "Pass thresholds", "Radio control" and "Custom".
#include "shell/ui/FontDlg.h"
#include "shell/ui/RadioGroup.h"
#include "shell/ui/RecordDlg.h"
#include "shell/ui/UDEdit.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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

QSpinBox* SpinEdit(QWidget* parent, const char* name, int minimum, int maximum, int step = 1)
{
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    return spin;
}

QLabel* Hint(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet("color: gray");
    return label;
}

}  // namespace

TRecordDlg::TRecordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("RecordDlg");
    setWindowTitle("General settings");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    BuildForm();
    ConnectHandlers();
    ConnectImageHandlers();
    if (!RecordDlg)
        RecordDlg = this;
}

TRecordDlg::~TRecordDlg()
{
    if (RecordDlg == this)
        RecordDlg = nullptr;
}

void TRecordDlg::BuildForm()
{
    FontDialog = new TFontDlg(this);
    OpenDialog = Named(new QFileDialog(this), "OpenDialog");
    OpenDialog->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    ColorDialog = Named(new QColorDialog(this), "ColorDialog");
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);

    MainPageCtrl = Named(new QTabWidget(this), "MainPageCtrl");
    General = Named(BuildGeneralPage(), "General");
    ImageProperties = Named(BuildImagePage(), "ImageProperties");
    PassThresholds = Named(BuildThresholdsPage(), "PassThresholds");
    RadioControl = Named(BuildRadioPage(), "RadioControl");
    Custom = Named(BuildCustomPage(), "Custom");
    MainPageCtrl->addTab(General, "General");
    MainPageCtrl->addTab(ImageProperties, "Image properties");
    MainPageCtrl->addTab(PassThresholds, "Pass thresholds");
    MainPageCtrl->addTab(RadioControl, "Radio control");
    MainPageCtrl->addTab(Custom, "Custom");

    OKBtn = Named(new QPushButton("OK", this), "OKBtn");
    CancelBtn = Named(new QPushButton("Cancel", this), "CancelBtn");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MainPageCtrl);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a dialog border
}

QWidget* TRecordDlg::BuildGeneralPage()
{
    auto* page = new QWidget;
    EnableRec = Named(new QCheckBox("Enable auto- recording and -processing", page), "EnableRec");
    AutoDecode = Named(new QCheckBox("Decode while recording", page), "AutoDecode");
    DontSaveBadWaves = Named(new QCheckBox("Don't save poor quality waves", page), "DontSaveBadWaves");
    SaveRAW = Named(new QCheckBox("Save a raw file for a fast redecode", page), "SaveRAW");
    HTMLLOG = Named(new QCheckBox("Create a html log", page), "HTMLLOG");
    FTPLOG = Named(new QCheckBox("Upload to server", page), "FTPLOG");
    CustomCSSCb = Named(new QCheckBox("Use custom CSS", page), "CustomCSSCb");
    auto* boxes = new QGridLayout;
    boxes->addWidget(EnableRec, 0, 0);
    boxes->addWidget(AutoDecode, 1, 0);
    boxes->addWidget(DontSaveBadWaves, 2, 0);
    boxes->addWidget(SaveRAW, 3, 0);
    boxes->addWidget(HTMLLOG, 0, 1);
    boxes->addWidget(FTPLOG, 1, 1);
    boxes->addWidget(CustomCSSCb, 2, 1);

    LogPageCtrl = Named(new QTabWidget(page), "LogPageCtrl");
    auto* images = new QWidget;
    LogImageList = Named(new QListWidget(images), "LogImageList");
    LogImageList->setStyleSheet("QListWidget { background: silver; }");
    for (const char* product : {"Normal", "Video A", "Video B", "False colour (A, B)", "False colour (ch 2,4)",
                                "False colour low temperatures (ch 2,4)", "IR Brightness temperatures (ch 4)",
                                "IR Low temperatures (ch 4)"}) {
        auto* item = new QListWidgetItem(product, LogImageList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    ThumbSize = SpinEdit(images, "ThumbSize", 5, 50);
    LogPoorQuality = Named(new QCheckBox("Log poor image quality", images), "LogPoorQuality");
    IRAtNight = Named(new QCheckBox(images), "IRAtNight");
    IRSunEle = SpinEdit(images, "IRSunEle", -20, 20);
    auto* imagesGrid = new QGridLayout(images);
    imagesGrid->addWidget(new QLabel("Images to log", images), 0, 0, 1, 4);
    imagesGrid->addWidget(LogImageList, 1, 0, 1, 4);
    imagesGrid->addWidget(new QLabel("Thumbnail size:", images), 2, 0);
    imagesGrid->addWidget(ThumbSize, 2, 1);
    imagesGrid->addWidget(new QLabel("% of original image", images), 2, 2, 1, 2);
    imagesGrid->addWidget(LogPoorQuality, 3, 0, 1, 4);
    auto* night = new QHBoxLayout;
    night->addWidget(IRAtNight);
    night->addWidget(new QLabel("Log selected IR-images only when sun elevation is below", images));
    night->addWidget(IRSunEle);
    night->addWidget(new QLabel("degrees", images));
    night->addStretch();
    imagesGrid->addLayout(night, 4, 0, 1, 4);
    LogPageCtrl->addTab(images, "Images to log");

    auto* ftp = new QWidget;
    FTPHost = Named(new QLineEdit(ftp), "FTPHost");
    FTPUser = Named(new QLineEdit(ftp), "FTPUser");
    FTPPass = Named(new QLineEdit(ftp), "FTPPass");
    FTPPass->setEchoMode(QLineEdit::Password);
    FTPDir = Named(new QLineEdit(ftp), "FTPDir");
    LogURL = Named(new QLineEdit(ftp), "LogURL");
    Email = Named(new QLineEdit(ftp), "Email");
    BlogTitle = Named(new QLineEdit(ftp), "BlogTitle");
    // Example values only: no real server or person.
    const struct {
        const char* label;
        QLineEdit* edit;
        const char* example;
    } rows[] = {
        {"Hostname:", FTPHost, "ftp.example.org"},
        {"Username:", FTPUser, "weatherfan"},
        {"Password:", FTPPass, "ferno"},
        {"Directory:", FTPDir, "/html/apt/logs"},
        {"URL:", LogURL, "* http://www.example.org/apt/logs"},
        {"Email:", Email, "** station@example.org"},
        {"Blog Title:", BlogTitle, "** My weather satellite station"},
    };
    auto* ftpGrid = new QGridLayout(ftp);
    int row = 0;
    for (const auto& r : rows) {
        ftpGrid->addWidget(new QLabel(r.label, ftp), row, 0);
        ftpGrid->addWidget(r.edit, row, 1);
        ftpGrid->addWidget(Hint(ftp, r.example), row, 2);
        ++row;
    }
    ftpGrid->addWidget(new QLabel("* Required for RSS feed", ftp), row++, 0, 1, 3);
    ftpGrid->addWidget(new QLabel("** Recommended for RSS feed", ftp), row, 0, 1, 3);
    LogPageCtrl->addTab(ftp, "FTP-Server");

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(LogPageCtrl);
    return page;
}

QWidget* TRecordDlg::BuildThresholdsPage()
{
    auto* page = new QWidget;
    EnableThresHolds = Named(new QCheckBox("Enable pass thresholds", page), "EnableThresHolds");
    MinimumValues = Named(new QGroupBox(" Minimum values ", page), "MinimumValues");
    ThresholdType = Named(new TRadioGroup(" Define thresholds by ", {"AOS/LOS", "North/South"}, 2, MinimumValues),
                          "ThresholdType");
    UseElevationThresholds =
        Named(new QRadioButton("Define by elevations [degrees]", MinimumValues), "UseElevationThresholds");
    UsePathLossThresholds = Named(new QRadioButton("Define by pathloss [dB]", MinimumValues), "UsePathLossThresholds");
    NorthElev = SpinEdit(MinimumValues, "NorthElev", 0, 90);
    SouthElev = SpinEdit(MinimumValues, "SouthElev", 0, 90);
    EleAOS = Named(new QLabel("AOS:", MinimumValues), "EleAOS");
    EleLOS = Named(new QLabel("LOS:", MinimumValues), "EleLOS");
    PassElev = SpinEdit(MinimumValues, "PassElev", 0, 90);
    ForcePathLossThresholds = Named(new QCheckBox(MinimumValues), "ForcePathLossThresholds");
    PlAOS = Named(new QLabel("AOS:", MinimumValues), "PlAOS");
    PlLOS = Named(new QLabel("LOS:", MinimumValues), "PlLOS");
    AOSPathLoss = Named(new TUDEdit(MinimumValues), "AOSPathLoss");
    LOSPathLoss = Named(new TUDEdit(MinimumValues), "LOSPathLoss");
    for (TUDEdit* edit : {AOSPathLoss, LOSPathLoss}) {
        edit->SetMinValue(120);
        edit->SetMaxValue(150);
        edit->SetStep(0.25);
        edit->SetDigits(3);
        edit->setMinimumWidth(90);  // room for "142.500"
    }
    auto* grid = new QGridLayout(MinimumValues);
    grid->addWidget(ThresholdType, 0, 0, 1, 5);
    grid->addWidget(UseElevationThresholds, 1, 0, 1, 5);
    grid->addWidget(EleAOS, 2, 0);
    grid->addWidget(NorthElev, 2, 1);
    grid->addWidget(EleLOS, 2, 2);
    grid->addWidget(SouthElev, 2, 3);
    grid->addWidget(new QLabel("Pass elevation:", MinimumValues), 3, 0);
    grid->addWidget(PassElev, 3, 1);
    auto* force = new QHBoxLayout;
    force->addWidget(ForcePathLossThresholds);
    auto* forceLabel =
        new QLabel("Use pathloss thresholds on satellites that do not reach minimum pass elevation.", MinimumValues);
    forceLabel->setWordWrap(true);
    force->addWidget(forceLabel, 1);
    grid->addLayout(force, 4, 0, 1, 5);
    grid->addWidget(UsePathLossThresholds, 5, 0, 1, 5);
    grid->addWidget(PlAOS, 6, 0);
    grid->addWidget(AOSPathLoss, 6, 1);
    grid->addWidget(PlLOS, 6, 2);
    grid->addWidget(LOSPathLoss, 6, 3);
    grid->setColumnStretch(4, 1);

    auto* duration = new QGroupBox(" Pass duration ", page);
    MinMins = SpinEdit(duration, "MinMins", 0, 30);
    MinSecs = SpinEdit(duration, "MinSecs", 0, 59, 5);
    auto* durationRow = new QHBoxLayout(duration);
    durationRow->addWidget(MinMins);
    durationRow->addWidget(new QLabel("Minutes", duration));
    durationRow->addWidget(MinSecs);
    durationRow->addWidget(new QLabel("Seconds", duration));
    durationRow->addStretch();
    OverlapWarning = Named(new QCheckBox("Show overlap warning", page), "OverlapWarning");

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(EnableThresHolds);
    layout->addWidget(MinimumValues);
    layout->addWidget(duration);
    layout->addWidget(OverlapWarning);
    layout->addStretch();
    return page;
}

QWidget* TRecordDlg::BuildRadioPage()
{
    auto* page = new QWidget;
    TuneRIG = Named(new QCheckBox("Enable auto tuning", page), "TuneRIG");
    auto* settings = new QGroupBox(" Radio settings ", page);
    RIGRadio = Named(new QComboBox(settings), "RIGRadio");
    RIGRadio->addItems({"R2FX", "RIG RX-2", "ICOM PCR1000", "EMGO"});
    RIGCOM = Named(new QComboBox(settings), "RIGCOM");
    for (int port = 1; port <= 8; ++port)
        RIGCOM->addItem(QString("COM %1").arg(port));
    RIGBaudRate = Named(new QComboBox(settings), "RIGBaudRate");
    RIGBaudRate->addItems({"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                           "57600", "115200", "128000", "256000"});
    auto* grid = new QGridLayout(settings);
    grid->addWidget(new QLabel("Radio:", settings), 0, 0);
    grid->addWidget(new QLabel("Serial port:", settings), 0, 1);
    grid->addWidget(new QLabel("Baud rate:", settings), 0, 2);
    grid->addWidget(RIGRadio, 1, 0);
    grid->addWidget(RIGCOM, 1, 1);
    grid->addWidget(RIGBaudRate, 1, 2);

    auto* test = new QGroupBox(" Test tune ", page);
    auto* note = new QLabel("This test will step through frequencies 137.100, 137.500, 137.620, 137.9125 and back to "
                            "137.500 MHz with a 3 second delay between every tune. Follow and listen to your receiver "
                            "carefully during this test.",
                            test);
    note->setWordWrap(true);
    TuneStatusLabel = Named(new QLabel("N/A", test), "TuneStatusLabel");
    QFont bold = TuneStatusLabel->font();
    bold.setBold(true);
    TuneStatusLabel->setFont(bold);
    TestTuneBtn = Named(new QPushButton("Run Test", test), "TestTuneBtn");
    auto* testGrid = new QGridLayout(test);
    testGrid->addWidget(note, 0, 0, 1, 3);
    testGrid->addWidget(new QLabel("Status:", test), 1, 0);
    testGrid->addWidget(TuneStatusLabel, 1, 1);
    testGrid->setColumnStretch(1, 1);
    testGrid->addWidget(TestTuneBtn, 1, 2);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(TuneRIG);
    layout->addWidget(settings);
    layout->addWidget(test);
    layout->addStretch();
    return page;
}

QWidget* TRecordDlg::BuildCustomPage()
{
    auto* page = new QWidget;
    auto* folders = new QGroupBox(" Output Directories ", page);
    AudioPath = Named(new QLineEdit(folders), "AudioPath");
    LogPath = Named(new QLineEdit(folders), "LogPath");
    AudioPathBtn = Named(new QToolButton(folders), "AudioPathBtn");
    LogPathBtn = Named(new QToolButton(folders), "LogPathBtn");
    for (QToolButton* button : {AudioPathBtn, LogPathBtn})
        button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    ApplyDirBtn = Named(new QPushButton("Apply custom", folders), "ApplyDirBtn");
    DefaultDirBtn = Named(new QPushButton("Use defaults", folders), "DefaultDirBtn");
    auto* grid = new QGridLayout(folders);
    grid->addWidget(new QLabel("Waveform:", folders), 0, 0);
    grid->addWidget(AudioPath, 1, 0);
    grid->addWidget(AudioPathBtn, 1, 1);
    grid->addWidget(new QLabel("HTML-Log:", folders), 2, 0);
    grid->addWidget(LogPath, 3, 0);
    grid->addWidget(LogPathBtn, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ApplyDirBtn);
    buttons->addWidget(DefaultDirBtn);
    grid->addLayout(buttons, 4, 0, 1, 2);
    AudioPath->setMinimumWidth(360);

    auto* window = new QGroupBox(" Window ", page);
    MinimizeToTray = Named(new QCheckBox("Minimize to tray", window), "MinimizeToTray");
    ShowVerInfo = Named(new QCheckBox("Show version updates on first load", window), "ShowVerInfo");
    auto* windowBoxes = new QVBoxLayout(window);
    windowBoxes->addWidget(MinimizeToTray);
    windowBoxes->addWidget(ShowVerInfo);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(folders);
    layout->addWidget(window);
    layout->addStretch();
    return page;
}
