#include "../PassFixtures.h"
#include "HSVReference.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/LUTEdDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MagickImage.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString LUTDir() { return testenv::ProgramDir() + "config/lut"; }

QString TablePath(const QString& name)
{
    QDir().mkpath(LUTDir());
    return LUTDir() + "/" + name;
}

// A table file of 100 x 256 whose pixel (c, r) is colour(c, r).
QString WriteTable(const QString& name, const std::function<QRgb(int c, int r)>& colour, int rows = 256)
{
    QImage image(100, rows, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 100; ++c)
            image.setPixel(c, r, colour(c, r));
    const QString path = TablePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

// Column c: hue 3.6c degrees, saturation from 0.5 to 1, value falling from
// 1 to 0.2, made by Qt's own HSV conversion.
QRgb RampColour(int c, int r)
{
    const double value = 1.0 + r * (0.2 - 1.0) / 255;
    return QColor::fromHsvF(static_cast<float>(c * 3.6 / 360), static_cast<float>(0.5 + c / 200.0),
                            static_cast<float>(value))
        .rgb();
}

int MaxChannelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

bool AllBlack(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0)
                return false;
    return true;
}

// The pixel columns in which two tables differ, as a [first, last] range;
// {-1, -1} when they are the same.
std::pair<int, int> ChangedColumns(const QImage& before, const QImage& after)
{
    int first = -1, last = -1;
    for (int x = 0; x < before.width(); ++x)
        for (int y = 0; y < before.height(); ++y)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

// Answers the shared open/save dialog with a full path.
void AnswerFileDialog(ModalAnswer<TOpenMagickImageDlg>*& answer, const QString& path)
{
    answer = new ModalAnswer<TOpenMagickImageDlg>([path](TOpenMagickImageDlg* dialog) {
        dialog->FileNameCB->setEditText(path);
        dialog->accept();
    });
}

class LUTEditor : public ::testing::Test {
protected:
    TLUTEdDlg dlg;
};

}  // namespace

TEST(LUTEdColours, HSVConversionsMatchTheReference)
{
    for (const RgbToHsvCase& c : kRgbToHsv) {
        THSV hsv;
        const bool hasHue = TLUTEdDlg::ColorToHSV(qRgb(c.r, c.g, c.b), hsv);
        const std::string name = std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
        EXPECT_EQ(hasHue, c.hasHue) << name;
        EXPECT_NEAR(hsv.Hue, c.hue, 1e-9) << name;
        EXPECT_NEAR(hsv.Saturation, c.saturation, 1e-12) << name;
        EXPECT_NEAR(hsv.Value, c.value, 1e-12) << name;
    }
    for (const HsvToRgbCase& c : kHsvToRgb) {
        QRgb colour = 0;
        ASSERT_TRUE(TLUTEdDlg::HSVToColor(THSV{c.hue, c.saturation, c.value}, colour));
        EXPECT_EQ(QColor(colour), QColor(c.r, c.g, c.b)) << c.hue << " " << c.saturation << " " << c.value;
    }
    QRgb red0 = 0, red360 = 0;
    TLUTEdDlg::HSVToColor(THSV{0, 1, 1}, red0);
    TLUTEdDlg::HSVToColor(THSV{360, 1, 1}, red360);
    EXPECT_EQ(red360, red0) << "hue 360 is hue 0";
    EXPECT_EQ(QColor(red0), QColor(255, 0, 0));
    QRgb untouched = qRgb(1, 2, 3);
    EXPECT_FALSE(TLUTEdDlg::HSVToColor(THSV{-1, 1, 1}, untouched));
    EXPECT_EQ(untouched, qRgb(1, 2, 3)) << "a negative hue leaves the colour";
}

