#pragma once
// The "Ground station" dialog: name, latitude, longitude and altitude of
// the one station. It edits a copy; the main window takes the values back
// after OK when Modified is set (and stops the tracker around the change).
// OK is refused with a box naming the field while a value is no number or
// lies where no station can be, so an impossible station is never taken.
#include "orbit/Station.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

class TStationDlg : public QDialog {
    Q_OBJECT
public:
    explicit TStationDlg(QWidget* parent = nullptr);

    // Degrees, north positive: the sign goes to LatCb, the magnitude to Lat.
    void SetLatitude(double degrees);
    double GetLatitude() const;
    // Degrees, WEST positive: the sign goes to LonCb, the magnitude to Lon.
    void SetLongitude(double degrees);
    double GetLongitude() const;

    // Fill the inputs from a station; take them back (altitude keeps its sign).
    void LoadStation(const TStation& station);
    void StoreStation(TStation& station) const;

    // The first input that no station can have, with the text that says so;
    // nullptr when all of them are fine.
    QLineEdit* InvalidInput(QString& message) const;

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QLineEdit* Lat;
    QLineEdit* Lon;
    QLineEdit* Alt;
    QComboBox* LatCb;
    QComboBox* LonCb;
    QLineEdit* StatName;
    unsigned char Modified = 0;  // set by any change of an input while shown

public slots:
    void InputChanged();
    void OKBtnClick();  // accepts only a station that can exist

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
};
