#include "tracking/ui/KeplerDlg.h"

#include "net/HttpCli.h"
#include "orbit/Sat.h"
#include "orbit/ui/GroupNameBox.h"
#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/URLLabel.h"
#include "shell/ui/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

TKeplerDlg* KeplerDlg = nullptr;

namespace {

// Columns of the two grids.
constexpr int kUrlColumn = 0, kModifiedColumn = 1, kGroupColumn = 2, kDownloadColumn = 3, kArcDownloadColumn = 2;

const char* const kSatButtonCaptions[] = {"Uncheck never visible", "Uncheck geostationary", "Check geostationary",
                                          "Uncheck all",           "Check all",             "Check selected",
                                          "Uncheck selected",      "Uncheck decayed"};

// The element-set service's page of current groups, and where older
// element sets are kept (free account).
const char* const kWebLinks[] = {"https://celestrak.org/NORAD/elements/", "https://www.space-track.org/"};

// The widest URL shown whole; a longer one is shortened in its middle, so
// the host and the document's name both stay in view.
constexpr int kMaxUrlColumnWidth = 560;
constexpr int kMaxGroupColumnWidth = 260;

// Big enough at the default font for all four tabs' captions and a grid
// row's four cells, and never past the screen.
QSize DefaultSize(QWidget* dialog, QTabWidget* pages, QTableWidget* grid)
{
    int gridWidth = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < grid->columnCount(); ++column)
        gridWidth += grid->columnWidth(column);
    const int margins = 40;
    QSize size(std::max({pages->tabBar()->sizeHint().width(), gridWidth, dialog->sizeHint().width()}) + margins,
               std::max(520, dialog->sizeHint().height()));
    if (const QScreen* screen = dialog->screen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    return size;
}

QTableWidget* MakeGrid(const QString& name, const QStringList& titles)
{
    auto* grid = new QTableWidget(1, titles.size());
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(titles);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setTextElideMode(Qt::ElideMiddle);
    grid->setWordWrap(false);
    return grid;
}

QComboBox* MakeEditor(const QString& name, QWidget* parent, bool editable)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    box->hide();
    return box;
}

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        // Only the URL column is typed into; the others have their editors.
        if (column != kUrlColumn)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        grid->setItem(row, column, item);
    }
    item->setText(text);
    // A typed URL the list cannot keep goes back to the last accepted one.
    if (column == kUrlColumn)
        item->setData(Qt::UserRole, text);
}

}  // namespace

TKeplerDlg::TKeplerDlg(QWidget* parent)
    : QDialog(parent), HttpCli(std::make_unique<THttpCli>()), folders_(MainForm->Folders())
{
    setObjectName("KeplerDlg");
    setWindowTitle("Download NASA/NORAD 2-Line Element Sets");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    BuildLayout();

    HttpCli->Agent = "Mozilla/3.0 (compatible)";
    HttpCli->SetRequestVer("1.0");
    HttpCli->FollowRelocation = true;
    HttpCli->OnDocBegin = [this](THttpCli*) { HttpCliDocBegin(); };
    HttpCli->OnDocEnd = [this](THttpCli*) { HttpCliDocEnd(); };

    // FormCreate
    Loading = true;
    ReadSourceFiles();
    FitColumns();
    resize(DefaultSize(this, PageControl, UrlGrid));
    RestoreSettings();
    Loading = false;
}

TKeplerDlg::~TKeplerDlg()
{
    SaveSettings();
    CommitCellEditors();
    WriteSourceFiles();
    FreeDownloadedSatellites();
    if (KeplerDlg == this)
        KeplerDlg = nullptr;
}