TEST_F(LUTEditor, ColumnsBandsAndTheirLabels)
{
    struct Column {
        int x;
        int celsius;
    };
    for (const Column& c : {Column{-5, -60}, Column{0, -60}, Column{1, -60}, Column{2, -59}, Column{150, -10},
                            Column{180, 0}, Column{299, 40}, Column{300, 40}, Column{450, 40}})
        EXPECT_EQ(TLUTEdDlg::ColumnToCelsius(c.x), c.celsius) << "x " << c.x;

    struct Case {
        int step;
        int click;
        int start;
        QString label;
    };
    const Case cases[] = {
        {7, 100, 84, QString("%1...%2 Celsius").arg("-28°", "-21°")},
        {7, 299, 279, QString("%1...%2 Celsius").arg("+28°", "+35°")},
        {7, 30, 21, QString("%1...%2 Celsius").arg("-49°", "-42°")},
        {10, 30, 30, QString("%1...%2 Celsius").arg("-50°", "-40°")},
        {10, 59, 30, QString("%1...%2 Celsius").arg("-50°", "-40°")},
        {10, 0, 0, QString("%1...%2 Celsius").arg("-60°", "-50°")},
        {1, 299, 297, QString("%1...%2 Celsius").arg("+39°", "+40°")},
    };
    for (const Case& c : cases) {
        dlg.DeltaT->setValue(c.step);
        EXPECT_EQ(dlg.SnapColumn(c.click), c.start) << "step " << c.step << " click " << c.click;
        dlg.pbMouseDown(c.click);
        EXPECT_EQ(dlg.SelectedColumn, c.start);
        EXPECT_EQ(dlg.SelLabel->text(), c.label) << "step " << c.step << " click " << c.click;
        EXPECT_TRUE(dlg.ApplyBtn->isEnabled());
    }
}

TEST_F(LUTEditor, ARampTableComesBackAsItWasAndAnyTableComesBackAsRamps)
{
    const QString ramps = WriteTable("ramps.png", RampColour);
    ASSERT_TRUE(dlg.LoadTable(ramps, false));
    EXPECT_EQ(dlg.LUTFileName, ramps);
    EXPECT_EQ(dlg.windowTitle(), "Colour Lookup Table Editor [ramps.png]");
    EXPECT_EQ(dlg.DeltaT->value(), 1) << "every column differs";
    const QString copy = TablePath("copy.png");
    ASSERT_TRUE(dlg.SaveTable(copy, false));
    EXPECT_EQ(dlg.LUTFileName, copy);
    const QImage original(ramps), saved(copy);
    ASSERT_EQ(saved.size(), QSize(100, 256));
    int worst = 0;
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 100; ++c)
            worst = std::max(worst, MaxChannelDifference(original.pixel(c, r), saved.pixel(c, r)));
    EXPECT_LE(worst, 2) << "the same ramps up to the conversions' rounding";

    // Top row blue, bottom row black, red noise between: ramps again.
    const QString noisy = WriteTable("noisy.png", [](int c, int r) {
        if (r == 0)
            return qRgb(0, 0, 255);
        if (r == 255)
            return qRgb(0, 0, 0);
        return (c + r) % 3 ? qRgb(255, 0, 0) : qRgb(0, 255, 0);
    });
    ASSERT_TRUE(dlg.LoadTable(noisy, false));
    for (int r : {1, 128, 254}) {
        const int blue = static_cast<int>(std::nearbyint(255 * (1 - r / 255.0)));
        EXPECT_EQ(QColor(dlg.Table.pixel(150, r)), QColor(0, 0, blue)) << "row " << r;
    }
    ASSERT_TRUE(dlg.SaveTable(copy, false));
    EXPECT_EQ(QColor(QImage(copy).pixel(50, 128)), QColor(0, 0, 127));
}

TEST_F(LUTEditor, OddTablesAreRefusedAndTheStepComesFromRow25)
{
    const QString small = WriteTable("small.png", RampColour, 255);
    {
        ModalCatcher boxes;
        EXPECT_FALSE(dlg.LoadTable(small, false));
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_EQ(boxes.Texts[0], "The CLUT size should be (wxh) 100x256 pixels!");
        EXPECT_EQ(boxes.Captions[0], "Error: Non standard CLUT!");
    }
    {
        ModalCatcher boxes;
        EXPECT_FALSE(dlg.LoadTable(small, true));
        EXPECT_TRUE(boxes.Texts.isEmpty()) << "quiet";
    }
    EXPECT_TRUE(AllBlack(dlg.Table));
    EXPECT_EQ(dlg.LUTFileName, "");
    EXPECT_EQ(dlg.windowTitle(), "Colour Lookup Table Editor");
    {
        ModalCatcher boxes;
        EXPECT_FALSE(dlg.LoadTable(TablePath("absent.png"), false));
        EXPECT_TRUE(boxes.Texts.isEmpty()) << "a missing file is no error";
    }

    struct Case {
        const char* name;
        int equalColumns;  // at row 25, from column 0
        int step;
    };
    const Case cases[] = {{"five equal columns", 5, 5}, {"ten", 10, 10}, {"twelve", 12, 1}, {"all", 100, 1},
                          {"one", 1, 1}};
    for (const Case& c : cases) {
        const QString path = WriteTable("steps.png", [&](int column, int) {
            return column < c.equalColumns ? qRgb(200, 0, 0) : qRgb(0, 0, 200 - column);
        });
        ASSERT_TRUE(dlg.LoadTable(path, true)) << c.name;
        EXPECT_EQ(dlg.DeltaT->value(), c.step) << c.name;
        EXPECT_EQ(dlg.SmoothChk->isEnabled(), c.step > 1) << c.name;
    }
}

