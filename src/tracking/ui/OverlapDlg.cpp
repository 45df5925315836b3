#include "tracking/ui/OverlapDlg.h"

#include "orbit/Sat.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/PassDialogSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

TOverlapDlg* OverlapDlg = nullptr;

namespace {

const char kKey[] = "APT\\FootprintDlg";
const QStringList kColumns = {"Spacecraft", "Orbit", "Downlink", "AOS", "LOS", "State", "Duration", "Max Elev.",
                              "Direction"};

TSat* SatelliteOf(const QListWidgetItem* item)
{
    return static_cast<TSat*>(item->data(Qt::UserRole).value<void*>());
}

}  // namespace

TOverlapDlg::TOverlapDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("OverlapDlg");
    setWindowTitle("Predict APT footprint overlaps");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(900, 460);

    DatePicker = MakeDatePicker("dddd d  MMMM yyyy");
    IncSysTime = new QCheckBox("Include current system time");
    IncSysTime->setObjectName("IncSysTime");
    IncSysTime->setChecked(true);
    PredictAPTOnly = new QRadioButton("Check only APT-satellites");
    PredictAgainstSelected = new QRadioButton("Check APT-satellites against selected");
    PredictAPTOnly->setChecked(true);
    CheckFreq = new QCheckBox("Check only satellites on same frequencies");
    CheckFreq->setObjectName("CheckFreq");
    CheckFreq->setChecked(true);
    CalcBtn = new QPushButton("Predict");
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    SatList->setMinimumWidth(100);
    SatList->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* checkAll = new QAction("Check all", SatList);
    auto* uncheckAll = new QAction("Uncheck all", SatList);
    SatList->addActions({checkAll, uncheckAll});
    sg = MakePassTable("sg", kColumns);
    sg->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* predict = new QGroupBox(" Action ");
    predict->setObjectName("Predict");
    auto* predictLayout = new QVBoxLayout(predict);
    predictLayout->addWidget(PredictAPTOnly);
    predictLayout->addWidget(PredictAgainstSelected);
    auto* top = new QHBoxLayout;
    auto* dates = new QVBoxLayout;
    dates->addWidget(DatePicker);
    dates->addWidget(IncSysTime);
    top->addLayout(dates);
    top->addWidget(predict);
    auto* checks = new QVBoxLayout;
    checks->addWidget(CheckFreq);
    checks->addWidget(CalcBtn);
    top->addLayout(checks);
    auto* splitter = new QSplitter;
    splitter->addWidget(SatList);
    splitter->addWidget(sg);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);

    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(sg, kKey);
    const int width = ReadRegistryString(kKey, "SatListWidth").toInt();
    if (width > 0)
        splitter->setSizes({width, std::max(width, this->width() - width)});

    connect(CalcBtn, &QPushButton::clicked, this, &TOverlapDlg::CalcBtnClick);
    connect(DatePicker, &QDateEdit::dateChanged, this, &TOverlapDlg::Calculate);
    connect(IncSysTime, &QCheckBox::clicked, this, &TOverlapDlg::Calculate);
    connect(CheckFreq, &QCheckBox::clicked, this, &TOverlapDlg::Calculate);
    connect(checkAll, &QAction::triggered, this, &TOverlapDlg::Checkall1Click);
    connect(uncheckAll, &QAction::triggered, this, &TOverlapDlg::Uncheckall1Click);
}

TOverlapDlg::~TOverlapDlg()
{
    SaveFormPlacement(this, kKey);
    SaveGridColumns(sg, kKey);
    WriteRegistryString(kKey, "SatListWidth", QString::number(SatList->width()));
    if (OverlapDlg == this)
        OverlapDlg = nullptr;
}

void TOverlapDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    closeRequested_ = false;
    SetPickerToToday(DatePicker);
    Calculate();
}

