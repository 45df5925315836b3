// File > Open starts in the recordings folder, then where the user last
// opened a file through it: never the shell's current folder, and never the
// folder another command (the colour-table editor's Open) left the shared
// dialog in.
#include "../ImageFixtures.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "imaging/ui/FolderLists.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "shell/AppFolders.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs File > Open, notes the folder the dialog shows and the name it
// proposes, then opens path (or cancels when it is empty).
struct Shown {
    std::string folder;
    std::string name;
};

Shown RunFileOpen(TMainForm& form, const QString& path = QString())
{
    Shown shown;
    ModalAnswer<TOpenMagickImageDlg> answer([&](TOpenMagickImageDlg* dialog) {
        shown.folder = QFileInfo(dialog->DirectoryLB->Directory()).canonicalFilePath().toStdString();
        shown.name = dialog->FileNameCB->currentText().toStdString();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->SelectFile(path, true);
        dialog->OKBtn->click();
    });
    form.FileOpen1->trigger();
    EXPECT_EQ(answer.Count, 1);
    return shown;
}

std::string Canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath().toStdString();
}

}  // namespace

TEST(FileOpenFolder, StartsInTheRecordingsFolderThenWhereAFileWasLastOpened)
{
    std::unique_ptr<TMainForm> form = MakeMainForm();
    const QString recordings = form->Folders().GetAudioDir();
    ASSERT_TRUE(QDir().mkpath(recordings));
    QTemporaryDir shellFolder;
    ASSERT_TRUE(QDir::setCurrent(shellFolder.path()));

    EXPECT_EQ(RunFileOpen(*form).folder, Canonical(recordings)) << "not the shell's current folder";

    // The colour-table editor's Open leaves the shared dialog in config/lut
    // with a table chosen.
    TOpenMagickImageDlg* shared = SharedOpenMagickImageDlg(form.get());
    const QString table = form->Folders().GetLUTDir() + "/table.png";
    ASSERT_TRUE(QDir().mkpath(form->Folders().GetLUTDir()));
    ASSERT_TRUE(fixtures::WriteImage(table, 4, 4));
    ASSERT_TRUE(shared->SelectFile(table, true));
    shared->Files = QStringList{table};
    EXPECT_EQ(RunFileOpen(*form).folder, Canonical(recordings)) << "not the colour tables' folder";

    // A file opened elsewhere is where the next Open starts, named.
    const QString elsewhere = testenv::ProgramDir() + "elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString opened = elsewhere + "/pass.png";
    ASSERT_TRUE(fixtures::WriteImage(opened, 8, 8));
    {
        ModalCatcher boxes;
        RunFileOpen(*form, opened);
    }
    ASSERT_EQ(form->MDIArea()->subWindowList().size(), 1) << "the file was opened";
    ASSERT_TRUE(shared->SelectFile(table, true));
    shared->Files = QStringList{table};
    const Shown next = RunFileOpen(*form);
    EXPECT_EQ(next.folder, Canonical(elsewhere));
    EXPECT_EQ(next.name, "pass.png");

    // When that file is gone its folder is still the place to look.
    ASSERT_TRUE(QFile::remove(opened));
    EXPECT_EQ(RunFileOpen(*form).folder, Canonical(elsewhere));
}
