#include "tracking/ui/TrackDlg.h"

#include "orbit/Sat.h"
#include "shell/PList.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/WindowState.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <chrono>

TTrackDlg* TrackDlg = nullptr;

namespace {

const char kKey[] = "APT\\TrackDialog";
const QStringList kColumns = {"Spacecraft",   "Orbit",     "Latitude",    "Longitude",     "Azimuth",
                              "Elevation",    "Next AOS",  "Velocity",    "Footprint",     "Altitude",
                              "Slant Range",  "Eclipse Depth", "Orbital Phase", "Orbital Mode"};
constexpr int kElevationColumn = 5;
constexpr auto kSweepPause = std::chrono::milliseconds(100);

// Every cell drawn by the form: rows coloured by whether the satellite is
// above the horizon, red text for a selected cell.
class TrackGridDrawCell : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString elevation = index.model()->index(index.row(), kElevationColumn).data().toString();
        const QColor background = elevation.isEmpty()         ? QColor(Qt::white)
                                  : elevation.startsWith('-') ? SkyBlue()
                                                              : QColor(Qt::green);
        painter->fillRect(option.rect, background);
        painter->setPen(option.state & QStyle::State_Selected ? Qt::red : Qt::black);
        painter->drawText(option.rect.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }
    // The framework's sky blue: 0x00F0CAA6 as BGR.
    static QColor SkyBlue() { return QColor(0xA6, 0xCA, 0xF0); }
};

}  // namespace

TTrackDlgThread::TTrackDlgThread(TTrackDlg* dialog) : TThread(true), dialog_(dialog) {}

void TTrackDlgThread::SetPaused(bool paused)
{
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    changed_.notify_all();
}

void TTrackDlgThread::Stop()
{
    Terminate();
    changed_.notify_all();
}

void TTrackDlgThread::Execute()
{
    while (!Terminated()) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !paused_ || Terminated(); });
        }
        for (int row = 1; !Terminated() && row <= dialog_->TrackedCount(); ++row)
            Synchronize([this, row] { dialog_->UpdateGrid(row); });
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kSweepPause, [this] { return Terminated(); });
    }
}

TTrackDlg::TTrackDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("TrackDlg");
    setWindowTitle("Track satellites");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(1000, 420);
    GroupCb = new QComboBox;
    GroupCb->setObjectName("GroupCb");
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    TrackGrid = new QTableWidget(1, kColumns.size());
    TrackGrid->setObjectName("TrackGrid");
    TrackGrid->setHorizontalHeaderLabels(kColumns);
    TrackGrid->verticalHeader()->hide();
    TrackGrid->verticalHeader()->setDefaultSectionSize(16);
    TrackGrid->horizontalHeader()->setDefaultSectionSize(75);
    TrackGrid->setColumnWidth(0, 83);
    TrackGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TrackGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    TrackGrid->setItemDelegate(new TrackGridDrawCell(TrackGrid));

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(new QLabel("Satellite group:"));
    leftLayout->addWidget(GroupCb);
    leftLayout->addWidget(SatList, 1);
    auto* splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(TrackGrid);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(TrackGrid, kKey);
    GroupCb->setCurrentText(ReadRegistryString(kKey, "Group"));
    connect(GroupCb, &QComboBox::currentIndexChanged, this, &TTrackDlg::GroupCbChange);
    connect(SatList, &QListWidget::itemChanged, this, &TTrackDlg::SatListClick);
}

TTrackDlg::~TTrackDlg()
{
    StopThread();
    SaveFormPlacement(this, kKey);
    SaveGridColumns(TrackGrid, kKey);
    if (!GroupCb->currentText().isEmpty())
        WriteRegistryString(kKey, "Group", GroupCb->currentText());
    if (TrackDlg == this)
        TrackDlg = nullptr;
}

void TTrackDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    StopThread();
    thread_ = std::make_unique<TTrackDlgThread>(this);
    thread_->Resume();  // it waits, paused, until a satellite is ticked
    CurrentSat = nullptr;
    CurrentRow = -1;
    Tracked.clear();
    trackedCount_ = 0;
    TrackGrid->clearContents();
    TrackGrid->setRowCount(1);
    GroupCbChange();
}

void TTrackDlg::closeEvent(QCloseEvent* event)
{
    StopThread();
    QDialog::closeEvent(event);
}

void TTrackDlg::done(int result)
{
    StopThread();
    QDialog::done(result);
}

void TTrackDlg::StopThread()
{
    if (!thread_)
        return;
    thread_->Stop();
    thread_->WaitFor();
    thread_.reset();
}

void TTrackDlg::SetRunning(bool run)
{
    if (thread_)
        thread_->SetPaused(!run);
}

void TTrackDlg::GroupCbChange()
{
    if (GroupCb->currentIndex() < 0 || GroupCb->currentText().isEmpty() || !Satellites)
        return;
    filling_ = true;
    SatList->clear();
    for (int i = 0; i < Satellites->Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites->Get(i));
        if (GroupCb->currentIndex() != 0 && sat->Group != GroupCb->currentText())
            continue;
        auto* item = new QListWidgetItem(QString::fromLatin1(sat->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Tracked.contains(sat) ? Qt::Checked : Qt::Unchecked);
        SatList->addItem(item);
    }
    filling_ = false;
}

void TTrackDlg::SatListClick(QListWidgetItem* item)
{
    if (filling_ || !item)
        return;
    auto* sat = static_cast<TSat*>(item->data(Qt::UserRole).value<void*>());
    if (!sat)
        return;
    SetRunning(false);
    if (item->checkState() != Qt::Checked) {
        const int index = Tracked.indexOf(sat);
        if (index >= 0) {
            Tracked.removeAt(index);
            // The satellite's own row goes (the last one is only cleared).
            if (TrackGrid->rowCount() > 1)
                TrackGrid->removeRow(index);
            else
                TrackGrid->clearContents();
        }
    } else if (!Tracked.contains(sat)) {
        Tracked.append(sat);
        QStringList binding;
        sat->FillTrackingRow(binding, Station, true);
        if (Tracked.size() > 1)
            TrackGrid->setRowCount(TrackGrid->rowCount() + 1);
    }
    trackedCount_ = Tracked.size();
    if (!Tracked.isEmpty())
        SetRunning(true);
}

void TTrackDlg::UpdateGrid(int row)
{
    // The list as it stands now, on the GUI thread: a row past its end is
    // the last sweep's, before an untick.
    if (row < 1 || row > Tracked.size() || row > TrackGrid->rowCount())
        return;
    CurrentSat = Tracked[row - 1];
    CurrentRow = row;
    QStringList cells;
    CurrentSat->FillTrackingRow(cells, Station, false);
    for (int column = 0; column < cells.size() && column < TrackGrid->columnCount(); ++column) {
        QTableWidgetItem* cell = TrackGrid->item(row - 1, column);
        if (!cell)
            TrackGrid->setItem(row - 1, column, cell = new QTableWidgetItem);
        cell->setText(cells[column]);
    }
}
