#include "../ImageFixtures.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "PictureSamples.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/ModulateDlg.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <clocale>
#include <gtest/gtest.h>

namespace {

QPushButton* Button(TModulateDlg* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(name);
}

// What the dialog's values do to a picture, applied straight through MagickCore.
std::vector<unsigned short> Modulated(const Image* image, const char* modulation, const char* gamma)
{
    MagickExceptionPtr exception(AcquireExceptionInfo());
    MagickImagePtr copy(CloneImage(image, 0, 0, MagickTrue, exception.get()));
    EXPECT_TRUE(ModulateImage(copy.get(), modulation));
    EXPECT_TRUE(GammaImage(copy.get(), gamma));
    return Samples(copy.get());
}

// A picture of one grey, 16 bits a sample.
MagickImagePtr GreyPicture(unsigned short grey)
{
    const std::vector<unsigned short> samples(8 * 6 * 3, grey);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    return MagickImagePtr(ConstituteImage(8, 6, "RGB", ShortPixel, samples.data(), exception.get()));
}

class ModulateCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
        const QString path = testenv::ProgramDir() + "picture.png";
        ASSERT_TRUE(fixtures::WriteImage(path, 40, 30));
        child.resize(300, 200);
        child.show();
        ASSERT_TRUE(child.OpenFile(path));
        original = Samples(child.Image.get());
        shown = child.DisplayBitmap;
    }

    // Runs the command with the dialog handled by act, which closes it.
    void Modulate(const std::function<void(TModulateDlg*)>& act)
    {
        ModalAnswer<TModulateDlg> answer(act);
        child.Modulateandgammacorrect1->trigger();
        EXPECT_EQ(answer.Count, 1);
    }

    static void Choose(TModulateDlg* d)
    {
        d->Brightness->setValue(130);
        d->Saturation->setValue(70);
        d->Hue->setValue(90);
        d->Gamma->setValue(30);
    }

    TMDIChild child;
    std::vector<unsigned short> original;
    QImage shown;
};

}  // namespace

TEST_F(ModulateCommand, OkAppliesTheValuesAsOneStepAndUntouchedChangesNothing)
{
    Modulate([](TModulateDlg* d) {
        EXPECT_EQ(d->BrightnessLabel->text(), "100%");
        EXPECT_EQ(d->GammaLabel->text(), "1.00");
        EXPECT_FALSE(d->Changed);
        d->accept();
    });
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_FALSE(child.Flags & mcModified);

    const std::vector<unsigned short> expected = Modulated(child.Image.get(), "130,70,90", "1.50,1.50,1.50");
    Modulate([](TModulateDlg* d) {
        Choose(d);
        EXPECT_EQ(d->GammaLabel->text(), "1.50");
        EXPECT_EQ(d->SaturationLabel->text(), "70%");
        d->accept();
    });
    ASSERT_EQ(child.UndoList.Count, 1);
    EXPECT_EQ(child.Undo->text(), "Modulate Image");
    EXPECT_TRUE(Samples(child.Image.get()) == expected);
    child.Undo->trigger();
    EXPECT_TRUE(Samples(child.Image.get()) == original);
}

TEST_F(ModulateCommand, APreviewShowsInTheWindowAndCancelTakesItBack)
{
    Modulate([this](TModulateDlg* d) {
        d->Brightness->setValue(160);
        d->PreviewBtn->click();
        EXPECT_TRUE(d->Changed);
        EXPECT_NE(child.DisplayBitmap, shown) << "the preview is on screen";
        EXPECT_TRUE(Samples(child.Image.get()) == original) << "the picture itself is unchanged";
        d->reject();
    });
    EXPECT_EQ(child.DisplayBitmap, shown);
    EXPECT_EQ(child.UndoList.Count, 0);
}

TEST_F(ModulateCommand, OptionTextsStayInTheCLocale)
{
    const std::vector<unsigned short> expected = Modulated(child.Image.get(), "130,70,90", "1.50,1.50,1.50");
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        SKIP_MISSING("de_DE.UTF-8 locale not installed");
    Modulate([](TModulateDlg* d) {
        Choose(d);
        d->accept();
    });
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(child.UndoList.Count, 1);
    EXPECT_TRUE(Samples(child.Image.get()) == expected) << "gamma 1.50 read with its point";
}

