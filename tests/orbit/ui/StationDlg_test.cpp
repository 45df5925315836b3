#include "orbit/ui/StationDlg.h"
#include "support/ModalCatcher.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(StationDlg, ShowsSignsInTheDirectionBoxes)
{
    TStationDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Ground station");
    dlg.SetLatitude(-33.9);
    EXPECT_EQ(dlg.Lat->text(), "33.9");
    EXPECT_EQ(dlg.LatCb->currentText(), "South");
    dlg.SetLongitude(-18.07);  // east
    EXPECT_EQ(dlg.Lon->text(), "18.07");
    EXPECT_EQ(dlg.LonCb->currentText(), "East");
    dlg.SetLongitude(2.5);
    EXPECT_EQ(dlg.LonCb->currentText(), "West");
    EXPECT_DOUBLE_EQ(dlg.GetLatitude(), -33.9);
    EXPECT_DOUBLE_EQ(dlg.GetLongitude(), 2.5);
}

TEST(StationDlg, ReadsWhatTheUserTypes)
{
    TStationDlg dlg;
    dlg.show();
    struct Case { const char* text; int direction; double value; };
    const Case cases[] = {{"33.9", 1, -33.9}, {"-10", 0, 10}, {"-10", 1, -10},
                          {"abc", 0, 0},      {"12.5xyz", 0, 12.5}, {"", 1, 0}};
    for (const Case& c : cases) {
        dlg.Lat->clear();
        QTest::keyClicks(dlg.Lat, c.text);
        dlg.LatCb->setCurrentIndex(c.direction);
        EXPECT_DOUBLE_EQ(dlg.GetLatitude(), c.value) << c.text;
        dlg.Lon->setText(c.text);
        dlg.LonCb->setCurrentIndex(c.direction);
        EXPECT_DOUBLE_EQ(dlg.GetLongitude(), c.value) << c.text;
    }
}

TEST(StationDlg, ModifiedOnlyByChangesWhileShown)
{
    TStation station;
    station.Name = "Home";
    station.Latitude = 52.52;
    station.Longitude = -13.4;
    station.Altitude = -2.5;  // below sea level stays so
    TStationDlg dlg;
    dlg.LoadStation(station);
    dlg.show();
    EXPECT_EQ(dlg.Modified, 0) << "filling before showing is no change";
    TStation back;
    dlg.StoreStation(back);
    EXPECT_EQ(back.Name, "Home");
    EXPECT_DOUBLE_EQ(back.Latitude, 52.52);
    EXPECT_DOUBLE_EQ(back.Longitude, -13.4);
    EXPECT_DOUBLE_EQ(back.Altitude, -2.5);

    QWidget* inputs[] = {dlg.Lat, dlg.Lon, dlg.Alt, dlg.StatName};
    for (QWidget* input : inputs) {
        dlg.hide();
        dlg.show();
        ASSERT_EQ(dlg.Modified, 0);
        QTest::keyClicks(input, "7");
        EXPECT_EQ(dlg.Modified, 1) << input->metaObject()->className();
    }
    for (QComboBox* box : {dlg.LatCb, dlg.LonCb}) {
        dlg.hide();
        dlg.show();
        box->setCurrentIndex(1 - box->currentIndex());
        EXPECT_EQ(dlg.Modified, 1);
    }
}

TEST(StationDlg, OkAndCancel)
{
    TStationDlg dlg;
    dlg.LoadStation(TStation());
    dlg.show();
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.show();
    QTest::mouseClick(dlg.CancelBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(StationDlg, TabWalksTheFormAsItReads)
{
    TStationDlg dlg;
    dlg.show();
    const QList<QWidget*> expected = {dlg.StatName, dlg.Lat, dlg.LatCb, dlg.Lon, dlg.LonCb, dlg.Alt, dlg.OKBtn,
                                      dlg.CancelBtn};
    QStringList walked;
    QWidget* widget = dlg.StatName;
    for (int i = 0; i < expected.size(); ++i) {
        walked << widget->metaObject()->className() + QString(":") + QString::number(expected.indexOf(widget));
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible());
    }
    QStringList natural;
    for (int i = 0; i < expected.size(); ++i)
        natural << expected[i]->metaObject()->className() + QString(":") + QString::number(i);
    EXPECT_EQ(walked.join(" ").toStdString(), natural.join(" ").toStdString());
    EXPECT_EQ(widget, dlg.StatName) << "and from Cancel back to the name";
}

TEST(StationDlg, OkRefusesAPlaceNoStationCanHaveAndNamesTheField)
{
    struct Case { const char* lat; const char* lon; const char* alt; const char* refused; };
    const Case cases[] = {
        {"90", "180", "-500", nullptr},   {"-90", "-180", "9000", nullptr}, {" 45.5 ", "7", "0.5", nullptr},
        {"95", "0", "0", "Latitude"},     {"-90.01", "0", "0", "Latitude"}, {"", "0", "0", "Latitude"},
        {"12.5xyz", "0", "0", "Latitude"}, {"nan", "0", "0", "Latitude"},  {"0", "abc", "0", "Longitude"},
        {"0", "180.5", "0", "Longitude"}, {"0", "inf", "0", "Longitude"},  {"0", "0", "9001", "Altitude"},
        {"0", "0", "-501", "Altitude"},   {"0", "0", "1e9", "Altitude"},   {"0", "0", "high", "Altitude"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lat) + " / " + c.lon + " / " + c.alt);
        TStationDlg dlg;
        dlg.show();
        dlg.Lat->setText(c.lat);
        dlg.Lon->setText(c.lon);
        dlg.Alt->setText(c.alt);
        ModalCatcher boxes;
        dlg.OKBtn->click();
        if (!c.refused) {
            EXPECT_TRUE(boxes.Captions.isEmpty());
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
            continue;
        }
        ASSERT_EQ(boxes.Captions, QStringList{"Ground station"});
        EXPECT_TRUE(boxes.Texts[0].startsWith(QString(c.refused) + ":")) << boxes.Texts[0].toStdString();
        EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open for the correction";
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        const QString field = c.refused;
        QLineEdit* const edit = field == "Latitude" ? dlg.Lat : field == "Longitude" ? dlg.Lon : dlg.Alt;
        EXPECT_EQ(dlg.focusWidget(), edit)
            << "the refused field has the focus";
    }
}