TEST_F(LUTEditor, ApplyChangesExactlyTheBand)
{
    ASSERT_TRUE(dlg.LoadTable(WriteTable("ramps.png", RampColour), false));
    EXPECT_FALSE(dlg.Save1->isEnabled());
    dlg.DeltaT->setValue(7);
    const QImage before = dlg.Table;
    dlg.pbMouseDown(100);
    ASSERT_EQ(dlg.SelectedColumn, 84);
    dlg.tb1->setValue(200);  // a new hue for the band
    EXPECT_EQ(dlg.HueLabel->text(), "Hue: 200");
    THSV rampTop;
    TLUTEdDlg::ColorToHSV(dlg.Ramp.pixel(0, 0), rampTop);
    EXPECT_NEAR(rampTop.Hue, 200, 1);
    dlg.ApplyBtn->click();
    EXPECT_EQ(ChangedColumns(before, dlg.Table), std::make_pair(84, 104));
    for (int r : {0, 100, 255})
        EXPECT_EQ(dlg.Table.pixel(90, r), dlg.Ramp.pixel(0, r)) << "row " << r;
    EXPECT_TRUE(dlg.Flags & leModified);
    EXPECT_TRUE(dlg.Save1->isEnabled());
}

TEST_F(LUTEditor, SmoothingRunsTheHuesBetweenBandsOrMakesThemUniform)
{
    // Bands of 10 columns with the hues 0, 30, 60, ...; column by column
    // noise in the saturation.
    const QString path = WriteTable("bands.png", [](int c, int r) {
        const double value = 1.0 - r / 255.0 * 0.5;
        return QColor::fromHsvF(static_cast<float>((c / 10) * 30 / 360.0), c % 10 == 0 ? 1.0f : 0.6f,
                                static_cast<float>(value))
            .rgb();
    });
    ASSERT_TRUE(dlg.LoadTable(path, false));
    dlg.DeltaT->setValue(10);
    dlg.SmoothChk->setChecked(false);
    dlg.SmoothChkClick();
    for (int band = 0; band < 10; ++band)
        for (int x = band * 30; x < band * 30 + 30; ++x)
            ASSERT_EQ(dlg.Table.pixel(x, 128), dlg.Table.pixel(band * 30, 128)) << "uniform band " << band;
    EXPECT_TRUE(dlg.Flags & leModified);
    EXPECT_EQ(dlg.SelectedColumn, -1);
    EXPECT_EQ(dlg.SelLabel->text(), "N/A");

    ASSERT_TRUE(dlg.LoadTable(path, false));
    dlg.DeltaT->setValue(10);
    dlg.SmoothChk->setChecked(true);
    dlg.SmoothChkClick();
    // Each band's hue runs in ten steps from its own hue to the next band's.
    for (int band = 0; band < 9; ++band)
        for (int step = 0; step < 10; ++step) {
            THSV hsv;
            TLUTEdDlg::ColorToHSV(dlg.Table.pixel(band * 30 + step * 3, 128), hsv);
            EXPECT_NEAR(hsv.Hue, band * 30 + step * 3, 1.5) << "band " << band << " step " << step;
        }
}