TEST_F(ModulateCommand, AModulationThatFailsIsNoSuccessEvenWhenTheGammaStepWorks)
{
    const MagickSizeType limit = GetMagickResourceLimit(WidthResource);
    ModalCatcher boxes;
    Modulate([](TModulateDlg* d) {
        // The gamma stays 1.00, a step that needs no pixels; the modulation
        // cannot get the copy's pixels under this limit.
        d->Brightness->setValue(150);
        SetMagickResourceLimit(WidthResource, 10);
        d->accept();
    });
    SetMagickResourceLimit(WidthResource, limit);
    EXPECT_EQ(boxes.Texts, QStringList({"Failed to modulate image!"}));
    EXPECT_EQ(boxes.Captions, QStringList({"Error"}));
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_FALSE(child.Flags & mcModified);
    EXPECT_TRUE(Samples(child.Image.get()) == original);
}

TEST_F(ModulateCommand, AShownDialogIsOnlyRaised)
{
    Modulate([](TModulateDlg* d) { d->reject(); });
    ASSERT_NE(ModulateDlg, nullptr);
    ModulateDlg->show();  // open, not modal
    ModalAnswer<TModulateDlg> answer([](TModulateDlg* d) { d->reject(); });
    child.Modulateandgammacorrect1->trigger();
    EXPECT_EQ(answer.Count, 0);
    EXPECT_TRUE(ModulateDlg->isVisible());
    ModulateDlg->hide();
}

TEST_F(ModulateCommand, AnalyzeProposesBrightnessAndSaturationFromThePicture)
{
    struct Case {
        const char* name;
        unsigned short grey;
        int brightness;
    };
    const Case cases[] = {
        {"all white", 65535, 200},  // 255, held at the bar's end
        {"mid-grey", 32768, 127},   // lightness 0.5
    };
    TModulateDlg dialog;
    dialog.ImageWindow = &child;
    for (const Case& c : cases) {
        ASSERT_TRUE(child.PushUndo(GreyPicture(c.grey), "Undo Test")) << c.name;
        dialog.show();
        Button(&dialog, "AnalyzeImageBtn")->click();
        EXPECT_EQ(dialog.Brightness->value(), c.brightness) << c.name;
        EXPECT_EQ(dialog.Saturation->value(), 0) << c.name;
        EXPECT_EQ(dialog.Hue->value(), 100) << c.name;
        EXPECT_TRUE(dialog.Changed) << c.name;
        dialog.hide();
    }
    THSLStatistics statistics;
    ASSERT_TRUE(TModulateDlg::AnalyzeHSL(child.Image.get(), statistics));
    EXPECT_NEAR(statistics.MeanLightness, 127.5, 0.01);
    EXPECT_NEAR(statistics.LightnessDeviation, 0.0, 1e-3);
}

TEST(ModulateDefaults, GetAndSetRoundTripTheSettings)
{
    std::unique_ptr<TMainForm> form = MakeMainForm();
    TSetting& settings = *form->Settings;
    TModulateDlg dialog;
    dialog.show();
    QPushButton* get = Button(&dialog, "GetDefaultsBtn");
    QPushButton* set = Button(&dialog, "SetDefaultBtn");

    struct Case {
        double gamma;
        int position;
        const char* label;
    };
    const Case cases[] = {{1.0, 20, "1.00"}, {1.15, 23, "1.15"}, {2.25, 45, "2.25"}, {5.0, 100, "5.00"}};
    for (const Case& c : cases) {
        settings.Gamma = c.gamma;
        settings.Brightness = 130;
        settings.Saturation = 180;
        settings.Hue = 100;
        dialog.Brightness->setValue(10);
        get->click();
        EXPECT_EQ(dialog.Gamma->value(), c.position) << c.gamma;
        EXPECT_EQ(dialog.GammaLabel->text(), c.label) << c.gamma;
        EXPECT_EQ(dialog.Brightness->value(), 130);
        EXPECT_EQ(dialog.Saturation->value(), 180);
        EXPECT_FALSE(dialog.Changed) << "loaded defaults are not applied by OK alone";
        // Back into the settings unchanged: no creep from one round to the next.
        set->click();
        EXPECT_DOUBLE_EQ(settings.Gamma, c.gamma);
    }
    settings.Brightness = 400;
    get->click();
    EXPECT_EQ(dialog.Brightness->value(), 200) << "the bar holds at its end";

    // A bar at 0 leaves its setting as stored; the gamma bar's end is 5.0.
    settings.Brightness = 130;
    settings.Gamma = 1.15;
    dialog.Brightness->setValue(0);
    dialog.Gamma->setValue(0);
    set->click();
    EXPECT_EQ(settings.Brightness, 130);
    EXPECT_DOUBLE_EQ(settings.Gamma, 1.15);
    dialog.Gamma->setValue(100);
    dialog.Saturation->setValue(55);
    set->click();
    EXPECT_DOUBLE_EQ(settings.Gamma, 5.0);
    EXPECT_EQ(settings.Saturation, 55);
}
