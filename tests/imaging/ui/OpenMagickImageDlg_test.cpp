#include "imaging/ImageFixtures.h"
#include "imaging/ui/FolderLists.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "platform/ProgramFolder.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MagickImage.h"
#include "support/ModalCatcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace {

const char* const kPngFilter = "*.png, Portable Network Graphics";
const char* const kJpegFilter = "*.jpg, *.jpeg, Joint Photographic Experts Group JFIF format";

bool WriteWav(const QString& path, int frames)
{
    SF_INFO format{};
    format.samplerate = 11025;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &format);
    if (!file)
        return false;
    std::vector<double> samples(static_cast<size_t>(frames), 0.25);
    const bool ok = sf_write_double(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

class OpenDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fixtures::WriteImage(Path("a.png"), 40, 30));
        ASSERT_TRUE(fixtures::WriteImage(Path("b.PNG"), 8, 8));
        ASSERT_TRUE(fixtures::WriteImage(Path("e.jpeg"), 8, 8));
        ASSERT_TRUE(fixtures::WriteImage(Path("scan.tif"), 8, 8));
        ASSERT_TRUE(WriteWav(Path("c.wav"), 22050));
        ASSERT_TRUE(fixtures::WriteBytes(Path("d.txt"), "notes"));
        ASSERT_TRUE(fixtures::WriteBytes(Path("broken.png"), QByteArray(4000, '\x17')));
        ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Listed() const
    {
        QStringList names;
        for (int i = 0; i < dlg.FileLB->count(); ++i)
            names << dlg.FileLB->item(i)->text();
        return names;
    }
    void ChooseFilter(const QString& description)
    {
        dlg.FilterCB->setCurrentIndex(dlg.FilterCB->findText(description));
        dlg.FilterCBChange();
    }
    void Focus(const QString& name)
    {
        const auto items = dlg.FileLB->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        dlg.FileLB->clearSelection();
        dlg.FileLB->setCurrentItem(items[0]);
        items[0]->setSelected(true);
    }

    QTemporaryDir dir;
    TOpenMagickImageDlg dlg;
};

}  // namespace

