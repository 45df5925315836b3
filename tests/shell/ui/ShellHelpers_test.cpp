#include "shell/TextHelpers.h"
#include "shell/ui/ShellHelpers.h"
#include "support/ModalCatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ShellHelpers, ExecuteFileOfAMissingProgramReportsFileNotFound)
{
    ModalCatcher boxes;
    const QString reason = ExecuteFile("/nonexistent/mixer", "-r", 3);
    EXPECT_EQ(reason, GetShellExecuteErrorText(2));
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Shell Execute Error");
    EXPECT_EQ(boxes.Texts[0], "Failed to execute /nonexistent/mixer !\nReason:\n" + GetShellExecuteErrorText(2));

    ModalCatcher quiet;
    EXPECT_EQ(ExecuteFile("no-such-program-anywhere", "", 0), GetShellExecuteErrorText(2));
    EXPECT_TRUE(quiet.Captions.isEmpty()) << "without flag bit 1 nothing is shown";
    EXPECT_EQ(ExecuteFile("true", "", 0), "") << "a program on the path starts";
}

TEST(ShellHelpers, ShortcutIsALauncherForTheProgram)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Orvanta.desktop");
    ASSERT_TRUE(CreateShortcut("/opt/orvanta/orvanta", path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/orvanta/orvanta\""));
    EXPECT_TRUE(text.contains("Path=/opt/orvanta\n"));
    EXPECT_FALSE(CreateShortcut("/opt/orvanta/orvanta", dir.filePath("Orvanta.desktop/inside")));
}

TEST(ShellHelpers, OpenURLWithoutBrowserShowsTheAddress)
{
    ModalCatcher boxes;
    EXPECT_EQ(OpenURL(nullptr, "", "http://example.org/", true), "");
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Error: Default browser not set!");
    EXPECT_EQ(boxes.Texts[0], "http://example.org/");
}
