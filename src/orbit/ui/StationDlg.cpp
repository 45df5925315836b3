#include "orbit/ui/StationDlg.h"

#include "platform/CNumbers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

namespace {

// The leading number of a text, 0 when there is none; a typed minus sign is
// dropped, so only the direction boxes give the sign.
double Magnitude(const QLineEdit* edit)
{
    return std::fabs(cnum::ParseFloat(edit->text()));
}

// True when the whole text is one number within [lowest, highest]; NaN and
// infinity are no values.
bool InRange(const QLineEdit* edit, double lowest, double highest, bool magnitude)
{
    double value = 0;
    if (!cnum::TryParseFloat(edit->text().toStdString(), value))
        return false;
    if (magnitude)
        value = std::fabs(value);
    return value >= lowest && value <= highest;
}

}  // namespace

TStationDlg::TStationDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("StationDlg");
    setWindowTitle("Ground station");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    OKBtn = new QPushButton("OK", this);
    CancelBtn = new QPushButton("Cancel", this);
    Lat = new QLineEdit(this);
    Lon = new QLineEdit(this);
    Alt = new QLineEdit(this);
    LatCb = new QComboBox(this);
    LonCb = new QComboBox(this);
    StatName = new QLineEdit(this);
    LatCb->addItems({"North", "South"});
    LonCb->addItems({"West", "East"});
    OKBtn->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Station Name", this), 0, 0);
    grid->addWidget(StatName, 0, 1, 1, 3);
    grid->addWidget(new QLabel("Latitude", this), 1, 0);
    grid->addWidget(Lat, 1, 1);
    grid->addWidget(new QLabel("Degrees", this), 1, 2);
    grid->addWidget(LatCb, 1, 3);
    grid->addWidget(new QLabel("Longitude", this), 2, 0);
    grid->addWidget(Lon, 2, 1);
    grid->addWidget(new QLabel("Degrees", this), 2, 2);
    grid->addWidget(LonCb, 2, 3);
    grid->addWidget(new QLabel("Altitude", this), 3, 0);
    grid->addWidget(Alt, 3, 1);
    grid->addWidget(new QLabel("Meters", this), 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border

    // Tab walks the form as it reads: each value, then its direction.
    const QList<QWidget*> order = {StatName, Lat, LatCb, Lon, LonCb, Alt, OKBtn, CancelBtn};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(OKBtn, &QPushButton::clicked, this, &TStationDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit* edit : {Lat, Lon, Alt, StatName})
        connect(edit, &QLineEdit::textChanged, this, &TStationDlg::InputChanged);
    for (QComboBox* box : {LatCb, LonCb})
        connect(box, &QComboBox::currentIndexChanged, this, &TStationDlg::InputChanged);
}

void TStationDlg::InputChanged()
{
    Modified = 1;
}

QLineEdit* TStationDlg::InvalidInput(QString& message) const
{
    // A typed minus sign is dropped (the direction boxes give the sign), so
    // only the magnitude of a latitude or longitude is checked.
    const auto quoted = [](const QLineEdit* edit) { return "\"" + edit->text() + "\""; };
    if (!InRange(Lat, 0, 90, true)) {
        message = "Latitude: " + quoted(Lat) +
                  " is not a number of degrees from 0 to 90.\nNorth or South is chosen beside it.";
        return Lat;
    }
    if (!InRange(Lon, 0, 180, true)) {
        message = "Longitude: " + quoted(Lon) +
                  " is not a number of degrees from 0 to 180.\nWest or East is chosen beside it.";
        return Lon;
    }
    if (!InRange(Alt, kLowestStationAltitudeM, kHighestStationAltitudeM, false)) {
        message = "Altitude: " + quoted(Alt) +
                  QString(" is not a height in meters from %1 to %2 above sea level.")
                      .arg(kLowestStationAltitudeM)
                      .arg(kHighestStationAltitudeM);
        return Alt;
    }
    return nullptr;
}

void TStationDlg::OKBtnClick()
{
    QString message;
    if (QLineEdit* field = InvalidInput(message)) {
        QMessageBox::warning(this, "Ground station", message);
        field->setFocus();
        field->selectAll();
        return;
    }
    accept();
}

void TStationDlg::showEvent(QShowEvent* event)
{
    Modified = 0;
    QDialog::showEvent(event);
}

void TStationDlg::SetLatitude(double degrees)
{
    LatCb->setCurrentIndex(degrees >= 0 ? 0 : 1);
    Lat->setText(QString::fromStdString(cnum::Format("%g", std::fabs(degrees))));
}

double TStationDlg::GetLatitude() const
{
    return LatCb->currentIndex() == 1 ? -Magnitude(Lat) : Magnitude(Lat);
}

void TStationDlg::SetLongitude(double degrees)
{
    LonCb->setCurrentIndex(degrees >= 0 ? 0 : 1);
    Lon->setText(QString::fromStdString(cnum::Format("%g", std::fabs(degrees))));
}

double TStationDlg::GetLongitude() const
{
    return LonCb->currentIndex() == 1 ? -Magnitude(Lon) : Magnitude(Lon);
}

void TStationDlg::LoadStation(const TStation& station)
{
    SetLatitude(station.Latitude);
    SetLongitude(station.Longitude);
    Alt->setText(cnum::FormatFloatQ(station.Altitude));
    StatName->setText(station.Name);
}

void TStationDlg::StoreStation(TStation& station) const
{
    station.Latitude = GetLatitude();
    station.Longitude = GetLongitude();
    station.Altitude = cnum::ParseFloat(Alt->text());
    station.Name = StatName->text();
}