void TKeplerDlg::BuildLayout()
{
    PageControl = new QTabWidget;
    PageControl->setObjectName("PageControl");

    // Current data
    UrlGrid = MakeGrid("UrlGrid", {"URL", "Modified", "Group", "Download"});
    UrlGrid->setColumnWidth(kUrlColumn, 260);
    Memo = new QPlainTextEdit;
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    DownloadBtn = new QPushButton("Download");
    DefaultBtn = new QPushButton("Default URL's");
    RowBtn = new QPushButton("Add row");
    DelRowBtn = new QPushButton("Delete row");
    DelTSBtn = new QPushButton("Remove timestamp");
    FileBtn = new QPushButton("Load from file...");
    EnableCb = MakeEditor("EnableCb", UrlGrid->viewport(), false);
    EnableCb->addItems({"Yes", "No"});
    SatCatCb = MakeEditor("SatCatCb", UrlGrid->viewport(), true);
    SatCatCb->addItems(InitialGroupNames());
    auto* current = new QWidget;
    auto* currentSplit = new QSplitter(Qt::Vertical);
    currentSplit->setObjectName("UrlSplitter");
    currentSplit->addWidget(UrlGrid);
    currentSplit->addWidget(Memo);
    currentSplit->setStretchFactor(1, 1);  // the grid keeps its height, the log takes the rest
    auto* currentButtons = new QHBoxLayout;
    for (QPushButton* button : {DownloadBtn, DefaultBtn, RowBtn, DelRowBtn, DelTSBtn, FileBtn})
        currentButtons->addWidget(button);
    auto* currentLayout = new QVBoxLayout(current);
    currentLayout->addWidget(currentSplit, 1);
    currentLayout->addLayout(currentButtons);
    PageControl->addTab(current, "Current Data (Three Lines)");

    // Downloaded satellites
    SatList = new QListWidget;
    SatList->setObjectName("SatList");
    SatList->setSortingEnabled(true);
    SatList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    OrbGrid = new QTableWidget(OrbitGridRows - 1, 2);
    OrbGrid->setObjectName("OrbGrid");
    OrbGrid->setHorizontalHeaderLabels({OrbitGridCaption(0), "Data"});
    OrbGrid->verticalHeader()->hide();
    OrbGrid->verticalHeader()->setDefaultSectionSize(16);
    OrbGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    OrbGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    OrbGrid->setColumnWidth(0, 150);
    OrbGrid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 1; row < OrbitGridRows; ++row)
        OrbGrid->setItem(row - 1, 0, new QTableWidgetItem(OrbitGridCaption(row)));
    auto* satellites = new QWidget;
    auto* satButtons = new QGridLayout;
    for (int tag = 0; tag < 8; ++tag) {
        auto* button = new QPushButton(kSatButtonCaptions[tag]);
        SatButtons << button;
        satButtons->addWidget(button, tag / 4, tag % 4);
        connect(button, &QPushButton::clicked, this, [this, tag] { SatBtnClick(tag); });
    }
    auto* satSplit = new QSplitter;
    satSplit->setObjectName("ListSplitter");
    satSplit->addWidget(SatList);
    satSplit->addWidget(OrbGrid);
    satSplit->setStretchFactor(1, 1);
    auto* satLayout = new QVBoxLayout(satellites);
    satLayout->addWidget(satSplit, 1);
    satLayout->addLayout(satButtons);
    PageControl->addTab(satellites, "Downloaded Satellites");

    // Archives
    ArcGrid = MakeGrid("ArcGrid", {"URL", "Modified", "Download"});
    ArcGrid->setColumnWidth(kUrlColumn, 300);
    ArcMemo = new QPlainTextEdit;
    ArcMemo->setObjectName("ArcMemo");
    ArcMemo->setReadOnly(true);
    EnableArcCb = MakeEditor("EnableArcCb", ArcGrid->viewport(), false);
    EnableArcCb->addItems({"Yes", "No"});
    DownloadArcBtn = new QPushButton("Download");
    DefaultArcURLBtn = new QPushButton("Default URL's");
    AddArcRowBtn = new QPushButton("Add row");
    DelArcRowBtn = new QPushButton("Delete row");
    DelArcTSBtn = new QPushButton("Remove timestamp");
    auto* archives = new QWidget;
    auto* arcSplit = new QSplitter(Qt::Vertical);
    arcSplit->setObjectName("ArcSplitter");
    arcSplit->addWidget(ArcGrid);
    arcSplit->addWidget(ArcMemo);
    arcSplit->setStretchFactor(1, 1);
    auto* arcButtons = new QHBoxLayout;
    for (QPushButton* button : {DownloadArcBtn, DefaultArcURLBtn, AddArcRowBtn, DelArcRowBtn, DelArcTSBtn})
        arcButtons->addWidget(button);
    arcButtons->addStretch();
    auto* arcLayout = new QVBoxLayout(archives);
    arcLayout->addWidget(arcSplit, 1);
    arcLayout->addLayout(arcButtons);
    PageControl->addTab(archives, "Historical Archives (Two Lines)");

    // Links
    auto* links = new QWidget;
    auto* linkLayout = new QVBoxLayout(links);
    for (const char* address : kWebLinks) {
        auto* label = new TURLLabel;
        label->setText(address);
        linkLayout->addWidget(label);
    }
    linkLayout->addStretch();
    PageControl->addTab(links, "WEB Links");

    splitters_ = {{currentSplit, "UrlGridHeight"}, {arcSplit, "ArcGridHeight"}, {satSplit, "ListPanelWidth"}};

    OKBtn = new QPushButton("OK");
    CancelBtn = new QPushButton("Cancel");
    ProgressBar = new QProgressBar;
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ProgressBar, 1);
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(bottom);

    connect(OKBtn, &QPushButton::clicked, this, &TKeplerDlg::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &TKeplerDlg::reject);
    connect(DownloadBtn, &QPushButton::clicked, this, &TKeplerDlg::DownloadBtnClick);
    connect(DefaultBtn, &QPushButton::clicked, this, &TKeplerDlg::DefaultBtnClick);
    connect(RowBtn, &QPushButton::clicked, this, &TKeplerDlg::RowBtnClick);
    connect(DelRowBtn, &QPushButton::clicked, this, &TKeplerDlg::DelRowBtnClick);
    connect(DelTSBtn, &QPushButton::clicked, this, &TKeplerDlg::DelTSBtnClick);
    connect(FileBtn, &QPushButton::clicked, this, &TKeplerDlg::FileBtnClick);
    connect(DownloadArcBtn, &QPushButton::clicked, this, &TKeplerDlg::DownloadArcBtnClick);
    connect(DefaultArcURLBtn, &QPushButton::clicked, this, &TKeplerDlg::DefaultArcURLBtnClick);
    connect(AddArcRowBtn, &QPushButton::clicked, this, &TKeplerDlg::AddArcRowBtnClick);
    connect(DelArcRowBtn, &QPushButton::clicked, this, &TKeplerDlg::DelArcRowBtnClick);
    connect(DelArcTSBtn, &QPushButton::clicked, this, &TKeplerDlg::DelArcTSBtnClick);
    connect(SatList, &QListWidget::itemSelectionChanged, this, &TKeplerDlg::SatListClick);
    connect(SatList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (syncing_)
            return;
        for (TSatListItem& entry : Downloaded)
            if (entry.Name == item->text())
                entry.Checked = item->checkState() == Qt::Checked;
    });
    for (QTableWidget* grid : {UrlGrid, ArcGrid}) {
        connect(grid, &QTableWidget::cellClicked, this,
                [this, grid](int row, int column) { GridCellClicked(grid, row, column); });
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TKeplerDlg::CommitCellEditors);
        connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TKeplerDlg::CommitCellEditors);
        connect(grid->horizontalHeader(), &QHeaderView::sectionPressed, this, &TKeplerDlg::CommitCellEditors);
        connect(grid, &QTableWidget::itemChanged, this,
                [this, grid](QTableWidgetItem* item) { CheckTypedURL(grid, item); });
    }
}

void TKeplerDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ProgressBar->setValue(0);
    EnableCommands(true);
}

void TKeplerDlg::accept()
{
    CommitCellEditors();
    SaveSettings();
    WriteSourceFiles();
    QDialog::accept();
}

// ---- source lists ----

void TKeplerDlg::FitColumns()
{
    // Wide enough for what the cells hold at the program's font: a server's
    // date in full, and the URLs and groups of the list up to a bound.
    const auto widest = [](QTableWidget* grid, int column, int limit) {
        int width = grid->horizontalHeader()->sectionSizeHint(column);
        for (int row = 0; row < grid->rowCount(); ++row)
            width = std::max(width, grid->fontMetrics().horizontalAdvance(CellText(grid, row, column)) + 12);
        return std::min(width, limit);
    };
    for (QTableWidget* grid : {UrlGrid, ArcGrid}) {
        grid->setColumnWidth(kUrlColumn, widest(grid, kUrlColumn, kMaxUrlColumnWidth));
        grid->setColumnWidth(kModifiedColumn,
                             grid->fontMetrics().horizontalAdvance("Wed, 21 Sep 2005 14:05:09 GMT") + 12);
    }
    UrlGrid->setColumnWidth(kGroupColumn, widest(UrlGrid, kGroupColumn, kMaxGroupColumnWidth));
}

