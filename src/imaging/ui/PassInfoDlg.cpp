#include "imaging/ui/PassInfoDlg.h"

#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "platform/CNumbers.h"
#include "shell/ui/WindowState.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

TPassInfoDlg* PassInfoDlg = nullptr;

namespace {

const QString kKey = "APT\\ProcInfo";
const QString kNotAvailable = "N/A";
const int kColumnWidths[] = {146, 80, 103, 107, 116};
const char* const kRowCaptions[] = {"Acquisition of signal", "Time of closest approach", "Loss of signal",
                                    "Duration:"};

QLabel* AddLabelRow(QFormLayout* form, const QString& caption, const char* name)
{
    auto* value = new QLabel(kNotAvailable);
    value->setObjectName(name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(caption, value);
    return value;
}

QWidget* MakePanel(const char* name)
{
    auto* panel = new QWidget;
    panel->setObjectName(name);
    return panel;
}

// Where the pass was at one moment: position text, azimuth, elevation.
struct PassPoint {
    QString Position;
    double Azimuth = 0;
    double Elevation = 0;
};

// The recording window's length and the picture's (two lines a second) go
// to the nearest whole second alike, so one pass never shows two lengths
// that differ by the rounding alone.
QString DurationText(double seconds)
{
    return TSat::FormatDuration(static_cast<double>(std::llround(seconds)) / 86400.0);
}

PassPoint PointAt(TSat& pass, double day)
{
    pass.Time = day;
    pass.ComputePosition();
    return {pass.GetPositionText(), pass.Azimuth, pass.Elevation};
}

}  // namespace

TPassInfoDlg::TPassInfoDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("PassInfoDlg");
    setWindowTitle("Pass information");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(631, 356);
    BuildForm();
    FormCreate();
    PassInfoDlg = this;
}

TPassInfoDlg::~TPassInfoDlg()
{
    FormDestroy();
    if (PassInfoDlg == this)
        PassInfoDlg = nullptr;
}

void TPassInfoDlg::BuildForm()
{
    Panel1 = MakePanel("Panel1");
    auto* passForm = new QFormLayout(Panel1);
    passForm->setContentsMargins(4, 4, 4, 4);
    InfoLabel = AddLabelRow(passForm, "Satellite:", "InfoLabel");
    StationLabel = AddLabelRow(passForm, "Recorded at:", "StationLabel");

    sig = new QTableWidget(0, 5);
    sig->setObjectName("sig");
    sig->verticalHeader()->hide();
    sig->verticalHeader()->setMinimumSectionSize(16);
    sig->verticalHeader()->setDefaultSectionSize(16);
    sig->setRowCount(4);
    sig->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sig->horizontalHeader()->setFixedHeight(18);
    sig->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sig->setStyleSheet("QTableWidget { background: silver; }");
    // The small type of a dialog grid: the captions and positions fit their
    // columns in rows of 16 pixels.
    QFont small = sig->font();
    small.setPixelSize(11);
    sig->setFont(small);
    sig->horizontalHeader()->setFont(small);
    sig->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sig->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sig->setFixedHeight(18 + 4 * 16 + 2 * sig->frameWidth());
    sig->setHorizontalHeaderLabels({"Orbit: N/A", "UTC", "Position", "Azimuth", "Elevation"});
    for (int row = 0; row < 4; ++row)
        SetCell(0, row + 1, kRowCaptions[row]);

    Panel2 = MakePanel("Panel2");
    auto* elementForm = new QFormLayout(Panel2);
    elementForm->setContentsMargins(4, 4, 4, 4);
    TLEDateLabel = AddLabelRow(elementForm, "Two line element set issued date:", "TLEDateLabel");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (QLineEdit** line : {&TLELine1, &TLELine2}) {
        *line = new QLineEdit;
        (*line)->setReadOnly(true);
        (*line)->setFont(fixed);
        (*line)->setStyleSheet("QLineEdit { background: silver; }");
        elementForm->addRow(*line);
    }
    TLELine1->setObjectName("TLELine1");
    TLELine2->setObjectName("TLELine2");

    Panel3 = MakePanel("Panel3");
    auto* imageForm = new QFormLayout(Panel3);
    imageForm->setContentsMargins(4, 4, 4, 4);
    CHVideoALabel = AddLabelRow(imageForm, "Video A:", "CHVideoALabel");
    CHVideoBLabel = AddLabelRow(imageForm, "Video B:", "CHVideoBLabel");
    CurrentImageLabel = AddLabelRow(imageForm, "Image:", "CurrentImageLabel");
    WavLabel = AddLabelRow(imageForm, "Wave:", "WavLabel");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(Panel1);
    layout->addWidget(sig);
    layout->addWidget(Panel2);
    layout->addWidget(Panel3);
    layout->addStretch();
}

