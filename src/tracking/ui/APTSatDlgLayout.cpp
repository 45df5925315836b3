// The "Active APT Satellites" dialog's form: its controls, their layout, the
// status grid's own drawing, and what the dialog keeps in the registry.
#include "net/UrlParser.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/URLLabel.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/APTSatDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

TAPTSatDlg* APTSatDlg = nullptr;

namespace {

const char kKey[] = "APT\\APTSats";
const char kDefaultStatusURL[] = "http://www.noaasis.noaa.gov/NOAASIS/ml/status.html";
const char kOtherStatusURL[] = "http://www.ospo.noaa.gov/Operations/POES/status.html";
const QColor kTeal(0, 128, 128);
const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kSilver(0xC0, 0xC0, 0xC0);

// The grid's cells and its header are drawn by the dialog.
class StatusCellDelegate : public QStyledItemDelegate {
public:
    StatusCellDelegate(TAPTSatDlg* dialog) : QStyledItemDelegate(dialog), dialog_(dialog) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        dialog_->SatStatGridDrawCell(painter, index.column(), index.row() + 1, option.rect);
    }

private:
    TAPTSatDlg* dialog_;
};

class StatusHeader : public QHeaderView {
public:
    StatusHeader(TAPTSatDlg* dialog) : QHeaderView(Qt::Horizontal), dialog_(dialog) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        dialog_->SatStatGridDrawCell(painter, logicalIndex, 0, rect);
    }

private:
    TAPTSatDlg* dialog_;
};