void TKeplerDlg::CheckTypedURL(QTableWidget* grid, QTableWidgetItem* item)
{
    if (Loading || item->column() != kUrlColumn)
        return;
    const QString problem = SourceURLProblem(item->text());
    if (!problem.isEmpty()) {
        Loading = true;
        item->setText(item->data(Qt::UserRole).toString());
        Loading = false;
        QMessageBox box(QMessageBox::Warning, "URL too long!", problem + "\nThe URL was not taken.", QMessageBox::Ok,
                        this);
        box.exec();
        return;
    }
    Loading = true;
    item->setData(Qt::UserRole, item->text());
    Loading = false;
    (grid == UrlGrid ? SourcesChanged : ArchiveSourcesChanged) = true;
}

TSourceRows TKeplerDlg::Rows(TSourceKind kind) const
{
    const bool current = kind == TSourceKind::CurrentData;
    const QTableWidget* grid = current ? UrlGrid : ArcGrid;
    TSourceRows rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        TSourceRow source;
        source.URL = CellText(grid, row, kUrlColumn);
        source.Modified = CellText(grid, row, kModifiedColumn);
        if (current)
            source.Group = CellText(grid, row, kGroupColumn);
        source.Download = CellText(grid, row, current ? kDownloadColumn : kArcDownloadColumn);
        rows << source;
    }
    return rows;
}

