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
    EXPECT_EQ(boxes.Texts[0].toStdString(), "Failed to execute /nonexistent/mixer !\nReason:\nThe specified file was not found.")
        << "the program and the reason, once";

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

TEST(ShellHelpers, OpenURLReportsWhyTheAddressDidNotOpen)
{
    QTemporaryDir dir;
    // An opener that is there, so the desktop's handler is found and the
    // address itself decides.
    const QString opener = dir.filePath("xdg-open");
    QFile stub(opener);
    ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
    stub.write("#!/bin/sh\nexit 0\n");
    stub.close();
    stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ":" + path);
    const QString page = dir.filePath("index.html");

    {
        ModalCatcher boxes;
        QFile(page).open(QIODevice::WriteOnly);
        EXPECT_EQ(OpenURL(nullptr, "", page, false), opener) << "a page that is there opens with the opener found";
        EXPECT_TRUE(boxes.Captions.isEmpty());
        QFile::remove(page);
    }

    struct Case {
        const char* name;
        QString address;
        int code;
    };
    const Case cases[] = {
        {"a page that is not there", page, 2},
        {"a page in a folder that is not there", dir.filePath("daily/index.html"), 3},
    };
    for (const Case& c : cases) {
        ModalCatcher failed;
        EXPECT_EQ(OpenURL(nullptr, "", c.address, false), "") << c.name;
        ASSERT_EQ(failed.Captions.size(), 1) << c.name;
        EXPECT_EQ(failed.Captions[0], "Error: Unable to open URL!") << c.name;
        EXPECT_EQ(failed.Texts[0], c.address + "\n\n" + GetShellExecuteErrorText(c.code)) << c.name;
    }
    qputenv("PATH", path);
}