QString Stored(const char* name, const QString& fallback)
{
    const QString value = ReadRegistryString(kKey, name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

TAPTSatDlg::TAPTSatDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("APTSatDlg");
    setWindowTitle("Active APT Satellites");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    BuildLayout();

    HttpCli1 = std::make_unique<THttpCli>();
    HttpCli1->Agent = "Mozilla/3.0 (compatible)";
    HttpCli1->Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    HttpCli1->SetRequestVer("1.0");
    HttpCli1->FollowRelocation = true;
    HttpCli1->OnDocBegin = [this](THttpCli* h) { HttpCli1DocBegin(h); };
    HttpCli1->OnDocEnd = [this](THttpCli* h) { HttpCli1DocEnd(h); };

    connect(GroupCb, &QComboBox::activated, this, &TAPTSatDlg::GroupCbChange);
    connect(SatList, &QListWidget::itemClicked, this, &TAPTSatDlg::SatListClick);
    connect(SatList, &QListWidget::itemChanged, this, &TAPTSatDlg::SatListClickCheck);
    connect(ManualApplyBtn, &QPushButton::clicked, this, &TAPTSatDlg::ManualApplyBtnClick);
    connect(CheckStatusBtn, &QPushButton::clicked, this, &TAPTSatDlg::CheckStatusBtnClick);
    connect(ApplyStatusBtn, &QPushButton::clicked, this, &TAPTSatDlg::ApplyStatusBtnClick);
    connect(ClearTSBtn, &QPushButton::clicked, this, &TAPTSatDlg::ClearTSBtnClick);

    FormCreate();
    if (!APTSatDlg)
        APTSatDlg = this;
}

TAPTSatDlg::~TAPTSatDlg()
{
    FormDestroy();
    if (APTSatDlg == this)
        APTSatDlg = nullptr;
}

void TAPTSatDlg::BuildLayout()
{
    GroupCb = new QComboBox(this);
    SatList = new QListWidget(this);
    SatList->setSortingEnabled(true);

    ManualGroup = new QGroupBox(" Set manually ", this);
    auto* hint = new QLabel("Check currently active APT satellite from the list and enter the downlink frequency in MHz.",
                            ManualGroup);
    hint->setWordWrap(true);
    DownlinkCb = new QComboBox(ManualGroup);
    DownlinkCb->setEditable(true);
    DownlinkCb->addItems({"137.500", "137.620", "137.9125", "137.400", "137.100"});
    ManualApplyBtn = new QPushButton("Update", ManualGroup);
    auto* manual = new QGridLayout(ManualGroup);
    manual->addWidget(hint, 0, 0, 1, 3);
    manual->addWidget(new QLabel("Downlink:", ManualGroup), 1, 0);
    manual->addWidget(DownlinkCb, 1, 1);
    manual->addWidget(ManualApplyBtn, 1, 2);

    DownloadGroup = new QGroupBox(this);
    LastDownloadLabel = new QLabel(DownloadGroup);
    LastModifiedLabel = new QLabel(DownloadGroup);
    URLLabel1 = new TURLLabel(DownloadGroup);
    URLLabel2 = new TURLLabel(DownloadGroup);
    URLLabel2->setText(kOtherStatusURL);
    CheckStatusBtn = new QPushButton("Download", DownloadGroup);
    ApplyStatusBtn = new QPushButton("Update", DownloadGroup);
    ClearTSBtn = new QPushButton("Clear timestamp", DownloadGroup);
    SatStatGrid = new QTableWidget(1, 3, DownloadGroup);
    SatStatGrid->setHorizontalHeader(new StatusHeader(this));
    SatStatGrid->setHorizontalHeaderLabels({"Spacecraft", "APT", "HRPT"});
    SatStatGrid->verticalHeader()->hide();
    SatStatGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SatStatGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SatStatGrid->setItemDelegate(new StatusCellDelegate(this));
    QPalette gridColours = SatStatGrid->palette();
    gridColours.setColor(QPalette::Base, kTeal);
    SatStatGrid->setPalette(gridColours);
    SatStatGrid->setMinimumHeight(150);

    auto* download = new QGridLayout(DownloadGroup);
    download->addWidget(new QLabel("Last download:", DownloadGroup), 0, 0);
    download->addWidget(LastDownloadLabel, 0, 1);
    download->addWidget(new QLabel("Last modified:", DownloadGroup), 1, 0);
    download->addWidget(LastModifiedLabel, 1, 1);
    download->addWidget(URLLabel1, 2, 0, 1, 2);
    download->addWidget(URLLabel2, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckStatusBtn);
    buttons->addWidget(ApplyStatusBtn);
    buttons->addWidget(ClearTSBtn);
    buttons->addStretch();
    download->addLayout(buttons, 4, 0, 1, 2);
    download->addWidget(new QLabel("NOAA Satellite Status Information and Transmission Frequencies in MHz.", DownloadGroup),
                        5, 0, 1, 2);
    download->addWidget(SatStatGrid, 6, 0, 1, 2);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Satellite group:", this));
    left->addWidget(GroupCb);
    left->addWidget(SatList, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(ManualGroup);
    right->addWidget(DownloadGroup, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);
}

void TAPTSatDlg::FormCreate()
{
    RestoreGridColumns(SatStatGrid, kKey);
    GroupCb->setEditable(false);
    const QString group = ReadRegistryString(kKey, "Group");
    if (!group.isEmpty()) {
        GroupCb->addItem(group);
        GroupCb->setCurrentIndex(0);
    }
    StatusURL = Stored("StatusURL", kDefaultStatusURL);
    URLLabel1->setText(StatusURL);
    QString proto, user, pass, host, port, path;
    ParseURL(StatusURL, proto, user, pass, host, port, path);
    DownloadGroup->setTitle(host);
    LastDownloadLabel->setText(Stored("LastDownload", "N/A"));
    LastModifiedLabel->setText(Stored("LastModified", "N/A"));
    ClearGrid(SatStatGrid);
    ApplyStatusBtn->setEnabled(false);
}

void TAPTSatDlg::FormDestroy()
{
    SaveGridColumns(SatStatGrid, kKey);
    if (!GroupCb->currentText().isEmpty())
        WriteRegistryString(kKey, "Group", GroupCb->currentText());
    WriteRegistryString(kKey, "StatusURL", StatusURL);
    WriteRegistryString(kKey, "LastModified", LastModifiedLabel->text());
    WriteRegistryString(kKey, "LastDownload", LastDownloadLabel->text());
}

void TAPTSatDlg::SatStatGridDrawCell(QPainter* painter, int col, int row, const QRect& rect)
{
    QString text;
    if (row == 0) {
        if (const QTableWidgetItem* item = SatStatGrid->horizontalHeaderItem(col))
            text = item->text();
    } else if (const QTableWidgetItem* item = SatStatGrid->item(row - 1, col)) {
        text = item->text();
    }
    QColor back = kTeal;
    QColor fore = Qt::black;
    if (row == 0) {
        back = palette().color(QPalette::Button);
    } else if (col == 1 && !text.isEmpty()) {
        const bool off = text.contains("OFF");
        back = off ? kRed : kLime;
        fore = off ? Qt::white : Qt::black;
    }
    painter->save();
    painter->fillRect(rect, back);
    if (row == 0) {
        // A raised frame, one pixel wide.
        painter->setPen(Qt::white);
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(kSilver);
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
    }
    painter->setPen(fore);
    const QFontMetrics metrics(painter->font());
    const int width = metrics.horizontalAdvance(text);
    const int x = width < rect.width() ? rect.left() + (rect.width() - width) / 2 + 1 : rect.left() + 1;
    painter->drawText(x, rect.top() + 1 + metrics.ascent(), text);
    painter->restore();
}
