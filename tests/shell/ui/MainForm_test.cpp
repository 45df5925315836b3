#include "shell/RegistryHelpers.h"
#include "orbit/Sat.h"
#include "shell/ui/MainForm.h"
#include "orbit/ui/StationDlg.h"
#include "shell/ui/LogForm.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <QLabel>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QGuiApplication>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(MainForm, FirstStartRecordsTheVersionAndMakesTheFolders)
{
    EXPECT_TRUE(TMainForm::IsVersionChanged("Orvanta 0.1.0.0")) << "a missing VersionStr counts as changed";
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    EXPECT_TRUE(boxes.Captions.isEmpty()) << "the window is made without a box: "
                                          << boxes.Captions.join('|').toStdString();
    EXPECT_FALSE(form.RecButton->isEnabled());
    EXPECT_TRUE(form.StateFlags & msRecordingUnsupported);
    EXPECT_EQ(MainForm, &form);
    EXPECT_TRUE(QRegularExpression("^Orvanta \\d+\\.\\d+\\.\\d+\\.\\d+$").match(form.windowTitle()).hasMatch())
        << form.windowTitle().toStdString();
    EXPECT_EQ(ReadRegistryString("APT", "VersionStr"), form.windowTitle());
    // A display name would be appended to every window title by the X11
    // platform, boxes included, cutting the box's own caption short.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    EXPECT_TRUE(form.StateFlags & msVersionChanged);
    EXPECT_FALSE(TMainForm::IsVersionChanged(form.windowTitle()));
    EXPECT_TRUE(QFileInfo(testenv::ProgramDir() + "config").isDir());
    EXPECT_EQ(form.KeplerAge->text(), "N/A");
    EXPECT_EQ(form.TheSun->text(), "N/A");
    EXPECT_FALSE(form.StopButton->isEnabled());

    form.show();
    EXPECT_TRUE(form.StateFlags & msShown);
    EXPECT_FALSE(form.StateFlags & msVersionChanged) << "shown once per version change";
    form.resize(199, 300);
    EXPECT_EQ(form.width(), 200) << "the window never gets narrower than 200 pixels";
    form.close();
}

TEST(MainForm, ShutdownSavesTheRecordsAndFreesTheCatalogueNewestFirst)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    for (const char* name : {"A", "B", "C"}) {
        auto* sat = new TSat;
        std::snprintf(sat->Name, sizeof sat->Name, "%s", name);
        form.SatelliteList.Add(sat);
    }
    form.Station.Name = "Home";
    std::vector<int> pauses;
    form.ShutdownPause = [&](int ms) { pauses.push_back(ms); };
    form.show();
    form.close();
    const QStringList expected = {"Saving window attributes", "Deleting about", "Terminating the tracker", "Saving station info",
                                  "Saving settings", "Terminating the clock", "Freeing satellite C",
                                  "Freeing satellite B", "Freeing satellite A", "Destroying the magnifier",
                                  "Unhooking MainWindow MessageHandler", "Destroying the map",
                                  "Destroying the RIG", "Destroying the Swath Viewer", "Thank you!"};
    EXPECT_EQ(form.ShutdownStepsShown, expected);
    EXPECT_EQ(form.SatelliteList.Count, 0);
    EXPECT_TRUE(form.StateFlags & msShutdownDone);
    EXPECT_EQ(ReadRegistryString("APT\\Station", "Name"), "Home");
    EXPECT_EQ(ReadRegistryString("APT\\Settings", ""), "1") << "the settings were saved with their marker";
    EXPECT_FALSE(ReadRegistryString("APT", "wAttr").isEmpty());
    EXPECT_EQ(pauses.back(), 1000) << "the thank-you stays a second";
    form.Shutdown();
    EXPECT_EQ(form.ShutdownStepsShown, expected) << "a second shutdown changes nothing";
}

TEST(MainForm, TheTrackPanelShowsItsLongestLinesWholeAtTheDefaultWidth)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    form.resize(940, 600);
    form.show();
    form.TrackLabel->setText("Tracking NOAA 15 on 137.62 MHz 45.11N 161.88W Az:342.69 El:-64.65 El max:44.20 "
                             "AOS:20:16:32");
    form.KeplerAge->setText("1866 days ago on Sun 31 Oct 2021 18:20:19 UTC");
    form.TheSun->setText("Az:245.44 El:-20.21");
    form.TheMoon->setText("Az:243.26 El:-0.76");
    const QList<QLabel*> labels = {form.TrackLabel, form.KeplerAge, form.TheSun, form.TheMoon, form.TheTime};
    // The wrapping line is laid out in two passes: wait until the panel settles.
    const auto whole = [](const QLabel* label) {
        return label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                                 : label->width() >= label->sizeHint().width();
    };
    const auto settled = [&] { return std::all_of(labels.begin(), labels.end(), whole); };
    QElapsedTimer waited;
    waited.start();
    while (!settled() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    for (QLabel* label : labels) {
        EXPECT_TRUE(whole(label)) << "cut: " << label->text().toStdString();
        EXPECT_TRUE(form.TrackPanel->rect().contains(label->geometry())) << label->text().toStdString();
    }
    // During a pass the line is longer than the window is wide: it wraps whole.
    form.TrackLabel->setText("Recording approaching northbound NOAA 18 on 137.9125 MHz 45.11N 161.88W Az:342.69 "
                             "El:44.65 Max El:44.20 RX:137.9152 MHz Pathloss:140.123 dB Delay:10.402 ms");
    waited.restart();
    while (!settled() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(whole(form.TrackLabel)) << "with its last words, \"Delay:10.402 ms\"";
    EXPECT_TRUE(form.TrackPanel->rect().contains(form.TrackLabel->geometry()));
    EXPECT_TRUE(form.TrackPanel->rect().contains(form.TheMoon->geometry()));
}

TEST(MainForm, AFirstStartAsksForTheStationThenSaysOnceWhatToDoNext)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    const QString noSatellites =
        "No satellites loaded. Select from the menu Satellite->Keplerian elements... to download!";
    for (const bool firstStart : {true, false}) {
        SCOPED_TRACE(firstStart ? "first start" : "second start");
        ModalCatcher boxes;
        TMainForm form;
        form.ShutdownPause = [](int) {};
        TLogForm processLog(&form);
        form.show();
        ModalSteps user;
        user.Then<TStationDlg>([](TStationDlg& dialog) {
            dialog.StatName->setText("Harbour");
            dialog.accept();
        });
        form.StartupGuide();
        EXPECT_EQ(user.Played(), firstStart ? 1u : 0u) << "the station is asked for until it is stored";
        if (firstStart) {
            ASSERT_EQ(boxes.Captions.size(), 2) << boxes.Texts.join('|').toStdString();
            EXPECT_EQ(boxes.Captions[0], "Recording will not be supported!");
            EXPECT_TRUE(boxes.Texts[0].startsWith(
                "Unable to retrieve the capabilities of the waveform-audio input device.\nError: "))
                << boxes.Texts[0].toStdString();
        } else {
            ASSERT_EQ(boxes.Captions.size(), 1) << boxes.Texts.join('|').toStdString();
            EXPECT_TRUE(processLog.Lines().join('\n').contains("Recording will not be supported!"))
                << "a problem already shown goes to the process log";
        }
        EXPECT_EQ(boxes.Texts.last(), noSatellites) << "what to do next, once";
        EXPECT_EQ(ReadRegistryString("APT\\Station", "Name"), "Harbour") << "stored when taken";
        form.close();
    }
}
