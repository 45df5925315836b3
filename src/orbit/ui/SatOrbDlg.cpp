#include "orbit/ui/SatOrbDlg.h"

#include "orbit/Sat.h"
#include "orbit/ui/SatelliteListWidget.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/WindowState.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

TSatOrbDlg* SatOrbDlg = nullptr;

namespace {
const char kKey[] = "APT\\OrbitDialog";
}  // namespace

TSatOrbDlg::TSatOrbDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("SatOrbDlg");
    setWindowTitle("Orbit data");
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    GroupCb = new QComboBox;
    GroupCb->setObjectName("GroupCb");
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    OrbGrid = new QTableWidget(OrbitGridRows - 1, 2);
    OrbGrid->setObjectName("OrbGrid");
    OrbGrid->verticalHeader()->hide();
    OrbGrid->verticalHeader()->setDefaultSectionSize(16);
    OrbGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    OrbGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    OrbGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    OrbGrid->setColumnWidth(0, 118);
    // As wide as the longest value it shows, the age of an element set.
    const int dataWidth = OrbGrid->fontMetrics().horizontalAdvance("9999 days ago on Wed 30 Sep 2021 23:59:59 UTC");
    OrbGrid->setColumnWidth(1, std::max(286, dataWidth + 12));
    OrbGrid->horizontalHeader()->setStretchLastSection(true);  // a wider window widens the data

    auto* panel = new QHBoxLayout;
    panel->addWidget(new QLabel("Satellite group:"));
    panel->addWidget(GroupCb, 1);
    auto* splitter = new QSplitter;
    splitter->setObjectName("Splitter1");
    splitter->addWidget(SatList);
    splitter->addWidget(OrbGrid);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panel);
    layout->addWidget(splitter, 1);
    // At its first size the grid shows both its columns whole beside a list
    // of satellite names; a stored placement or column width overrides it.
    const int listWidth = 150;
    const int gridWidth = OrbGrid->columnWidth(0) + OrbGrid->columnWidth(1) +
                          OrbGrid->verticalScrollBar()->sizeHint().width() + 2 * OrbGrid->frameWidth();
    splitter->setSizes({listWidth, gridWidth});
    const QMargins margins = layout->contentsMargins();
    resize(listWidth + splitter->handleWidth() + gridWidth + margins.left() + margins.right(), 420);

    // The grid's layout: titles in the header, captions in column 0.
    QList<QStringList> rows;
    SetupOrbitGrid(rows);
    OrbGrid->setHorizontalHeaderLabels(rows[0]);
    for (int row = 1; row < rows.size(); ++row)
        OrbGrid->setItem(row - 1, 0, new QTableWidgetItem(rows[row][0]));

    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(OrbGrid, kKey);
    GroupCb->setCurrentText(ReadRegistryString(kKey, "Group"));
    connect(GroupCb, &QComboBox::currentIndexChanged, this, &TSatOrbDlg::GroupCbChange);
    connect(SatList, &QListWidget::itemSelectionChanged, this, &TSatOrbDlg::SatListClick);
}

TSatOrbDlg::~TSatOrbDlg()
{
    SaveFormPlacement(this, kKey);
    SaveGridColumns(OrbGrid, kKey);
    if (!GroupCb->currentText().isEmpty())
        WriteRegistryString(kKey, "Group", GroupCb->currentText());
    if (SatOrbDlg == this)
        SatOrbDlg = nullptr;
}

void TSatOrbDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    GroupCbChange();
}

void TSatOrbDlg::GroupCbChange()
{
    if (GroupCb->currentIndex() < 0 || GroupCb->currentText().isEmpty())
        return;
    // A group whose satellites were all deleted leaves the list as it was.
    QListWidget probe;
    FillSatelliteList(&probe, SatelliteList, GroupCb->currentIndex() == 0, GroupCb->currentText());
    if (probe.count() == 0)
        return;
    FillSatelliteList(SatList, SatelliteList, GroupCb->currentIndex() == 0, GroupCb->currentText());
    SatList->setCurrentRow(0);
    SatListClick();
}

void TSatOrbDlg::SatListClick()
{
    TSat* sat = SatelliteOf(SatList->currentItem());
    if (!sat)
        return;
    QList<QStringList> rows;
    sat->FillOrbitGrid(rows);
    for (int row = 1; row < rows.size(); ++row)
        OrbGrid->setItem(row - 1, 1, new QTableWidgetItem(rows[row][1]));
    OrbGrid->selectRow(0);
}
