#include "tracking/ui/SatPass4Dlg.h"

#include "orbit/Sat.h"
#include "shell/ui/WindowState.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

TSatPass4Dlg* SatPass4Dlg = nullptr;

namespace {

const char kPlacementKey[] = "APT\\SatPass4";

}  // namespace

TSatPass4Dlg::TSatPass4Dlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("SatPass4Dlg");
    setWindowTitle("Select a suitable satellite for this wave");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(560, 300);

    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);

    FileTsLabel = new QLabel;
    aos = new QLabel;
    tca = new QLabel;
    los = new QLabel;
    dir = new QLabel;
    tledate = new QLabel;
    const QList<QPair<QLabel*, const char*>> values = {{FileTsLabel, "FileTsLabel"}, {aos, "aos"}, {tca, "tca"},
                                                       {los, "los"},                 {dir, "dir"}, {tledate, "tledate"}};
    for (const auto& [label, name] : values)
        label->setObjectName(name);

    auto* data = new QGroupBox(" Data ");
    auto* form = new QFormLayout(data);
    form->addRow("File creation date:", FileTsLabel);
    form->addRow("Acquisition of signal:", aos);
    form->addRow("Time of closest approach:", tca);
    form->addRow("Loss of signal:", los);
    form->addRow("Direction:", dir);
    form->addRow("2-Line element set issued date:", tledate);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(new QLabel("More than one pass matched this wave ! "));
    rightLayout->addWidget(new QLabel("Select from the list the one you think is correct."));
    rightLayout->addWidget(data);
    rightLayout->addStretch();

    auto* splitter = new QSplitter;
    splitter->addWidget(SatList);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);

    OKBtn = new QPushButton("OK");
    CancelBtn = new QPushButton("Cancel");
    OKBtn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SatList, &QListWidget::itemSelectionChanged, this, &TSatPass4Dlg::SatListClick);
    RestoreFormPlacement(this, kPlacementKey);
}

TSatPass4Dlg::~TSatPass4Dlg()
{
    SaveFormPlacement(this, kPlacementKey);
}

void TSatPass4Dlg::SetCandidates(const QList<QPair<QString, TSat*>>& candidates)
{
    SatList->clear();
    for (const auto& [name, sat] : candidates) {
        auto* item = new QListWidgetItem(name);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        SatList->addItem(item);
    }
}

TSat* TSatPass4Dlg::SelectedSatellite() const
{
    for (int i = 0; i < SatList->count(); ++i) {
        if (SatList->item(i)->isSelected())
            return static_cast<TSat*>(SatList->item(i)->data(Qt::UserRole).value<void*>());
    }
    return nullptr;
}

void TSatPass4Dlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (SatList->count() > 0)
        SatList->setCurrentRow(0);
    SatListClick();
}

void TSatPass4Dlg::SatListClick()
{
    TSat* sat = SelectedSatellite();
    if (!sat)
        return;
    tledate->setText(sat->GetEpochAgeText(true));
    aos->setText(TSat::DayNumberToText(sat->WindowStart, 0x4));
    tca->setText(TSat::DayNumberToText(sat->TCA, 0x2));
    los->setText(TSat::DayNumberToText(sat->WindowStop, 0x2));
    dir->setText(sat->Northbound ? "Northbound" : "Southbound");
}