TEST_F(OpenDialog, ListsTheFolderAndFiltersByType)
{
    EXPECT_EQ(dlg.FilterCB->count(), 32);
    EXPECT_EQ(dlg.FilterCB->currentText(), "All Files (*.*)");
    ASSERT_TRUE(dlg.SelectFile(Path("a.png"), true));
    EXPECT_EQ(dlg.DirectoryLB->Directory(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(Listed(), (QStringList{"a.png", "b.PNG", "broken.png", "c.wav", "d.txt", "e.jpeg", "scan.tif"}));
    EXPECT_EQ(dlg.FileLB->SelectedNames(), QStringList{"a.png"});
    EXPECT_EQ(dlg.FileNameCB->currentText(), "a.png");
    EXPECT_FALSE(dlg.DirectoryLB->findItems("sub", Qt::MatchEndsWith).isEmpty()) << "sub-folders are listed";

    ChooseFilter(kPngFilter);
    EXPECT_EQ(Listed(), (QStringList{"a.png", "b.PNG", "broken.png"}));
    EXPECT_EQ(dlg.FilterCB->toolTip(), kPngFilter);
    ChooseFilter("*.wav, Microsoft Audio Wawe Format");
    EXPECT_EQ(Listed(), QStringList{"c.wav"});
    ChooseFilter(kJpegFilter);
    EXPECT_TRUE(Listed().isEmpty()) << "the JPEG mask is *.jpg";

    dlg.DirUpBtnClick();
    EXPECT_EQ(dlg.DirectoryLB->Directory(), QFileInfo(QDir(dir.path()).canonicalPath()).absolutePath());
    dlg.DirectoryLB->SetDirectory("/");
    dlg.DirUpBtnClick();
    EXPECT_EQ(dlg.DirectoryLB->Directory(), "/") << "nothing above the root";
}

TEST_F(OpenDialog, FilterChoiceSetsTheExtensionOfTheLastName)
{
    dlg.FileNameCB->setEditText("pass");
    ChooseFilter(kPngFilter);
    EXPECT_EQ(dlg.FileNameCB->currentText(), "pass.png");
    ChooseFilter(kJpegFilter);
    EXPECT_EQ(dlg.FileNameCB->currentText(), "pass.jpg");
    ChooseFilter("All Files (*.*)");
    EXPECT_EQ(dlg.FileNameCB->currentText(), "pass.jpg");
    dlg.FileNameCB->setEditText("a.png;b");
    ChooseFilter(kJpegFilter);
    EXPECT_EQ(dlg.FileNameCB->currentText(), "a.png;b.jpg") << "the names before the last stay";
    dlg.FileNameCB->setEditText("v1.2/pass");
    ChooseFilter(kPngFilter);
    EXPECT_EQ(dlg.FileNameCB->currentText(), "v1.2/pass.png");
}

TEST_F(OpenDialog, OpenModeAcceptsExistingImagesAndRecordingsOnce)
{
    ASSERT_TRUE(dlg.SelectFile(Path("a.png"), true));
    ModalCatcher boxes;
    EXPECT_EQ(dlg.ValidateFileNames("a.png;c.wav;;a.png;scan.tif"), 3);
    const QString folder = dlg.DirectoryLB->Directory();
    EXPECT_EQ(dlg.Files, (QStringList{folder + "/a.png", folder + "/c.wav", folder + "/scan.tif"}));
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join("|").toStdString();

    EXPECT_EQ(dlg.ValidateFileNames("missing.png;d.txt;layers.psd"), 0);
    EXPECT_EQ(boxes.Captions, (QStringList{"Information", "Information", "Information"}));
    EXPECT_EQ(boxes.Texts, (QStringList{"File not found!\n" + folder + "/missing.png",
                                        "Unsupported image format!\n" + folder + "/d.txt",
                                        "File not found!\n" + folder + "/layers.psd"}));
    EXPECT_TRUE(dlg.Files.isEmpty());
    EXPECT_GE(dlg.FileNameCB->findText("missing.png"), 0) << "typed names join the history";
}

TEST_F(OpenDialog, SaveModeNeedsAnImageFormat)
{
    dlg.SelectFile(Path("a.png"), false);
    const QString folder = dlg.DirectoryLB->Directory();
    ModalCatcher boxes;
    ChooseFilter(kPngFilter);
    EXPECT_EQ(dlg.ValidateFileNames("out"), 1);
    EXPECT_EQ(dlg.Files, QStringList{folder + "/out.png"});
    ChooseFilter("All Files (*.*)");
    EXPECT_EQ(dlg.ValidateFileNames("out"), 0);
    EXPECT_EQ(dlg.ValidateFileNames("tone.wav"), 0);
    EXPECT_EQ(dlg.ValidateFileNames("copy.tif"), 1) << "a TIFF is written under its short name too";
    EXPECT_EQ(boxes.Texts, (QStringList{"Unsupported image format!\n" + folder + "/out.*",
                                        "Unsupported image format!\n" + folder + "/tone.wav"}));
}

TEST_F(OpenDialog, OkStaysOpenUntilANameIsValid)
{
    dlg.SelectFile(Path("a.png"), true);
    dlg.show();
    ModalCatcher boxes;
    dlg.FileNameCB->setEditText("nothing.png");
    dlg.OKBtn->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.FileNameCB->currentText(), "nothing.png") << "the name box stays as it was";
    EXPECT_EQ(boxes.Texts.size(), 1);

    dlg.FileNameCB->setEditText("b.PNG");
    dlg.OKBtn->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetFileName(true), dlg.DirectoryLB->Directory() + "/b.PNG");
    EXPECT_EQ(dlg.FileNameCB->currentText(), "");
    EXPECT_TRUE(dlg.FileLB->SelectedNames().isEmpty());

    dlg.show();
    EXPECT_TRUE(dlg.Files.isEmpty()) << "showing empties the result";
    dlg.CancelBtn->click();
    EXPECT_EQ(dlg.GetFileName(true), "");
    EXPECT_EQ(boxes.Texts.size(), 1) << "quiet: no box";
    EXPECT_EQ(dlg.GetFileName(false), "");
    EXPECT_EQ(boxes.Texts.last(), "No valid filename found!");
}

TEST_F(OpenDialog, SelectFileOfNothingOrAMissingFile)
{
    dlg.SelectFile(Path("a.png"), true);
    const QString folder = dlg.DirectoryLB->Directory();
    EXPECT_FALSE(dlg.SelectFile("", false));
    EXPECT_FALSE(dlg.OpenMode);
    EXPECT_EQ(dlg.FileNameCB->currentText(), "");
    EXPECT_FALSE(dlg.SelectFile("/nowhere/at/all/old.png", true));
    EXPECT_EQ(dlg.FileNameCB->currentText(), "old.png");
    EXPECT_EQ(dlg.DirectoryLB->Directory(), folder);
}

TEST_F(OpenDialog, PreviewsImagesAndTheLengthOfRecordings)
{
    dlg.SelectFile(Path("a.png"), true);
    EXPECT_EQ(dlg.MI->FileName(), "") << "preview off";
    ModalCatcher boxes;
    Focus("a.png");
    EXPECT_EQ(dlg.MI->FileName(), "");
    EXPECT_EQ(dlg.FileNameCB->currentText(), "a.png");

    dlg.PreviewCB->setChecked(true);
    dlg.PreviewCBClick();
    const QString folder = dlg.DirectoryLB->Directory();
    EXPECT_EQ(dlg.MI->FileName(), folder + "/a.png") << "turning the preview on shows the focused file at once";
    EXPECT_EQ(dlg.MI->ImageWidth(), 40);

    Focus("c.wav");
    EXPECT_TRUE(dlg.MI->GetBitmap().isNull());
    EXPECT_FALSE(dlg.AudioInfo->isHidden());
    EXPECT_EQ(dlg.AudioInfo->text(), "2.00 s, 11025 Hz, mono");

    Focus("broken.png");
    EXPECT_TRUE(dlg.AudioInfo->isHidden());
    EXPECT_TRUE(dlg.MI->GetBitmap().isNull()) << "a damaged image leaves the preview empty";
    Focus("d.txt");
    EXPECT_TRUE(dlg.MI->GetBitmap().isNull());
    EXPECT_TRUE(boxes.Texts.isEmpty()) << "the preview never shows a box";

    Focus("b.PNG");
    EXPECT_EQ(dlg.MI->ImageWidth(), 8);
    dlg.PreviewCB->setChecked(false);
    dlg.PreviewCBClick();
    EXPECT_TRUE(dlg.MI->GetBitmap().isNull());
}

