#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(MainForm, FirstStartRecordsTheVersionAndMakesTheFolders)
{
    EXPECT_TRUE(TMainForm::IsVersionChanged("Orvanta 0.1.0.0")) << "a missing VersionStr counts as changed";
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    ASSERT_EQ(boxes.Captions.size(), 1) << "a PC without a usable sound input is told once";
    EXPECT_EQ(boxes.Captions[0], "Recording will not be supported!");
    EXPECT_TRUE(boxes.Texts[0].startsWith("Unable to retrieve the capabilities of the waveform-audio input device.\nError: "))
        << boxes.Texts[0].toStdString();
    EXPECT_FALSE(form.RecButton->isEnabled());
    EXPECT_TRUE(form.StateFlags & msRecordingUnsupported);
    EXPECT_EQ(MainForm, &form);
    EXPECT_TRUE(QRegularExpression("^Orvanta \\d+\\.\\d+\\.\\d+\\.\\d+$").match(form.windowTitle()).hasMatch())
        << form.windowTitle().toStdString();
    EXPECT_EQ(ReadRegistryString("APT", "VersionStr"), form.windowTitle());
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
