#include "maps/ui/SwathSetupDialog.h"

#include "maps/Geotrans.h"
#include "maps/SwathProp.h"
#include "maps/ui/ColorShape.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

TSwathSetupDlg* SwathSetupDlg = nullptr;

namespace {

// A colour shape with its caption on a grid row.
TColorShape* AddShape(QGridLayout* grid, int row, const char* name, const QString& caption, QWidget* parent)
{
    auto* shape = new TColorShape(parent);
    shape->setObjectName(name);
    grid->addWidget(shape, row, 0);
    grid->addWidget(new QLabel(caption, parent), row, 1);
    return shape;
}

}  // namespace

TSwathSetupDlg::TSwathSetupDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("SwathSetupDlg");
    setWindowTitle("Swath Viewer Settings");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    BuildForm();
    if (!SwathSetupDlg)
        SwathSetupDlg = this;
}

TSwathSetupDlg::~TSwathSetupDlg()
{
    if (SwathSetupDlg == this)
        SwathSetupDlg = nullptr;
}

void TSwathSetupDlg::BuildForm()
{
    Pages = new QTabWidget(this);

    // "General": the map, its colours, the grid.
    auto* general = new QWidget(this);
    MapType = new QGroupBox(" Type ", general);
    MapType->setObjectName("MapType");
    MapTypeGroup = new QButtonGroup(this);
    auto* typeLayout = new QVBoxLayout(MapType);
    const char* const types[] = {"Vector-map, CIA WDB II", "Land-map, world-1km", "Use both"};
    for (int i = 0; i < 3; ++i) {
        auto* choice = new QRadioButton(types[i], MapType);
        MapTypeGroup->addButton(choice, i);
        typeLayout->addWidget(choice);
    }
    ScaleCb = new QComboBox(general);
    ScaleCb->setObjectName("ScaleCb");
    ScaleCb->addItems({"2.5 arc minute (4 km)", "30 arc minutes (10 km)"});
    MapDefaultProj = new QComboBox(general);
    MapDefaultProj->setObjectName("MapDefaultProj");
    for (int i = 0; i < TGeotrans::kProjectionCount; ++i)
        MapDefaultProj->addItem(TGeotrans::ProjectionName(i));
    auto* map = new QGroupBox(" Map ", general);
    auto* mapLayout = new QFormLayout(map);
    mapLayout->addRow(MapType);
    mapLayout->addRow("Scale:", ScaleCb);
    mapLayout->addRow("Default projection:", MapDefaultProj);

    auto* colors = new QGroupBox(" Colors ", general);
    auto* colorGrid = new QGridLayout(colors);
    waterShape = AddShape(colorGrid, 0, "waterShape", "Water", colors);
    bkShape = AddShape(colorGrid, 1, "bkShape", "Background", colors);
    swathShape = AddShape(colorGrid, 2, "swathShape", "Swath", colors);
    colorGrid->setColumnStretch(1, 1);

    auto* grid = new QGroupBox(" Medians and parallels ", general);
    auto* gridLayout = new QGridLayout(grid);
    mpShape = AddShape(gridLayout, 0, "mpShape", "Line color", grid);
    mpFontShape = AddShape(gridLayout, 1, "mpFontShape", "Font color", grid);
    MedianEdit = new QSpinBox(grid);
    MedianEdit->setObjectName("MedianEdit");
    ParallelEdit = new QSpinBox(grid);
    ParallelEdit->setObjectName("ParallelEdit");
    for (QSpinBox* edit : {MedianEdit, ParallelEdit})
        edit->setRange(0, 45);
    gridLayout->addWidget(new QLabel("Longitude:", grid), 2, 0, 1, 2);
    gridLayout->addWidget(MedianEdit, 2, 2);
    gridLayout->addWidget(new QLabel("Latitude:", grid), 3, 0, 1, 2);
    gridLayout->addWidget(ParallelEdit, 3, 2);
    gridLayout->setColumnStretch(1, 1);

    auto* generalLayout = new QGridLayout(general);
    generalLayout->addWidget(map, 0, 0, 2, 1);
    generalLayout->addWidget(colors, 0, 1);
    generalLayout->addWidget(grid, 1, 1);
    Pages->addTab(general, "General");

    auto* vector = new QWidget(this);
    auto* vectorColors = new QGroupBox(" Colors ", vector);
    auto* vectorGrid = new QGridLayout(vectorColors);
    cilShape = AddShape(vectorGrid, 0, "cilShape", "Coastlines, islands and lakes", vectorColors);
    intShape = AddShape(vectorGrid, 1, "intShape", "International borders", vectorColors);
    natShape = AddShape(vectorGrid, 2, "natShape", "National borders", vectorColors);
    vectorGrid->setColumnStretch(1, 1);
    auto* vectorLayout = new QVBoxLayout(vector);
    vectorLayout->addWidget(vectorColors);
    vectorLayout->addStretch();
    Pages->addTab(vector, "Vector map");

    auto* land = new QWidget(this);
    auto* landGrid = new QGridLayout(land);
    landShape = AddShape(landGrid, 0, "landShape", "Land color", land);
    landGrid->setColumnStretch(1, 1);
    landGrid->setRowStretch(1, 1);
    Pages->addTab(land, "Land map");

    OKBtn = new QPushButton("OK", this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    ColorDialog = new QColorDialog(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(MapTypeGroup, &QButtonGroup::idClicked, this, [this] { MapTypeClick(); });
    connect(ScaleCb, &QComboBox::currentIndexChanged, this, [this] { ScaleCbChange(); });
    connect(MapDefaultProj, &QComboBox::currentIndexChanged, this, [this] { MapDefaultProjChange(); });
    for (QSpinBox* edit : {MedianEdit, ParallelEdit})
        connect(edit, &QSpinBox::valueChanged, this, [this] { MedianEditChange(); });
    for (TColorShape* shape : {waterShape, bkShape, swathShape, mpShape, mpFontShape, cilShape, intShape, natShape,
                               landShape})
        connect(shape, &TColorShape::Pressed, this, [this, shape] { clShapeMouseDown(shape); });
}

void TSwathSetupDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TSwathSetupDlg::FormShow()
{
    ChangeFlags = ssLoading;
    if (Props) {
        if (QAbstractButton* type = MapTypeGroup->button(Props->MapType)) {
            type->setChecked(true);
        } else if (QAbstractButton* checked = MapTypeGroup->checkedButton()) {
            // No type of the record's: none is shown chosen.
            MapTypeGroup->setExclusive(false);
            checked->setChecked(false);
            MapTypeGroup->setExclusive(true);
        }
        ScaleCb->setCurrentIndex(Props->Scale >= 1 && Props->Scale <= ScaleCb->count() ? Props->Scale - 1 : -1);
        MapDefaultProj->setCurrentIndex(TGeotrans::IsValidProjection(Props->Projection) ? Props->Projection : -1);
        waterShape->SetColor(Props->Water);
        bkShape->SetColor(Props->Bkgnd);
        swathShape->SetColor(Props->Swath);
        mpShape->SetColor(Props->LonLat);
        mpFontShape->SetColor(Props->LonLatFont);
        MedianEdit->setValue(Props->MPDelta);
        ParallelEdit->setValue(Props->MPDelta2);
        cilShape->SetColor(Props->CIL);
        intShape->SetColor(Props->INT);
        natShape->SetColor(Props->NAT);
        landShape->SetColor(Props->Land);
    }
    ChangeFlags &= ~ssLoading;
}

void TSwathSetupDlg::FormCloseQuery()
{
    if (result() != QDialog::Accepted || !(ChangeFlags & (ssColors | ssMap)) || !Props)
        return;
    ChangeFlags |= ssLoading;
    Props->MapType = MapTypeGroup->checkedId();
    Props->Scale = ScaleCb->currentIndex() + 1;
    Props->Projection = MapDefaultProj->currentIndex();
    Props->Water = waterShape->Color();
    Props->Bkgnd = bkShape->Color();
    Props->Swath = swathShape->Color();
    Props->LonLat = mpShape->Color();
    Props->LonLatFont = mpFontShape->Color();
    Props->MPDelta = MedianEdit->value();
    Props->MPDelta2 = ParallelEdit->value();
    Props->CIL = cilShape->Color();
    Props->INT = intShape->Color();
    Props->NAT = natShape->Color();
    Props->Land = landShape->Color();
}

void TSwathSetupDlg::done(int result)
{
    setResult(result);
    FormCloseQuery();
    QDialog::done(result);
}

void TSwathSetupDlg::MapTypeClick()
{
    if (!(ChangeFlags & ssLoading))
        ChangeFlags |= ssMap;
}

void TSwathSetupDlg::ScaleCbChange()
{
    MapTypeClick();
}

void TSwathSetupDlg::MapDefaultProjChange()
{
    MapTypeClick();
}

void TSwathSetupDlg::MedianEditChange()
{
    if (!(ChangeFlags & ssLoading))
        ChangeFlags |= ssColors;
}

void TSwathSetupDlg::clShapeMouseDown(QObject* sender)
{
    auto* shape = qobject_cast<TColorShape*>(sender);
    if (!shape)
        return;
    ColorDialog->setCurrentColor(ToQColor(shape->Color()));
    if (ColorDialog->exec() != QDialog::Accepted)
        return;
    shape->SetColor(FromQColor(ColorDialog->selectedColor()));
    ChangeFlags |= ssColors;
}