TEST_F(OpenDialog, ShortcutsOpenTheProgramFoldersWithTheirFilters)
{
    const QString audio = programfolder::Path() + "audio";
    const QString images = programfolder::Path() + "images";
    ASSERT_TRUE(QDir().mkpath(audio));
    ASSERT_TRUE(QDir().mkpath(images));
    ASSERT_TRUE(WriteWav(audio + "/pass.wav", 100));
    ASSERT_TRUE(fixtures::WriteBytes(audio + "/pass.txt", "info"));

    dlg.AudioDirBtnClick();
    EXPECT_EQ(dlg.DirectoryLB->Directory(), QDir(audio).canonicalPath());
    EXPECT_EQ(dlg.FilterCB->currentText(), "*.wav, Microsoft Audio Wawe Format");
    EXPECT_EQ(dlg.FilterCB->count(), 16);
    EXPECT_EQ(Listed(), QStringList{"pass.wav"});

    dlg.ImagesDirBtnClick();
    EXPECT_EQ(dlg.DirectoryLB->Directory(), QDir(images).canonicalPath());
    EXPECT_EQ(dlg.FilterCB->currentText(), "All Files (*.*)");
    EXPECT_EQ(dlg.FilterCB->count(), 17);

    ModalCatcher boxes;
    dlg.LUTDirBtnClick();
    EXPECT_EQ(boxes.Texts, QStringList{"Folder not found!\n" + programfolder::Path() + "config/lut"});
    EXPECT_EQ(dlg.DirectoryLB->Directory(), QDir(images).canonicalPath());

    dlg.SetFileKind(2);
    EXPECT_EQ(dlg.FilterCB->count(), 16);
    EXPECT_EQ(dlg.FilterCB->currentIndex(), 0);
    dlg.SetFileKind(7);
    EXPECT_EQ(dlg.FilterCB->count(), 16);
}

TEST(OpenDialogOptions, PreviewAndStretchAreKeptInTheRegistry)
{
    WriteRegistryString("APT\\OpenDlg", "Preview", "1");
    WriteRegistryString("APT\\OpenDlg", "Stretch", "0");
    {
        TOpenMagickImageDlg dlg;
        EXPECT_EQ(OpenMagickImageDlg, &dlg);
        EXPECT_TRUE(dlg.PreviewCB->isChecked());
        EXPECT_FALSE(dlg.StretchImageCB->isChecked());
        EXPECT_FALSE(dlg.MI->Stretch());
        dlg.StretchImageCB->click();
        EXPECT_TRUE(dlg.MI->Stretch());
        dlg.PreviewCB->setChecked(false);
    }
    EXPECT_EQ(OpenMagickImageDlg, nullptr);
    EXPECT_EQ(ReadRegistryString("APT\\OpenDlg", "Preview"), "0");
    EXPECT_EQ(ReadRegistryString("APT\\OpenDlg", "Stretch"), "1");
}

TEST_F(OpenDialog, ANameTypedWithItsFullPathStandsForItself)
{
    QTemporaryDir elsewhere;
    const QString recording = elsewhere.filePath("pass.wav");
    ASSERT_TRUE(WriteWav(recording, 22050));
    ASSERT_TRUE(dlg.SelectFile(Path("a.png"), true));
    ModalCatcher boxes;
    EXPECT_EQ(dlg.ValidateFileNames(recording), 1);
    EXPECT_EQ(dlg.Files, QStringList{recording});
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join("|").toStdString();
}

TEST_F(OpenDialog, AShortcutKeepsItsWhiteCaptionReadableWhilePressed)
{
    dlg.show();
    for (bool down : {false, true}) {
        dlg.ImagesDirBtn->setDown(down);
        QToolButton* button = dlg.ImagesDirBtn;
        const QImage shot = dlg.grab(QRect(button->mapTo(&dlg, QPoint(0, 0)), button->size())).toImage();
        // The caption sits under the icon: compare its brightest pixels with
        // the button's face beside them.
        const int top = shot.height() * 2 / 3;
        int brightest = 0;
        for (int y = top; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                brightest = std::max(brightest, qGray(shot.pixel(x, y)));
        const int face = qGray(shot.pixel(3, shot.height() - 3));
        EXPECT_GE(brightest - face, 60) << (down ? "pressed" : "released") << ": white on a face of grey " << face;
    }
}
