#include "../ImageFixtures.h"
#include "ModalAnswer.h"
#include "PictureSamples.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/ResizeDlg.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Types into a field as a user does, replacing what it held.
void Type(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
}

double MeanBrightness(const Image* image)
{
    double mean = 0, deviation = 0;
    MagickExceptionPtr exception(AcquireExceptionInfo());
    GetImageChannelMean(image, DefaultChannels, &mean, &deviation, exception.get());
    return mean;
}

// An image window holding a width x height picture.
class ResizeCommand : public ::testing::Test {
protected:
    void Open(int width, int height)
    {
        ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
        const QString path = testenv::ProgramDir() + "picture.png";
        ASSERT_TRUE(fixtures::WriteImage(path, width, height));
        child.resize(300, 200);
        child.show();
        ASSERT_TRUE(child.OpenFile(path));
    }

    // Runs "Resize..." with the dialog filled in by fill and closed with OK.
    void Resize(const std::function<void(TResizeDlg*)>& fill)
    {
        ModalAnswer<TResizeDlg> answer([&](TResizeDlg* dialog) {
            fill(dialog);
            dialog->accept();
        });
        child.Resize1->trigger();
        EXPECT_EQ(answer.Count, 1);
    }

    TMDIChild child;
};

}  // namespace

TEST(ResizeDialog, PixelsAndPercentagesFollowEachOtherWithTheAspectKept)
{
    TResizeDlg dialog;
    dialog.OrigWidth = 800;
    dialog.OrigHeight = 600;
    dialog.show();
    EXPECT_EQ(dialog.AspectLabel->text(), "1.33333");
    EXPECT_EQ(dialog.SizeLabel->text(), "800 x 600");
    EXPECT_EQ(dialog.IWidth->text(), "800");
    EXPECT_EQ(dialog.IHeight->text(), "600");
    EXPECT_FALSE(dialog.Flags & rdSizeEntered);

    Type(dialog.IWidth, "400");
    EXPECT_EQ(dialog.IHeight->text(), "300");
    EXPECT_EQ(dialog.NewSizeLabel->text(), "400 x 300");
    EXPECT_TRUE(dialog.Flags & rdSizeEntered);

    dialog.Percentage->click();
    EXPECT_EQ(dialog.IWidth->text(), "50");
    EXPECT_EQ(dialog.IHeight->text(), "50");
    EXPECT_EQ(dialog.NewSizeLabel->text(), "400 x 300") << "the size shown is unchanged";
    dialog.Percentage->click();
    EXPECT_EQ(dialog.IWidth->text(), "50") << "clicking the mode already set converts nothing";
    dialog.PixelSize->click();
    EXPECT_EQ(dialog.IWidth->text(), "400");
    EXPECT_EQ(dialog.IHeight->text(), "300");

    // Typing the height derives the width; without the aspect box neither
    // field follows the other.
    Type(dialog.IHeight, "150");
    EXPECT_EQ(dialog.IWidth->text(), "200");
    dialog.MaintainAspect->setChecked(false);
    Type(dialog.IWidth, "640");
    EXPECT_EQ(dialog.IHeight->text(), "150");
    EXPECT_EQ(dialog.NewSizeLabel->text(), "640 x 150");
    dialog.hide();

    // Shown again, both fields start from the picture's size, the aspect
    // box or not, and no size counts as typed.
    dialog.show();
    EXPECT_EQ(dialog.IWidth->text(), "800");
    EXPECT_EQ(dialog.IHeight->text(), "600");
    EXPECT_FALSE(dialog.Flags & rdSizeEntered);
    dialog.Percentage->click();
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.IWidth->text(), "100") << "the mode carries over";
    EXPECT_EQ(dialog.IHeight->text(), "100");
}

