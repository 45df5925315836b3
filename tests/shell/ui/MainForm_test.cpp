#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(MainForm, FirstStartRecordsTheVersionAndMakesTheFolders)
{
    EXPECT_TRUE(TMainForm::IsVersionChanged("Orvanta 0.1.0.0")) << "a missing VersionStr counts as changed";
    TMainForm form;
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