TEST_F(LUTEditor, MaxAndMinGoToEveryColumn)
{
    ASSERT_TRUE(dlg.LoadTable(WriteTable("ramps.png", RampColour), false));
    const QImage before = dlg.Table;
    dlg.MaxMinValueToAll->setChecked(true);
    dlg.MinValue->setValue(10);
    dlg.MaxValue->setValue(80);
    EXPECT_EQ(ChangedColumns(before, dlg.Table), std::make_pair(0, 299));
    for (int x = 0; x < 300; x += 37) {
        THSV top, bottom, original;
        TLUTEdDlg::ColorToHSV(dlg.Table.pixel(x, 0), top);
        TLUTEdDlg::ColorToHSV(dlg.Table.pixel(x, 255), bottom);
        TLUTEdDlg::ColorToHSV(before.pixel(x, 0), original);
        EXPECT_NEAR(top.Value, 0.8, 1.0 / 255) << "x " << x;
        EXPECT_NEAR(bottom.Value, 0.1, 1.0 / 255) << "x " << x;
        EXPECT_NEAR(top.Hue, original.Hue, 1.5) << "x " << x;
    }
    EXPECT_TRUE(dlg.Flags & leModified);
    // The max value survives a save, row 0 included.
    const QString saved = TablePath("maxmin.png");
    ASSERT_TRUE(dlg.SaveTable(saved, false));
    THSV top;
    TLUTEdDlg::ColorToHSV(QImage(saved).pixel(40, 0), top);
    EXPECT_NEAR(top.Value, 0.8, 1.0 / 255);
}

TEST_F(LUTEditor, NewThenSaveWritesNothingAndSaveAsWritesABlackTable)
{
    ASSERT_TRUE(dlg.LoadTable(WriteTable("ramps.png", RampColour), false));
    dlg.New1->trigger();
    EXPECT_EQ(dlg.LUTFileName, "");
    EXPECT_TRUE(AllBlack(dlg.Table));
    const QStringList filesBefore = QDir(LUTDir()).entryList(QDir::Files);
    {
        ModalAnswer<TOpenMagickImageDlg> answer([](TOpenMagickImageDlg* dialog) { dialog->reject(); });
        dlg.Save1->trigger();
        dlg.SaveClick();
        EXPECT_EQ(answer.Count, 0) << "nothing to save";
    }
    EXPECT_EQ(QDir(LUTDir()).entryList(QDir::Files), filesBefore);

    const QString black = TablePath("black.png");
    ModalAnswer<TOpenMagickImageDlg>* answer = nullptr;
    AnswerFileDialog(answer, black);
    EXPECT_TRUE(dlg.SaveAsClick());
    delete answer;
    const QImage written(black);
    ASSERT_EQ(written.size(), QSize(100, 256));
    EXPECT_TRUE(AllBlack(written));
    EXPECT_EQ(dlg.LUTFileName, black);
}

TEST_F(LUTEditor, AFailedSaveLeavesTheOldFileAndKeepsTheEditorWhereItWas)
{
    const QString path = WriteTable("kept.png", RampColour);
    const QByteArray old = Contents(path);
    dlg.show();
    ASSERT_TRUE(dlg.LoadTable(path, false));
    dlg.pbMouseDown(60);
    dlg.tb1->setValue(120);
    dlg.ApplyBtn->click();
    const QImage edited = dlg.Table;
    ASSERT_TRUE(QDir().mkpath(path + ".tmp")) << "a folder in the way of the temporary file";
    {
        ModalCatcher boxes;
        EXPECT_FALSE(dlg.SaveTable(path, false));
        EXPECT_EQ(boxes.Texts, QStringList{"Save failed!"});
        EXPECT_EQ(boxes.Captions, QStringList{"Fatal Error!"});
    }
    EXPECT_EQ(Contents(path), old);
    EXPECT_TRUE(dlg.Flags & leModified);

    // New, Exit and Open after a failed save: the table stays.
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"New", [&] { dlg.New1Click(); }},
        {"Open...", [&] { dlg.OpenLUTClick(); }},
        {"Exit", [&] { dlg.CloseClick(); }},
    };
    for (const Case& c : cases) {
        ModalCatcher boxes(QMessageBox::Yes);
        ModalAnswer<TOpenMagickImageDlg> files([](TOpenMagickImageDlg* dialog) { dialog->reject(); });
        c.act();
        EXPECT_EQ(boxes.Captions, (QStringList{"Save ?", "Fatal Error!"})) << c.name;
        EXPECT_EQ(files.Count, 0) << c.name;
        EXPECT_TRUE(dlg.isVisible()) << c.name;
        EXPECT_EQ(dlg.Table, edited) << c.name;
        EXPECT_EQ(dlg.LUTFileName, path) << c.name;
        EXPECT_TRUE(dlg.Flags & leModified) << c.name;
    }
    QDir().rmdir(path + ".tmp");
    {
        ModalCatcher boxes(QMessageBox::Yes);
        dlg.CloseClick();
        EXPECT_EQ(boxes.Captions, QStringList{"Save ?"});
    }
    EXPECT_FALSE(dlg.isVisible()) << "saved, then closed";
    EXPECT_NE(Contents(path), old);
}

