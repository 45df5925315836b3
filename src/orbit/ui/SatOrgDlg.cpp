#include "orbit/ui/SatOrgDlg.h"

#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "orbit/ui/GroupNameBox.h"
#include "orbit/ui/SatelliteListWidget.h"
#include "shell/PList.h"
#include "shell/RegistryHelpers.h"
#include "shell/TextHelpers.h"
#include "shell/ui/WindowState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSatOrgDlg* SatOrgDlg = nullptr;

namespace {
const char kKey[] = "APT\\SatMaintenance";
}  // namespace

TSatOrgDlg::TSatOrgDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("SatOrgDlg");
    setWindowTitle("Satellite maintenance");
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(560, 400);

    GroupCb = new QComboBox;
    GroupCb->setObjectName("GroupCb");
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    SatList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ShowNoGroupRadio = new QRadioButton("Select satellites with no group name.");
    DelSat = new QRadioButton("Delete selected satellites.");
    DelSatGroup = new QRadioButton("Delete selected satellite group.");
    MoveSatToGroup = new QRadioButton("Move selected satellites to group:");
    MoveToGroupCb = new QComboBox;
    MoveToGroupCb->setEditable(true);
    RenGroup = new QRadioButton("Rename selected group to:");
    RenameGroupEdit = new QLineEdit;
    ApplyBtn = new QPushButton("Apply");
    OkBtn = new QPushButton("Ok");
    CancelBtn = new QPushButton("Cancel");
    const QList<QPair<QWidget*, const char*>> names = {
        {ShowNoGroupRadio, "ShowNoGroupRadio"}, {DelSat, "DelSat"},         {DelSatGroup, "DelSatGroup"},
        {MoveSatToGroup, "MoveSatToGroup"},     {MoveToGroupCb, "MoveToGroupCb"}, {RenGroup, "RenGroup"},
        {RenameGroupEdit, "RenameGroupEdit"},   {ApplyBtn, "ApplyBtn"},     {OkBtn, "OkBtn"},
        {CancelBtn, "CancelBtn"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(name);

    auto* action = new QGroupBox(" Action ");
    action->setObjectName("GroupBox1");
    auto* actions = new QGridLayout(action);
    actions->addWidget(ShowNoGroupRadio, 0, 0, 1, 2);
    actions->addWidget(DelSat, 1, 0, 1, 2);
    actions->addWidget(DelSatGroup, 2, 0, 1, 2);
    actions->addWidget(MoveSatToGroup, 3, 0);
    actions->addWidget(MoveToGroupCb, 3, 1);
    actions->addWidget(RenGroup, 4, 0);
    actions->addWidget(RenameGroupEdit, 4, 1);
    actions->addWidget(ApplyBtn, 5, 1, Qt::AlignRight);
    actions->setRowStretch(6, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Satellite group:"));
    top->addWidget(GroupCb, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(SatList, 1);
    middle->addWidget(action, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    RestoreFormPlacement(this, kKey);
    GroupCb->setCurrentText(ReadRegistryString(kKey, "Group"));
    connect(GroupCb, &QComboBox::currentIndexChanged, this, &TSatOrgDlg::GroupCbChange);
    connect(ShowNoGroupRadio, &QRadioButton::clicked, this, &TSatOrgDlg::ShowNoGroupRadioClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TSatOrgDlg::ApplyBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TSatOrgDlg::~TSatOrgDlg()
{
    SaveFormPlacement(this, kKey);
    if (!GroupCb->currentText().isEmpty())
        WriteRegistryString(kKey, "Group", GroupCb->currentText());
    if (SatOrgDlg == this)
        SatOrgDlg = nullptr;
}

void TSatOrgDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    GroupCbChange();
    RefillMoveToGroupCb();
    RenameGroupEdit->clear();
    Modified = 0;
}

bool TSatOrgDlg::ShowsGroup() const
{
    return GroupCb->currentIndex() > 0;
}

void TSatOrgDlg::GroupCbChange()
{
    if (GroupCb->currentIndex() < 0 || GroupCb->currentText().isEmpty())
        return;
    FillSatelliteList(SatList, SatelliteList, !ShowsGroup(), GroupCb->currentText());
}

void TSatOrgDlg::RefillMoveToGroupCb()
{
    MoveToGroupCb->clear();
    for (int i = 1; i < GroupCb->count(); ++i)
        MoveToGroupCb->addItem(GroupCb->itemText(i));
    MoveToGroupCb->setCurrentText(QString());
}

void TSatOrgDlg::ShowNoGroupRadioClick()
{
    if (ShowsGroup()) {
        const QSignalBlocker quiet(GroupCb);
        GroupCb->setCurrentIndex(0);
        GroupCbChange();
    }
    for (int i = 0; i < SatList->count(); ++i) {
        TSat* sat = SatelliteOf(SatList->item(i));
        const bool blank = sat && IsBlank(sat->Group);
        SatList->item(i)->setSelected(blank);
        if (blank)
            sat->Group.clear();
    }
}

void TSatOrgDlg::ApplyBtnClick()
{
    if (ShowNoGroupRadio->isChecked())
        ShowNoGroupRadioClick();
    else if (DelSat->isChecked())
        DeleteSelectedSatellites();
    else if (DelSatGroup->isChecked())
        DeleteGroup();
    else if (MoveSatToGroup->isChecked())
        MoveSelectedSatellites();
    else if (RenGroup->isChecked())
        RenameGroup();
}

void TSatOrgDlg::RemoveSatellite(QListWidgetItem* item)
{
    TSat* sat = SatelliteOf(item);
    delete item;
    if (sat && SatelliteList)
        SatelliteList->Remove(sat);
    delete sat;
    Modified = 1;
}

void TSatOrgDlg::DeleteSelectedSatellites()
{
    while (!SatList->selectedItems().isEmpty())
        RemoveSatellite(SatList->selectedItems().first());
}

void TSatOrgDlg::DeleteGroup()
{
    if (!ShowsGroup() || SatList->count() == 0)
        return;
    Modified = 1;
    while (SatList->count() > 0)
        RemoveSatellite(SatList->item(SatList->count() - 1));
    const int index = GroupCb->currentIndex();
    const QSignalBlocker quiet(GroupCb);
    GroupCb->removeItem(index);
    GroupCb->setCurrentIndex(index - 1);
    RefillMoveToGroupCb();
    GroupCbChange();
}

void TSatOrgDlg::MoveSelectedSatellites()
{
    const QString target = MoveToGroupCb->currentText();
    if (SatList->selectedItems().isEmpty() || target == GroupCb->currentText() || target == GroupCb->itemText(0))
        return;
    if (!AcceptGroupName(this, target))
        return;
    Modified = 1;
    const bool showAll = !ShowsGroup();
    for (QListWidgetItem* item : SatList->selectedItems()) {
        if (TSat* sat = SatelliteOf(item))
            sat->Group = target;
        if (showAll)
            item->setSelected(false);
        else
            delete item;  // no longer of the group shown
    }
    if (IsBlank(target))
        return;
    if (GroupCb->findText(target, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        GroupCb->addItem(target);
    if (MoveToGroupCb->findText(target, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        MoveToGroupCb->addItem(target);
}

void TSatOrgDlg::RenameGroup()
{
    if (!ShowsGroup() || SatList->count() == 0)
        return;
    const QString name = IsBlank(RenameGroupEdit->text()) ? QString() : RenameGroupEdit->text();
    if (!AcceptGroupName(this, name))
        return;
    Modified = 1;
    for (int i = 0; i < SatList->count(); ++i)
        if (TSat* sat = SatelliteOf(SatList->item(i)))
            sat->Group = name;
    if (!name.isEmpty()) {
        const QSignalBlocker quiet(GroupCb);
        GroupCb->removeItem(GroupCb->currentIndex());
        GroupCb->addItem(name);
        GroupCb->setCurrentIndex(GroupCb->count() - 1);
        RefillMoveToGroupCb();
    }
    GroupCbChange();
}