void TKeplerDlg::SetRows(TSourceKind kind, const TSourceRows& rows)
{
    const bool current = kind == TSourceKind::CurrentData;
    QTableWidget* grid = current ? UrlGrid : ArcGrid;
    const bool loading = Loading;
    Loading = true;
    grid->clearContents();
    grid->setRowCount(std::max<int>(1, rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        SetCell(grid, row, kUrlColumn, rows[row].URL);
        SetCell(grid, row, kModifiedColumn, rows[row].Modified);
        if (current)
            SetCell(grid, row, kGroupColumn, rows[row].Group);
        SetCell(grid, row, current ? kDownloadColumn : kArcDownloadColumn, rows[row].Download);
    }
    Loading = loading;
}

void TKeplerDlg::ReadSourceFiles()
{
    const TSourceRows sources = ReadSourceList(folders_.GetKepURLFileName(), TSourceKind::CurrentData);
    if (sources.isEmpty()) {
        SetDefaultSources();
    } else {
        SetRows(TSourceKind::CurrentData, sources);
        SourcesChanged = false;
    }
    const TSourceRows archives = ReadSourceList(folders_.GetKepArchiveURLFileName(), TSourceKind::Archive);
    if (archives.isEmpty()) {
        SetDefaultArchiveSources();
    } else {
        SetRows(TSourceKind::Archive, archives);
        ArchiveSourcesChanged = false;
    }
}

void TKeplerDlg::WriteSourceFiles()
{
    const QString version = ReadRegistryString("APT", "VersionStr");
    const struct {
        bool& changed;
        TSourceKind kind;
        QString path;
    } lists[] = {{SourcesChanged, TSourceKind::CurrentData, folders_.GetKepURLFileName()},
                 {ArchiveSourcesChanged, TSourceKind::Archive, folders_.GetKepArchiveURLFileName()}};
    for (const auto& list : lists) {
        if (!list.changed)
            continue;
        QString error;
        if (WriteSourceList(list.path, Rows(list.kind), list.kind, version, error))
            list.changed = false;
        else if (LogForm)
            LogForm->AddEntry("Element-set sources not saved", {error, "The old list is kept."});
    }
}

void TKeplerDlg::SetDefaultSources()
{
    EnableCb->hide();
    SatCatCb->hide();
    const TSourceRows rows = DefaultSources(TSourceKind::CurrentData);
    SetRows(TSourceKind::CurrentData, rows);
    SourcesChanged = true;
    for (const TSourceRow& row : rows)
        AddGroupName(row.Group);
}

void TKeplerDlg::SetDefaultArchiveSources()
{
    EnableArcCb->hide();
    SetRows(TSourceKind::Archive, DefaultSources(TSourceKind::Archive));
    ArchiveSourcesChanged = true;
}

void TKeplerDlg::AddGroupName(const QString& group)
{
    if (!group.isEmpty() && SatCatCb->findText(group, Qt::MatchExactly) < 0)
        SatCatCb->addItem(group);
}

void TKeplerDlg::DefaultBtnClick()
{
    QApplication::processEvents();
    SetDefaultSources();
}

void TKeplerDlg::DefaultArcURLBtnClick()
{
    QApplication::processEvents();
    SetDefaultArchiveSources();
}

void TKeplerDlg::RowBtnClick()
{
    CommitCellEditors();
    const int row = UrlGrid->rowCount();
    UrlGrid->setRowCount(row + 1);
    SetCell(UrlGrid, row, kUrlColumn, "");
    SetCell(UrlGrid, row, kModifiedColumn, "N/A");
    SetCell(UrlGrid, row, kGroupColumn, "");
    SetCell(UrlGrid, row, kDownloadColumn, "Yes");
    UrlGrid->setCurrentCell(row, kUrlColumn);
    SourcesChanged = true;
}

void TKeplerDlg::AddArcRowBtnClick()
{
    CommitCellEditors();
    const int row = ArcGrid->rowCount();
    ArcGrid->setRowCount(row + 1);
    SetCell(ArcGrid, row, kUrlColumn, "");
    SetCell(ArcGrid, row, kModifiedColumn, "N/A");
    SetCell(ArcGrid, row, kArcDownloadColumn, "Yes");
    ArcGrid->setCurrentCell(row, kUrlColumn);
    ArchiveSourcesChanged = true;
}

void TKeplerDlg::DelRowBtnClick()
{
    CommitCellEditors();
    DeleteGridRow(UrlGrid);
    SourcesChanged = true;
}

void TKeplerDlg::DelArcRowBtnClick()
{
    CommitCellEditors();
    DeleteGridRow(ArcGrid);
    ArchiveSourcesChanged = true;
}

void TKeplerDlg::DelTSBtnClick()
{
    CommitCellEditors();
    SetCell(UrlGrid, std::max(0, UrlGrid->currentRow()), kModifiedColumn, "N/A");
    SourcesChanged = true;
}

void TKeplerDlg::DelArcTSBtnClick()
{
    CommitCellEditors();
    SetCell(ArcGrid, std::max(0, ArcGrid->currentRow()), kModifiedColumn, "N/A");
    ArchiveSourcesChanged = true;
}

// ---- in-place editors ----

void TKeplerDlg::GridCellClicked(QTableWidget* grid, int row, int column)
{
    CommitCellEditors();
    if (grid == UrlGrid) {
        PlaceEditor(EnableCb, UrlGrid, row, kDownloadColumn);
        PlaceEditor(SatCatCb, UrlGrid, row, kGroupColumn);
        EnableCb->setVisible(column == kDownloadColumn);
        SatCatCb->setVisible(column == kGroupColumn);
    } else {
        PlaceEditor(EnableArcCb, ArcGrid, row, kArcDownloadColumn);
        EnableArcCb->setVisible(column == kArcDownloadColumn);
    }
}

void TKeplerDlg::PlaceEditor(QComboBox* editor, QTableWidget* grid, int row, int column)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, column)).adjusted(1, 1, -1, -1);
    editor->setGeometry(cell.x(), cell.y(), cell.width(), std::max(cell.height(), editor->sizeHint().height()));
    editor->setProperty("row", row);
    editor->setProperty("column", column);
    const QString text = CellText(grid, row, column);
    if (editor == SatCatCb) {
        AddGroupName(text);
        editor->setCurrentText(text);
    } else {
        editor->setCurrentText(text.isEmpty() || text == "Yes" ? "Yes" : "No");
    }
}