TEST(ResizeDialog, OkNeedsAWidthAndAHeight)
{
    struct Case {
        const char* name;
        const char* width;
        const char* height;
        const char* message;  // null: the dialog closes
    };
    const Case cases[] = {
        {"no width", "0", "10", "Missing image width!"},
        {"width without digits", "wide", "10", "Missing image width!"},
        {"negative height", "10", "-4", "Missing image height!"},
        {"both given", "10", "12", nullptr},
    };
    TResizeDlg dialog;
    dialog.OrigWidth = 40;
    dialog.OrigHeight = 30;
    dialog.MaintainAspect->setChecked(false);
    for (const Case& c : cases) {
        dialog.show();
        dialog.IWidth->setText(c.width);
        dialog.IHeight->setText(c.height);
        ModalCatcher boxes;
        dialog.accept();
        if (c.message) {
            EXPECT_EQ(boxes.Texts, QStringList({c.message})) << c.name;
            EXPECT_EQ(boxes.Captions, QStringList({"Error"})) << c.name;
            EXPECT_TRUE(dialog.isVisible()) << c.name << ": the dialog stays open";
        } else {
            EXPECT_TRUE(boxes.Texts.isEmpty()) << c.name;
            EXPECT_FALSE(dialog.isVisible()) << c.name;
        }
        dialog.hide();
    }
}

TEST_F(ResizeCommand, ResizesByPixelsAndPercentagesWithTheChosenFilter)
{
    Open(800, 600);
    const MagickImagePtr original(CloneImage(child.Image.get(), 0, 0, MagickTrue, child.Exception.get()));
    struct Case {
        const char* name;
        std::function<void(TResizeDlg*)> fill;
        int width, height;
    };
    const Case cases[] = {
        {"percent 150, aspect kept", [](TResizeDlg* d) {
             d->Percentage->click();
             Type(d->IWidth, "150");
         },
         1200, 900},
        {"percent 50 and 50", [](TResizeDlg* d) {
             d->Percentage->click();
             Type(d->IWidth, "50");
         },
         400, 300},
        {"pixels, aspect free", [](TResizeDlg* d) {
             d->PixelSize->click();
             d->MaintainAspect->setChecked(false);
             Type(d->IWidth, "123");
             Type(d->IHeight, "45");
         },
         123, 45},
    };
    for (const Case& c : cases) {
        Resize(c.fill);
        ASSERT_EQ(child.UndoList.Count, 1) << c.name;
        EXPECT_EQ(child.Undo->text(), "Undo Resize") << c.name;
        EXPECT_EQ(static_cast<int>(child.Image->columns), c.width) << c.name;
        EXPECT_EQ(static_cast<int>(child.Image->rows), c.height) << c.name;
        EXPECT_EQ(child.pb->size(), QSize(c.width, c.height)) << c.name;
        child.Undo->trigger();
    }

    // Item 12 is Lanczos; the dialog's blur of 0 resizes as the plain filter.
    Resize([](TResizeDlg* d) {
        d->PixelSize->click();
        d->MaintainAspect->setChecked(true);
        d->Filters->button(12)->click();
        Type(d->IWidth, "200");
    });
    ASSERT_EQ(child.UndoList.Count, 1);
    const MagickImagePtr lanczos(ResizeImage(original.get(), 200, 150, LanczosFilter, 1.0, child.Exception.get()));
    ASSERT_TRUE(lanczos);
    EXPECT_TRUE(Samples(lanczos.get()) == Samples(child.Image.get())) << "resized with Lanczos and blur 1";
    EXPECT_NEAR(MeanBrightness(child.Image.get()), MeanBrightness(original.get()), QuantumRange * 0.02)
        << "the default blur keeps the picture's brightness";
}

TEST_F(ResizeCommand, NothingIsResizedUnlessASizeWasTypedAndGivesPixels)
{
    Open(40, 30);
    // OK without typing, even with another filter chosen.
    Resize([](TResizeDlg* d) { d->Filters->button(0)->click(); });
    EXPECT_EQ(child.UndoList.Count, 0);

    ModalCatcher boxes;
    Resize([](TResizeDlg* d) {
        d->Percentage->click();
        Type(d->IWidth, "1");  // 0.4 pixels
    });
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_EQ(boxes.Texts, QStringList({"Zero width or height!"}));
    EXPECT_EQ(static_cast<int>(child.Image->columns), 40);
}

TEST_F(ResizeCommand, AShownDialogIsOnlyRaised)
{
    Open(40, 30);
    ModalAnswer<TResizeDlg> cancel([](TResizeDlg* d) { d->reject(); });
    child.Resize1->trigger();
    ASSERT_NE(ResizeDlg, nullptr);
    ResizeDlg->show();  // open but not modal
    const int answered = cancel.Count;
    child.Resize1->trigger();
    EXPECT_EQ(cancel.Count, answered) << "no second modal run";
    EXPECT_TRUE(ResizeDlg->isVisible());
    ResizeDlg->hide();
}
