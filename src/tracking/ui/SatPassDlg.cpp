#include "tracking/ui/SatPassDlg.h"

#include "orbit/Sat.h"
#include "platform/SystemTime.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/PassDialogSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

TSatPassDlg* SatPassDlg = nullptr;

namespace {

const char kKey[] = "APT\\SatPass";
const QStringList kColumns = {"Spacecraft", "Orbit",    "Downlink", "AOS",       "Duration", "Direction", "Max Elev.",
                              "Pathloss",   "Azimuth",  "Latitude", "Longitude", "Phase",    "Range"};
// The row's pass (its AOS day number) rides on the first cell.
constexpr int kAosRole = Qt::UserRole + 1;

}  // namespace

TSatPassDlg::TSatPassDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("SatPassDlg");
    setWindowTitle("Satellite pass prediction");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(900, 480);

    SatListPanel = new QWidget;
    SatListPanel->setObjectName("SatListPanel");
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->viewport()->installEventFilter(this);
    auto* panelLayout = new QVBoxLayout(SatListPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(SatList);

    GroupCb = new QComboBox;
    GroupCb->setObjectName("GroupCb");
    AddSysTimeChk = new QCheckBox("Include system time to selected date");
    AddSysTimeChk->setObjectName("AddSysTimeChk");
    DatePicker = MakeDatePicker("dddd d  MMMM yyyy ");
    Thresholds = new QCheckBox("Apply pass thresholds");
    Thresholds->setObjectName("Thresholds");
    APTPassesBtn = new QPushButton("Show all active passes");
    SettingsBtn = new QPushButton("Set pass thresholds...");
    ShowSwathBtn = new QPushButton("Show swath...");
    PassGrid = MakePassTable("PassGrid", kColumns);

    auto* apt = new QGroupBox(" APT Satellites ");
    auto* aptLayout = new QHBoxLayout(apt);
    aptLayout->addWidget(Thresholds);
    aptLayout->addWidget(APTPassesBtn);
    aptLayout->addWidget(SettingsBtn);
    aptLayout->addWidget(ShowSwathBtn);
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    auto* top = new QHBoxLayout;
    auto* choice = new QVBoxLayout;
    choice->addWidget(new QLabel("Satellite group:"));
    choice->addWidget(GroupCb);
    choice->addWidget(AddSysTimeChk);
    choice->addWidget(DatePicker);
    top->addLayout(choice);
    top->addWidget(apt, 1);
    rightLayout->addLayout(top);
    rightLayout->addWidget(PassGrid, 1);
    auto* splitter = new QSplitter;
    splitter->addWidget(SatListPanel);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(PassGrid, kKey);
    AddSysTimeChk->setChecked(ReadRegistryString(kKey, "AddSysTimeChk").toInt() != 0);
    Thresholds->setChecked(ReadRegistryString(kKey, "ThresHolds").toInt() != 0);
    const int width = ReadRegistryString(kKey, "SatListWidth").toInt();
    if (width > 0)
        splitter->setSizes({width, std::max(width, this->width() - width)});
    GroupCb->setCurrentText(ReadRegistryString(kKey, "Group"));

    connect(GroupCb, &QComboBox::currentIndexChanged, this, &TSatPassDlg::GroupCbChange);
    connect(SatList, &QListWidget::itemClicked, this, &TSatPassDlg::SatListClick);
    connect(DatePicker, &QDateEdit::dateChanged, this, &TSatPassDlg::SatListClick);
    connect(AddSysTimeChk, &QCheckBox::clicked, this, &TSatPassDlg::SatListClick);
    connect(APTPassesBtn, &QPushButton::clicked, this, &TSatPassDlg::APTPassesBtnClick);
    connect(Thresholds, &QCheckBox::clicked, this, &TSatPassDlg::APTPassesBtnClick);
    connect(SettingsBtn, &QPushButton::clicked, this, &TSatPassDlg::SettingsBtnClick);
    connect(ShowSwathBtn, &QPushButton::clicked, this, &TSatPassDlg::ShowSwathBtnClick);
    connect(PassGrid, &QTableWidget::cellClicked, this, &TSatPassDlg::PassGridClick);
}

TSatPassDlg::~TSatPassDlg()
{
    SaveFormPlacement(this, kKey);
    SaveGridColumns(PassGrid, kKey);
    WriteRegistryString(kKey, "AddSysTimeChk", AddSysTimeChk->isChecked() ? "1" : "0");
    WriteRegistryString(kKey, "ThresHolds", Thresholds->isChecked() ? "1" : "0");
    WriteRegistryString(kKey, "SatListWidth", QString::number(SatListPanel->width()));
    if (!GroupCb->currentText().isEmpty())
        WriteRegistryString(kKey, "Group", GroupCb->currentText());
    if (SatPassDlg == this)
        SatPassDlg = nullptr;
}

void TSatPassDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    closeRequested_ = false;
    ShowSwathBtn->setEnabled(static_cast<bool>(ShowSwath));
    SetPickerToToday(DatePicker);
    Flags |= 0x4;
    GroupCbChange();
    APTPassesBtnClick();
}

bool TSatPassDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SatList->viewport() && event->type() == QEvent::MouseButtonPress)
        Flags |= 0x4;
    return QDialog::eventFilter(watched, event);
}