void TKeplerDlg::CommitEditor(QComboBox* editor, QTableWidget* grid)
{
    if (!editor->isVisible())
        return;
    const int row = editor->property("row").toInt(), column = editor->property("column").toInt();
    editor->hide();
    if (row < 0 || row >= grid->rowCount())
        return;
    const QString text = editor->currentText();
    if (editor == SatCatCb && !AcceptGroupName(this, text))
        return;
    if (text != CellText(grid, row, column)) {
        SetCell(grid, row, column, text);
        (grid == UrlGrid ? SourcesChanged : ArchiveSourcesChanged) = true;
    }
}

void TKeplerDlg::CommitCellEditors()
{
    CommitEditor(EnableCb, UrlGrid);
    CommitEditor(SatCatCb, UrlGrid);
    CommitEditor(EnableArcCb, ArcGrid);
}

void TKeplerDlg::EnableCommands(bool enable)
{
    for (QPushButton* button : {DownloadBtn, DownloadArcBtn, FileBtn, OKBtn})
        button->setEnabled(enable);
}

// ---- downloaded satellites ----

void TKeplerDlg::SyncSatList()
{
    syncing_ = true;
    for (const TSatListItem& entry : Downloaded) {
        if (!SatList->findItems(entry.Name, Qt::MatchExactly).isEmpty())
            continue;
        auto* item = new QListWidgetItem(entry.Name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.Checked ? Qt::Checked : Qt::Unchecked);
        SatList->addItem(item);
    }
    syncing_ = false;
}

void TKeplerDlg::SatListClick()
{
    const QList<QListWidgetItem*> selected = SatList->selectedItems();
    if (selected.isEmpty())
        return;
    for (TSatListItem& entry : Downloaded) {
        if (entry.Name != selected.first()->text() || !entry.Sat)
            continue;
        const QStringList cells = entry.Sat->OrbitGridCells();
        for (int row = 0; row < cells.size() && row < OrbGrid->rowCount(); ++row)
            OrbGrid->setItem(row, 1, new QTableWidgetItem(cells[row]));
    }
}

void TKeplerDlg::SatBtnClick(int tag)
{
    const double stationLatitudeRad = MainForm->Station.Latitude * M_PI / 180.0;
    const double now = TSat::CurrentDayNumber();
    syncing_ = true;
    for (TSatListItem& entry : Downloaded) {
        if (!entry.Sat)
            continue;
        const QList<QListWidgetItem*> items = SatList->findItems(entry.Name, Qt::MatchExactly);
        const bool selected = !items.isEmpty() && items.first()->isSelected();
        TSat& sat = *entry.Sat;
        switch (tag) {
        case 0: entry.Checked = entry.Checked && sat.CanEverRise(stationLatitudeRad); break;
        case 1: entry.Checked = entry.Checked && !sat.IsGeostationary(); break;
        case 2: entry.Checked = entry.Checked || sat.IsGeostationary(); break;
        case 3: entry.Checked = false; break;
        case 4: entry.Checked = true; break;
        case 5: entry.Checked = entry.Checked || selected; break;
        case 6: entry.Checked = entry.Checked && !selected; break;
        case 7: entry.Checked = entry.Checked && !sat.IsDecayed(now); break;
        default: break;
        }
        for (QListWidgetItem* item : items)
            item->setCheckState(entry.Checked ? Qt::Checked : Qt::Unchecked);
    }
    syncing_ = false;
}

void TKeplerDlg::FreeDownloadedSatellites()
{
    SatList->clear();
    while (!Downloaded.empty())
        Downloaded.pop_back();
}
