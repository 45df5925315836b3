// The annotation font of the general settings dialog: the chosen family's
// file is found through fontconfig and kept with its "@"; a family whose
// file cannot be found is offered for browsing.
#include "platform/Fonts.h"
#include "radio/Rig.h"
#include "shell/Setting.h"
#include "shell/TextHelpers.h"
#include "shell/ui/FontDlg.h"
#include "shell/ui/RecordDlg.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct FontBench {
    FontBench()
    {
        dlg.Settings = &settings;
        dlg.Rig = &rig;
        dlg.show();
    }
    // Chooses family at points in the font dialog the next click opens.
    void Choose(ModalSteps& user, const QString& family, int points)
    {
        user.Then<TFontDlg>([family, points](TFontDlg& fonts) {
            fonts.FamilyBox->setCurrentFont(QFont(family));
            fonts.SizeBox->setValue(points);
            fonts.accept();
        });
    }
    TSetting settings;
    TRig rig;
    TRecordDlg dlg;
};

QByteArray Utf16BigEndian(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >> 8));
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return bytes;
}

// A family the program can show but whose file no font folder holds: an
// installed face renamed in memory (the new name has the same length, so the
// font's tables keep their sizes).
QString RegisterFamilyWithoutFile()
{
    QFile file(FindInstalledFontFile("DejaVu Sans"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = file.readAll();
    data.replace("DejaVu Sans", "Kelvry Test");
    data.replace(Utf16BigEndian("DejaVu Sans"), Utf16BigEndian("Kelvry Test"));
    const int id = QFontDatabase::addApplicationFontFromData(data);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

}  // namespace

TEST(RecordDlgFonts, AnInstalledFamilyStoresItsFileWithOneAt)
{
    const QString file = FindInstalledFontFile("DejaVu Sans");
    ASSERT_FALSE(file.isEmpty()) << "fonts-dejavu is not installed";
    FontBench bench;
    ModalCatcher boxes;
    ModalSteps user;
    bench.Choose(user, "DejaVu Sans", 14);
    bench.dlg.FontsBtn->click();
    EXPECT_TRUE(boxes.Texts.isEmpty());
    EXPECT_EQ(bench.settings.FontName, "DejaVu Sans");
    EXPECT_EQ(bench.settings.FontFile, "@" + file);
    EXPECT_EQ(bench.settings.FontSize, 14.0);
}

TEST(RecordDlgFonts, AFamilyWithoutAFileIsOfferedForBrowsing)
{
    const QString family = RegisterFamilyWithoutFile();
    ASSERT_EQ(family, "Kelvry Test");
    QString path;
    ASSERT_FALSE(FindFontFile(family, path)) << "the family must have no file for this test";
    QTemporaryDir dir;
    const QString chosen = dir.filePath("kelvry.ttf");
    ASSERT_TRUE(QFile::copy(FindInstalledFontFile("DejaVu Sans"), chosen));

    {
        FontBench bench;
        const TSetting before = bench.settings;
        ModalCatcher boxes(QMessageBox::No);
        ModalSteps user;
        bench.Choose(user, family, 12);
        bench.dlg.FontsBtn->click();
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_EQ(boxes.Captions[0], "Error! The font file not found!");
        EXPECT_EQ(boxes.Texts[0],
                  "The font file Kelvry Test\ncouldn't be found in Windows\\Fonts directory!\nBrowse ?");
        EXPECT_EQ(bench.settings.FontName, before.FontName) << "No stores nothing";
        EXPECT_EQ(bench.settings.FontFile, before.FontFile);
        EXPECT_EQ(bench.settings.FontSize, before.FontSize);
    }
    {
        FontBench bench;
        bench.settings.FontFile = "@/old/fonts/kelvry.ttf";
        ModalCatcher boxes(QMessageBox::Yes);
        ModalSteps user;
        bench.Choose(user, family, 12);
        user.Then<QFileDialog>([chosen](QFileDialog& open) {
            // Typed into the name box, as a user would.
            open.findChild<QLineEdit*>("fileNameEdit")->setText(chosen);
            QMetaObject::invokeMethod(&open, "accept");  // protected: what its Open button calls
        });
        bench.dlg.FontsBtn->click();
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(boxes.Texts[0].startsWith("The font file /old/fonts/kelvry.ttf\n")) << boxes.Texts[0].toStdString();
        EXPECT_EQ(user.Played(), 2u);
        EXPECT_EQ(bench.settings.FontFile, "@" + chosen);
        EXPECT_EQ(bench.settings.FontName, family);
        EXPECT_EQ(bench.settings.FontSize, 12.0);
    }
}
