#include "maps/ui/BkSetupDialog.h"

#include "imaging/ui/FolderLists.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "maps/FlatEarthPersistence.h"
#include "shell/ui/URLLabel.h"
#include "shell/ui/WindowState.h"

#include <QApplication>
#include <algorithm>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TBkSetupDlg* BkSetupDlg = nullptr;

namespace {

// A public collection of free whole-earth pictures in the equirectangular
// projection the monitor draws on.
constexpr const char* kBackgroundPicturesPage = "https://visibleearth.nasa.gov/collection/1484/blue-marble";

}  // namespace

TBkSetupDlg::TBkSetupDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("BkSetupDlg");
    setWindowTitle("Daru Zuvid Izodivi settings");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    BuildForm();
    if (!BkSetupDlg)
        BkSetupDlg = this;
    FormCreate();
}

TBkSetupDlg::~TBkSetupDlg()
{
    FormDestroy();
    if (BkSetupDlg == this)
        BkSetupDlg = nullptr;
}

void TBkSetupDlg::BuildForm()
{
    resize(540, 370);
    setMinimumSize(300, 330);

    SatList = new QListWidget(this);
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    auto* satPanel = new QWidget(this);
    satPanel->setMinimumWidth(100);
    satPanel->setMaximumWidth(400);
    auto* satLayout = new QVBoxLayout(satPanel);
    satLayout->setContentsMargins(0, 0, 0, 0);
    satLayout->addWidget(SatList);

    bkimage = new QLineEdit(this);
    bkimage->setObjectName("bkimage");
    bkimage->setReadOnly(true);
    QPalette teal = bkimage->palette();
    teal.setColor(QPalette::Base, QColor(0, 128, 128));
    teal.setColor(QPalette::Text, Qt::white);
    bkimage->setPalette(teal);
    OpenBtn = new QToolButton(this);
    OpenBtn->setObjectName("OpenBtn");
    OpenBtn->setAutoRaise(true);
    OpenBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    OpenBtn->setToolTip("Open a flat-earth-map image");
    URLLabel1 = new TURLLabel(this);
    URLLabel1->setObjectName("URLLabel1");
    URLLabel1->setText(kBackgroundPicturesPage);
    // The address may be cut at the right rather than widen the dialog.
    URLLabel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    Footprint = new QGroupBox(" Footprint ", this);
    Footprint->setObjectName("Footprint");
    FootprintGroup = new QButtonGroup(this);
    // Compact spacing: the settings must fit the dialog's height beside the list.
    auto* footprintLayout = new QVBoxLayout(Footprint);
    footprintLayout->setContentsMargins(6, 2, 6, 2);
    footprintLayout->setSpacing(0);
    const char* const choices[] = {"Show allways", "Show only when above station", "Don't show "};
    for (int i = 0; i < 3; ++i) {
        auto* choice = new QRadioButton(choices[i], Footprint);
        FootprintGroup->addButton(choice, i);
        footprintLayout->addWidget(choice);
    }
    clSat = new TColorShape(this);
    clSat->setObjectName("clSat");
    auto* satColorLabel = new QLabel("Satellite text/footprint color", this);
    satColorLabel->setWordWrap(true);
    auto* satellites = new QGroupBox(" Satellites ", this);
    auto* satellitesLayout = new QGridLayout(satellites);
    satellitesLayout->setContentsMargins(6, 2, 6, 4);
    satellitesLayout->addWidget(Footprint, 0, 0, 2, 1);
    satellitesLayout->addWidget(clSat, 0, 1, Qt::AlignTop);
    satellitesLayout->addWidget(satColorLabel, 0, 2, Qt::AlignTop);
    satellitesLayout->setColumnStretch(2, 1);

    ShowDayNightCb = new QCheckBox("Show day and night across the earth", this);
    ShowDayNightCb->setToolTip(ShowDayNightCb->text());
    ShowDayNightCb->setObjectName("ShowDayNightCb");
    clNight = new TColorShape(this);
    clNight->setObjectName("clNight");
    ShowSunCb = new QCheckBox("Show the Sun", this);
    ShowSunCb->setObjectName("ShowSunCb");
    ShowMoonCb = new QCheckBox("Show the Moon", this);
    ShowMoonCb->setObjectName("ShowMoonCb");
    auto* sunMoon = new QGroupBox(" Sun and Moon ", this);
    auto* sunMoonLayout = new QGridLayout(sunMoon);
    sunMoonLayout->setContentsMargins(6, 2, 6, 4);
    sunMoonLayout->setVerticalSpacing(2);
    // Short rows, so that the settings leave the satellite list its width.
    sunMoonLayout->addWidget(ShowDayNightCb, 0, 0, 1, 3);
    auto* nightColour = new QHBoxLayout;
    nightColour->addWidget(clNight);
    nightColour->addWidget(new QLabel("Darkness color", this), 1);
    sunMoonLayout->addLayout(nightColour, 1, 0, 1, 3);
    sunMoonLayout->addWidget(ShowSunCb, 2, 0);
    sunMoonLayout->addWidget(ShowMoonCb, 2, 1);
    sunMoonLayout->setColumnStretch(2, 1);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    ColorDialog = new QColorDialog(this);
    ColorDialog->setObjectName("ColorDialog");

    auto* settings = new QWidget(this);
    auto* right = new QVBoxLayout(settings);
    right->setContentsMargins(4, 0, 0, 0);
    right->setSpacing(4);
    right->addWidget(new QLabel("Background image:", this));
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(bkimage, 1);
    imageRow->addWidget(OpenBtn);
    right->addLayout(imageRow);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(new QLabel("Get images from:", this));
    linkRow->addWidget(URLLabel1, 1);
    right->addLayout(linkRow);
    right->addWidget(satellites);
    right->addWidget(sunMoon);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    right->addLayout(buttons);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(satPanel);
    splitter_->addWidget(settings);
    splitter_->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter_);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SatList, &QListWidget::itemChanged, this, [this] { SatListClickCheck(); });
    connect(FootprintGroup, &QButtonGroup::idClicked, this, [this] { CheckChangedCklick(); });
    for (QCheckBox* box : {ShowDayNightCb, ShowSunCb, ShowMoonCb})
        connect(box, &QCheckBox::clicked, this, [this] { CheckChangedCklick(); });
    for (TColorShape* shape : {clSat, clNight})
        connect(shape, &TColorShape::Released, this, [this, shape] { ColorClick(shape); });
    connect(OpenBtn, &QToolButton::clicked, this, [this] { OpenBtnClick(); });
}