void TPassInfoDlg::FormCreate()
{
    for (int column = 0; column < 5; ++column)
        sig->setColumnWidth(column, kColumnWidths[column]);
    RestoreFormPlacement(this, kKey);
    RestoreGridColumns(sig, kKey);
    // Five columns whatever a stored value held.
    sig->setColumnCount(5);
    Child = nullptr;
}

void TPassInfoDlg::FormDestroy()
{
    SaveFormPlacement(this, kKey);
    SaveGridColumns(sig, kKey);
}

QString TPassInfoDlg::Cell(int column, int row) const
{
    const QTableWidgetItem* item = row == 0 ? sig->horizontalHeaderItem(column) : sig->item(row - 1, column);
    return item ? item->text() : QString();
}

void TPassInfoDlg::SetCell(int column, int row, const QString& text)
{
    if (row == 0) {
        sig->horizontalHeaderItem(column)->setText(text);
        return;
    }
    QTableWidgetItem* item = sig->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        sig->setItem(row - 1, column, item);
    }
    item->setText(text);
}

void TPassInfoDlg::ClearFields()
{
    for (QLabel* label :
         {InfoLabel, StationLabel, TLEDateLabel, CHVideoALabel, CHVideoBLabel, CurrentImageLabel, WavLabel})
        label->setText(kNotAvailable);
    // The orbit of the window shown before is no orbit of this one.
    SetCell(0, 0, "Orbit: N/A");
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            SetCell(column, row, QString());
    TLELine1->clear();
    TLELine2->clear();
}

void TPassInfoDlg::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPassInfoDlg::FormShow()
{
    ClearFields();
    if (!Child)
        return;
    if (TSat* pass = Child->Pass.get()) {
        InfoLabel->setText(pass->GetPassDescription(0));
        StationLabel->setText(pass->GetStationText(0));
        const PassPoint start = PointAt(*pass, pass->WindowStart);
        const PassPoint stop = PointAt(*pass, pass->WindowStop);
        pass->PredictTCA(pass->WindowStart);
        const PassPoint closest{pass->GetPositionText(), pass->Azimuth, pass->MaxElevation};

        pass->AllocLineBuffers();
        pass->WriteTLE(nullptr, pass->LineBuffers[0].get(), pass->LineBuffers[1].get(),
                       pass->LineBuffers[2].get(), 0);
        const QString line1 = QString::fromLatin1(pass->LineBuffers[1].get());
        const QString line2 = QString::fromLatin1(pass->LineBuffers[2].get());
        pass->FreeLineBuffers();

        SetCell(0, 0, QString("Orbit: %1").arg(pass->GetOrbitNumber()));
        const double times[] = {pass->WindowStart, pass->TCA, pass->WindowStop};
        const PassPoint* points[] = {&start, &closest, &stop};
        for (int row = 1; row <= 3; ++row) {
            SetCell(1, row, TSat::DayNumberToText(times[row - 1], 10));
            SetCell(2, row, points[row - 1]->Position);
            SetCell(3, row, QString::fromStdString(cnum::Format("%.2f", points[row - 1]->Azimuth)));
            SetCell(4, row, QString::fromStdString(cnum::Format("%.1f", points[row - 1]->Elevation)));
        }
        SetCell(1, 4, DurationText((pass->WindowStop - pass->WindowStart) * 86400.0));
        TLEDateLabel->setText(pass->GetEpochAgeText(true));
        TLELine1->setText(line1);
        TLELine2->setText(line2);
    }
    if (Child->Image)
        CurrentImageLabel->setText(QString("%1 x %2 Duration: %3")
                                       .arg(Child->Image->columns)
                                       .arg(Child->Image->rows)
                                       .arg(Child->APT ? DurationText(Child->APT->Lines / 2.0) : kNotAvailable));
    if (Child->APT) {
        CHVideoALabel->setText(Child->APT->GetChannelName(false));
        CHVideoBLabel->setText(Child->APT->GetChannelName(true));
        WavLabel->setText(Child->APT->AudioFileName);
    }
}