void TSatPassDlg::CloseIfRequested()
{
    if (!closeRequested_)
        return;
    closeRequested_ = false;
    // Queued: a close asked for while the dialog was still being shown must
    // reach its modal loop.
    QMetaObject::invokeMethod(this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
}

void TSatPassDlg::reject()
{
    if (busy_) {
        closeRequested_ = true;
        return;
    }
    QDialog::reject();
}

void TSatPassDlg::done(int result)
{
    // The swath viewer opened from the list is a window of its own, a child
    // of this dialog: Qt leaves it on screen when the dialog goes, so the
    // list closes it (and any other window it opened) itself.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() && child->isVisible())
            child->close();
    QDialog::done(result);
}

TDateTime TSatPassDlg::GetSelectedTime() const
{
    return PickedTime(DatePicker, AddSysTimeChk->isChecked());
}

void TSatPassDlg::GroupCbChange()
{
    if (GroupCb->currentIndex() < 0 || GroupCb->currentText().isEmpty())
        return;
    SatList->clear();
    for (TSat* sat : Satellites)
        if (GroupCb->currentIndex() == 0 || sat->Group == GroupCb->currentText()) {
            auto* item = new QListWidgetItem(QString::fromLatin1(sat->Name));
            item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
            SatList->addItem(item);
        }
    if (SatList->count() > 0) {
        SatList->setCurrentRow(0);
        SatListClick();
    }
}

void TSatPassDlg::ShowRows(const QList<QStringList>& rows, const QList<double>& aosDays)
{
    PassGrid->clearContents();
    PassGrid->setRowCount(std::max<int>(1, rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size() && column < PassGrid->columnCount(); ++column)
            PassGrid->setItem(row, column, new QTableWidgetItem(rows[row][column]));
        if (row < aosDays.size() && PassGrid->item(row, 0))
            PassGrid->item(row, 0)->setData(kAosRole, aosDays[row]);
    }
}

void TSatPassDlg::SatListClick()
{
    if (!Station || busy_)
        return;
    if (!(Flags & 0x4)) {
        APTPassesBtnClick();
        return;
    }
    QListWidgetItem* item = SatList->currentItem();
    if (!item)
        return;
    auto* sat = static_cast<TSat*>(item->data(Qt::UserRole).value<void*>());
    const TFillGuard guard(busy_);
    QList<QStringList> rows;
    QList<double> aosDays;
    sat->FillPassGrid(Station, rows, GetSelectedTime(), [this] { LetMessagesRun(closeRequested_); }, &aosDays);
    ShowRows(rows, aosDays);
    CloseIfRequested();
}

void TSatPassDlg::APTPassesBtnClick()
{
    if (!isVisible() || busy_ || !Station)
        return;
    const TFillGuard guard(busy_);
    const TWaitCursor wait;
    QApplication::processEvents();
    const TDateTime t = GetSelectedTime();
    const double day = DateTimeToDayNumber(t);
    struct Item {
        TSat* Sat;
        double AOS;
    };
    QList<Item> items;
    for (TSat* sat : Satellites) {
        if (!sat->APTSatellite)
            continue;
        if (sat->PredictNextAOS(Station, t) != 0) {
            items.append({sat, sat->AOS});
            for (double next = sat->PredictNextPassOnDate(t); next != 0; next = sat->PredictNextPassOnDate(t))
                items.append({sat, next});
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.AOS < b.AOS; });
    QList<QStringList> rows;
    QList<double> aosDays;
    const TSetting* settings = Thresholds->isChecked() && MainForm ? MainForm->Settings.get() : nullptr;
    for (const Item& item : items) {
        if (closeRequested_)
            break;
        if (AddSysTimeChk->isChecked() && item.AOS < day) {
            // A pass already under way at the chosen time is still listed.
            item.Sat->Time = day;
            item.Sat->ComputePosition();
            if (item.Sat->Elevation < 0)
                continue;
        }
        if (item.Sat->AddPassRow(Station, rows, item.AOS, settings))
            aosDays.append(item.AOS);
        LetMessagesRun(closeRequested_);
    }
    ShowRows(rows, aosDays);
    Flags &= ~0x4;
    CloseIfRequested();
}

TSat* TSatPassDlg::GetSelectedPass()
{
    const int row = PassGrid->currentRow();
    QTableWidgetItem* name = PassGrid->item(row, 0);
    if (row < 0 || !name || name->text().isEmpty() || !PassGrid->item(row, 3) || !MainForm)
        return nullptr;
    TSat* sat = MainForm->FindSatellite(&MainForm->SatelliteList, name->text());
    const QVariant aos = name->data(kAosRole);
    if (!sat || !aos.isValid())
        return nullptr;
    // From the row's own pass: its AOS, a minute early so the search finds it.
    const double day = aos.toDouble() - 60 / 86400.0;
    if (Thresholds->isChecked()) {
        if (!sat->PredictRecordingWindow(Station, MainForm->Settings.get(), day))
            return nullptr;
    } else {
        if (!sat->PredictPass(Station, day, 0))
            return nullptr;
        sat->WindowStart = sat->AOS;
        sat->WindowStop = sat->LOS;
    }
    return sat;
}

void TSatPassDlg::SettingsBtnClick()
{
    if (MainForm && MainForm->EditPassThresholds() && Thresholds->isChecked())
        APTPassesBtnClick();
}

void TSatPassDlg::ShowSwathBtnClick()
{
    QApplication::processEvents();
    if (TSat* sat = GetSelectedPass(); sat && ShowSwath)
        ShowSwath(sat);
}

void TSatPassDlg::PassGridClick()
{
    if (SwathVisible && SwathVisible())
        ShowSwathBtnClick();
}