int TBkSetupDlg::FootprintIndex() const
{
    return FootprintGroup->checkedId();
}

void TBkSetupDlg::SetFootprintIndex(int index)
{
    if (QAbstractButton* choice = FootprintGroup->button(index))
        choice->setChecked(true);
}

void TBkSetupDlg::FormCreate()
{
    if (!RestoreFormPlacement(this, kFlatEarthKey)) {
        // Centred on the screen until the user places it.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}

void TBkSetupDlg::FormDestroy()
{
    SaveFormPlacement(this, kFlatEarthKey);
}

void TBkSetupDlg::FormShow()
{
    ChangeFlags = 0;
}

void TBkSetupDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!splitterPlaced_) {
        splitter_->setSizes({153, std::max(0, splitter_->width() - 153)});
        splitterPlaced_ = true;
    }
    FormShow();
}

void TBkSetupDlg::SatListClickCheck()
{
    ChangeFlags |= bkSatellites;
}

void TBkSetupDlg::CheckChangedCklick()
{
    ChangeFlags |= bkOptions;
}

void TBkSetupDlg::ColorClick(QObject* sender)
{
    auto* shape = qobject_cast<TColorShape*>(sender);
    if (!shape)
        return;
    QApplication::processEvents();
    ColorDialog->setCurrentColor(ToQColor(shape->Color()));
    if (ColorDialog->exec() != QDialog::Accepted)
        return;
    shape->SetColor(FromQColor(ColorDialog->selectedColor()));
    ChangeFlags |= bkOptions;
}

void TBkSetupDlg::OpenBtnClick()
{
    TOpenMagickImageDlg* chooser = Chooser;
    if (!chooser) {
        if (!OpenMagickImageDlg)
            OpenMagickImageDlg = new TOpenMagickImageDlg(parentWidget() ? parentWidget() : this);
        chooser = OpenMagickImageDlg;
    }
    chooser->setWindowTitle("Open a flat-earth-map image");
    chooser->SelectFile(bkimage->text(), true);
    chooser->FileLB->SetMultiSelect(false);
    chooser->SetFileKind(1);
    if (chooser->exec() != QDialog::Accepted)
        return;
    bkimage->setText(chooser->GetFileName(false));
    if (!bkimage->text().isEmpty())
        ChangeFlags |= bkBackground;
}