void TOverlapDlg::CloseIfRequested()
{
    if (!closeRequested_)
        return;
    closeRequested_ = false;
    // Queued: a close asked for while the dialog was still being shown must
    // reach its modal loop.
    QMetaObject::invokeMethod(this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
}

void TOverlapDlg::reject()
{
    if (busy_) {
        closeRequested_ = true;
        return;
    }
    QDialog::reject();
}

int TOverlapDlg::PredictIndex() const
{
    return PredictAgainstSelected->isChecked() ? 1 : 0;
}

void TOverlapDlg::Checkall1Click()
{
    for (int i = 0; i < SatList->count(); ++i)
        SatList->item(i)->setCheckState(Qt::Checked);
    PredictAgainstSelected->setChecked(true);
    Calculate();
}

void TOverlapDlg::Uncheckall1Click()
{
    for (int i = 0; i < SatList->count(); ++i)
        SatList->item(i)->setCheckState(Qt::Unchecked);
}

QList<TOverlapDlg::TPass> TOverlapDlg::CollectPasses(TSat* sat) const
{
    QList<TPass> passes;
    const TDateTime t = PickedTime(DatePicker, IncSysTime->isChecked());
    const QString name = QString::fromLatin1(sat->Name);
    if (sat->PredictNextAOS(Station, t) == 0)
        return passes;
    double aos = sat->AOS;
    double los = sat->PredictLOS();
    while (aos != 0 && los != 0) {
        passes.append({name, aos, los});
        sat->Time = los;
        aos = sat->PredictNextPassOnDate(t);
        if (aos == 0)
            break;
        sat->AOS = aos;
        los = sat->PredictLOS();
    }
    return passes;
}

double TOverlapDlg::GetOverlapStart(double aos1, double los1, double aos2, double los2)
{
    if (aos1 <= aos2 && aos2 <= los1)
        return aos2;
    if (aos2 <= aos1 && aos1 <= los2)
        return aos1;
    return 0;
}

void TOverlapDlg::Calculate()
{
    if (!isVisible() || busy_ || !Station)
        return;
    const TFillGuard guard(busy_);
    const TWaitCursor wait;
    QApplication::processEvents();
    sg->clearContents();
    sg->setRowCount(1);
    QList<TSat*> others;
    for (int i = 0; i < SatList->count(); ++i)
        if (SatList->item(i)->checkState() == Qt::Checked)
            others << SatelliteOf(SatList->item(i));
    for (int i = 0; i < APTSatellites.size() && !closeRequested_; ++i) {
        TSat* a = APTSatellites[i];
        const QList<TPass> passesA = CollectPasses(a);
        if (passesA.isEmpty())
            continue;
        const QList<TSat*> partners = PredictIndex() == 0 ? APTSatellites.mid(i + 1) : others;
        for (TSat* b : partners) {
            if (closeRequested_)
                break;
            if (b == a || (CheckFreq->isChecked() && b->Downlink != a->Downlink))
                continue;
            const QList<TPass> passesB = CollectPasses(b);
            for (const TPass& pa : passesA)
                for (const TPass& pb : passesB) {
                    if (pb.AOS > pa.LOS)
                        break;
                    if (GetOverlapStart(pa.AOS, pa.LOS, pb.AOS, pb.LOS) != 0)
                        AddOverlap(a, pa, b, pb);
                }
        }
    }
    CloseIfRequested();
}

void TOverlapDlg::AddOverlap(TSat* a, const TPass& passA, TSat* b, const TPass& passB)
{
    // Both passes again, from their AOS: the rows show their full data.
    const double minute = 60 / 86400.0;
    if (!a->PredictPass(Station, passA.AOS - minute, 0))
        return;
    const double aosA = a->AOS, losA = a->LOS;
    if (!b->PredictPass(Station, passB.AOS - minute, 0))
        return;
    const double start = GetOverlapStart(aosA, losA, b->AOS, b->LOS);
    if (start == 0)
        return;
    if (sg->rowCount() > 1 || sg->item(0, 0))
        sg->setRowCount(sg->rowCount() + 2);  // an empty separator row between pairs
    const QString duration = TSat::FormatDuration(std::min(losA, b->LOS) - start);
    a->PredictPass(Station, passA.AOS - minute, 0);
    AddRow(a, start, QString());
    sg->setRowCount(sg->rowCount() + 1);
    b->PredictPass(Station, passB.AOS - minute, 0);
    AddRow(b, start, duration);
}

void TOverlapDlg::AddRow(TSat* sat, double start, const QString& duration)
{
    LetMessagesRun(closeRequested_);
    const int row = sg->rowCount() - 1;
    QString state = "Approaching";
    const double aos = sat->AOS;
    if (std::fabs(start - aos) > 0.5 / 86400.0) {
        sat->Time = start;
        sat->ComputePosition();
        state = std::fabs(sat->RangeRate) < 0.1 ? "TCA" : sat->RangeRate >= 0.1 ? "Receding" : "Approaching";
    }
    const QStringList cells = {QString::fromLatin1(sat->Name),
                               QString::number(sat->GetOrbitNumber()),
                               sat->Downlink.isEmpty() ? QString("N/A") : sat->Downlink,
                               TSat::DayNumberToText(aos, 17),
                               TSat::DayNumberToText(sat->LOS, 17),
                               state,
                               duration,
                               QString::asprintf("%.2f", sat->MaxElevation),
                               sat->Northbound ? "Northbound" : "Southbound"};
    for (int column = 0; column < cells.size(); ++column)
        sg->setItem(row, column, new QTableWidgetItem(cells[column]));
}