TEST_F(LUTEditor, OpenAsksBeforeReplacingAnUnsavedTable)
{
    ASSERT_TRUE(dlg.LoadTable(WriteTable("ramps.png", RampColour), false));
    dlg.pbMouseDown(10);
    dlg.ApplyBtn->click();
    ModalCatcher boxes(QMessageBox::Cancel);
    ModalAnswer<TOpenMagickImageDlg> files([](TOpenMagickImageDlg* dialog) { dialog->reject(); });
    dlg.OpenLUT->trigger();
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(boxes.Texts[0], "Save changes to Lookup Table ?\n\n" + TablePath("ramps.png"));
    EXPECT_EQ(files.Count, 0) << "cancelled: no file chosen";
    EXPECT_TRUE(dlg.Flags & leModified);
}

TEST_F(LUTEditor, PlacementIsKeptDirectlyBelowTheProgramKey)
{
    {
        TLUTEdDlg other;
        other.resize(700, 391);
    }
    EXPECT_FALSE(ReadRegistryString("LUTEditor", "wAttr").isEmpty());
    EXPECT_TRUE(ReadRegistryString("APT\\LUTEditor", "wAttr").isEmpty());
    TLUTEdDlg again;
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.height(), 391);
    again.resize(500, 500);
    EXPECT_EQ(again.width(), 590) << "no narrower than 590";
    EXPECT_EQ(again.height(), 391) << "the height is fixed";
}

class LUTEditorOnAPass : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm();
        chooser = std::make_unique<TLUTDlg>(form.get());
        editor = std::make_unique<TLUTEdDlg>(form.get());
        child = new TMDIChild;
        passfixture::FillCompletePass(*child->APT, passfixture::CalibratedPass(400));
        window = form->MDIArea()->addSubWindow(child);
        window->resize(500, 300);
        window->show();
        form->MDIArea()->setActiveSubWindow(window);
        QApplication::processEvents();
        ASSERT_TRUE(child->ShowView(ivFalseColourTemp, 0));
    }
    QMdiSubWindow* window = nullptr;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TLUTDlg> chooser;
    std::unique_ptr<TLUTEdDlg> editor;
    TMDIChild* child = nullptr;
};

TEST_F(LUTEditorOnAPass, TheToolsCommandOpensTheViewsTableBesideTheMainWindow)
{
    form->ColorLookUpTableEditor1->trigger();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModal());
    EXPECT_EQ(form->ActiveWindow, editor.get());
    EXPECT_EQ(editor->ImageWindow, child);
    EXPECT_EQ(editor->LUTFileName, form->GetLUTFileName(ivFalseColourTemp));
    EXPECT_EQ(editor->windowTitle(), "Colour Lookup Table Editor [test_fc24.jpg]");
    EXPECT_EQ(editor->ImageTypeCb->currentText(), "False Colour (sensor 2,4)");
    EXPECT_TRUE(editor->PreviewBtn->isEnabled());
    editor->CloseClick();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(form->ActiveWindow, form.get());

    delete window;
    child = nullptr;
    form->ColorLookUpTableEditor1->trigger();
    EXPECT_EQ(editor->LUTFileName, "");
    EXPECT_FALSE(editor->ImageTypeCb->isEnabled());
    EXPECT_FALSE(editor->PreviewBtn->isEnabled());
    EXPECT_EQ(editor->ImageTypeCb->currentIndex(), -1);
    editor->CloseClick();
}

TEST_F(LUTEditorOnAPass, PreviewRendersTheEditedTable)
{
    // A table of one blue: after max/min to all, a darker blue everywhere.
    const QString blue = WriteTable("blue.png", [](int, int) { return qRgb(0, 0, 255); });
    editor->ImageWindow = child;
    editor->LUTFileName = blue;
    editor->show();
    editor->SetTypeFromView(ivFalseColour);
    editor->ApplyMaxMinToAll(0.5, 0.5);
    const QString test = testenv::ProgramDir() + "temp/test.png";
    editor->PreviewBtnClick();
    EXPECT_EQ(child->View, ivFalseColour);
    ASSERT_TRUE(QFile::exists(test));
    EXPECT_EQ(QColor(QImage(test).pixel(50, 50)), QColor(0, 0, 128));
    const QImage previewed = child->DisplayBitmap;
    // The same view rendered from a copy of the preview file, and from the
    // table as it was saved.
    const QString copy = TablePath("copy.png");
    ASSERT_TRUE(QFile::copy(test, copy));
    chooser->SetLUTFileName(ivFalseColour, copy);
    ASSERT_TRUE(child->ShowView(ivFalseColour, vfForce));
    EXPECT_EQ(child->DisplayBitmap, previewed) << "rendered with the edited table";
    chooser->SetLUTFileName(ivFalseColour, blue);
    ASSERT_TRUE(child->ShowView(ivFalseColour, vfForce));
    EXPECT_NE(child->DisplayBitmap, previewed);
    EXPECT_EQ(editor->LUTFileName, blue) << "the preview file is a copy";
    EXPECT_TRUE(editor->Flags & leModified);

    editor->SetTypeFromView(8);
    EXPECT_EQ(editor->ImageTypeCb->currentText(), "IR False Colour");
    {
        ModalCatcher boxes;
        editor->PreviewBtn->click();
        EXPECT_EQ(boxes.Texts, QStringList{"Not Supported in this version!"});
        EXPECT_EQ(boxes.Captions, QStringList{"Info"});
    }
    EXPECT_EQ(child->View, ivFalseColour);
    ModalCatcher boxes(QMessageBox::No);
    editor->CloseClick();
}

TEST_F(LUTEditorOnAPass, SaveAsPutsTheNameIntoTheChoosersRowOfTheType)
{
    form->ColorLookUpTableEditor1->trigger();
    ASSERT_EQ(editor->ImageTypeCb->currentText(), "False Colour (sensor 2,4)");
    editor->pbMouseDown(150);
    editor->tb1->setValue(45);
    editor->ApplyBtn->click();
    const QString saved = TablePath("mine.png");
    ModalAnswer<TOpenMagickImageDlg>* answer = nullptr;
    AnswerFileDialog(answer, saved);
    EXPECT_TRUE(editor->SaveAsClick());
    delete answer;
    EXPECT_EQ(chooser->FC_24_ed->text(), saved);
    EXPECT_EQ(form->GetLUTFileName(ivFalseColourTemp), saved);
    editor->CloseClick();
}

TEST_F(LUTEditorOnAPass, TheChoosersEditButtonHandsTheRowOverAndTakesItBack)
{
    const QString saved = TablePath("edited.png");
    chooser->ImageWindow = child;
    int shown = 0;
    ModalAnswer<TLUTEdDlg> answer([&](TLUTEdDlg* dialog) {
        ++shown;
        EXPECT_EQ(dialog->LUTFileName, chooser->IR_ExtremeLowTemps_ed->text());
        EXPECT_EQ(dialog->ImageTypeCb->currentText(), "IR Extreme Low Temperatures") << "the row's type";
        EXPECT_EQ(dialog->ImageWindow, child);
        dialog->ApplyMaxMinToAll(0.9, 0.3);
        ModalAnswer<TOpenMagickImageDlg>* files = nullptr;
        AnswerFileDialog(files, saved);
        dialog->SaveAsClick();
        delete files;
        dialog->CloseBtn->click();
    });
    chooser->EditLUTBtn[3]->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(chooser->IR_ExtremeLowTemps_ed->text(), saved);
    EXPECT_EQ(chooser->MagickImage->FileName(), saved);
}
