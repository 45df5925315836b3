#include "../ImageFixtures.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "PictureSamples.h"
#include "imaging/ui/MDIChild.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QRubberBand>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// An asymmetric picture with some grain, so that every filter has
// something to change.
std::uint32_t Grainy(int x, int y)
{
    const std::uint32_t noise = (static_cast<std::uint32_t>(x * 7919 + y * 104729) * 2654435761u) >> 27;
    return fixtures::Pattern(x, y) + ((x + y) % 5 == 0 ? noise * 0x010101u : 0);
}

class ImageOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
        const QString path = testenv::ProgramDir() + "grainy.png";
        ASSERT_TRUE(fixtures::WriteImage(path, kWidth, kHeight, Grainy));
        child.resize(300, 200);
        child.show();
        ASSERT_TRUE(child.OpenFile(path));
        original = Samples(child.Image.get());
    }

    void Drag(QPoint from, QPoint to)
    {
        auto send = [this](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, child.pb->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(child.pb, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        if (to != from)
            send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    TMDIChild child;
    std::vector<unsigned short> original;
};

}  // namespace

TEST_F(ImageOps, TwentyTwoFlipsKeepTwentyOneStepsAndUndoingThemAllNeedsNoSave)
{
    EXPECT_FALSE(child.Undo->isEnabled());
    child.Flip1->trigger();
    const std::vector<unsigned short> afterFirst = Samples(child.Image.get());
    EXPECT_TRUE(child.Flags & mcModified);
    EXPECT_EQ(child.Undo->text(), "Undo Flip");
    EXPECT_TRUE(child.Undo->isEnabled());
    EXPECT_TRUE(child.Clearundolist->isEnabled());
    for (int i = 1; i < 22; ++i)
        child.Flip1->trigger();
    EXPECT_EQ(child.UndoList.Count, 21);

    for (int i = 0; i < 21; ++i)
        child.Undo->trigger();
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_TRUE(Samples(child.Image.get()) == afterFirst) << "the picture after the first flip, byte for byte";
    EXPECT_FALSE(child.Undo->isEnabled());
    EXPECT_EQ(child.Undo->text(), "Undo");
    EXPECT_FALSE(child.Flags & mcModified);
    // The display follows the picture.
    EXPECT_EQ(child.DisplayBitmap.pixel(3, 0) & 0xFFFFFF, Colour(child.Image.get(), 3, 0));

    ModalCatcher boxes;
    EXPECT_TRUE(child.close());
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Captions.join(",").toStdString();
}

TEST_F(ImageOps, ClearingTheStackDropsEveryStepAndTheModifiedMark)
{
    child.Flop1->trigger();
    child.Flop1->trigger();
    ASSERT_EQ(child.UndoList.Count, 2);
    const std::vector<unsigned short> current = Samples(child.Image.get());
    child.Clearundolist->trigger();
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_FALSE(child.Flags & mcModified);
    EXPECT_FALSE(child.Undo->isEnabled());
    EXPECT_FALSE(child.Clearundolist->isEnabled());
    EXPECT_TRUE(Samples(child.Image.get()) == current) << "clearing keeps the picture shown";
}

TEST_F(ImageOps, TransformsGiveExactSizesAndPixelPositions)
{
    struct Case {
        const char* name;
        std::function<void()> run;
        int width, height;
        // Where the new picture's pixel (x, y) came from.
        std::function<QPoint(int x, int y)> source;
        const char* undoCaption;
    };
    const Case cases[] = {
        {"flip", [&] { child.Flip1->trigger(); }, kWidth, kHeight,
         [](int x, int y) { return QPoint(x, kHeight - 1 - y); }, "Undo Flip"},
        {"flop", [&] { child.Flop1->trigger(); }, kWidth, kHeight,
         [](int x, int y) { return QPoint(kWidth - 1 - x, y); }, "Undo Flop"},
        {"rotate 90", [&] { child.N901->trigger(); }, kHeight, kWidth,
         [](int x, int y) { return QPoint(y, kHeight - 1 - x); }, "Undo Rotate"},
        {"rotate 180", [&] { child.N1801->trigger(); }, kWidth, kHeight,
         [](int x, int y) { return QPoint(kWidth - 1 - x, kHeight - 1 - y); }, "Undo Rotate"},
        {"crop by the band", [&] {
             child.Chop1->trigger();
             Drag(QPoint(25, 19), QPoint(5, 4));
         },
         20, 15, [](int x, int y) { return QPoint(x + 5, y + 4); }, "Chop"},
        {"crop to beyond the left and top edges", [&] {
             child.Chop1->trigger();
             Drag(QPoint(12, 9), QPoint(-30, -8));
         },
         12, 9, [](int x, int y) { return QPoint(x, y); }, "Chop"},
    };
    MagickExceptionPtr exception(AcquireExceptionInfo());
    const MagickImagePtr before(CloneImage(child.Image.get(), 0, 0, MagickTrue, exception.get()));
    for (const Case& c : cases) {
        c.run();
        ASSERT_EQ(child.UndoList.Count, 1) << c.name;
        EXPECT_EQ(static_cast<int>(child.Image->columns), c.width) << c.name;
        EXPECT_EQ(static_cast<int>(child.Image->rows), c.height) << c.name;
        EXPECT_EQ(child.pb->size(), QSize(c.width, c.height)) << c.name << ": the scroll ranges follow";
        EXPECT_EQ(child.Undo->text(), c.undoCaption) << c.name;
        for (const QPoint at : {QPoint(0, 0), QPoint(c.width - 1, 0), QPoint(3, c.height - 2)}) {
            const QPoint from = c.source(at.x(), at.y());
            EXPECT_EQ(Colour(child.Image.get(), at.x(), at.y()), Colour(before.get(), from.x(), from.y()))
                << c.name << " at " << at.x() << "," << at.y();
        }
        child.Undo->trigger();
        EXPECT_TRUE(Samples(child.Image.get()) == original) << c.name << ": undo restores it";
        EXPECT_EQ(child.pb->size(), QSize(kWidth, kHeight)) << c.name;
    }
    EXPECT_EQ(child.ChopState, -1) << "a crop disarms itself";
}

TEST_F(ImageOps, TheBandCropsOnlyAfterChopAndOnlyWhenDrawn)
{
    // Without "Chop" the band selects and crops nothing.
    Drag(QPoint(2, 2), QPoint(20, 20));
    EXPECT_EQ(child.UndoList.Count, 0);

    // While dragged the band is on screen over the selection.
    child.Chop1->trigger();
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(4, 4), child.pb->mapToGlobal(QPoint(4, 4)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(child.pb, &press);
    QMouseEvent move(QEvent::MouseMove, QPoint(60, 14), child.pb->mapToGlobal(QPoint(60, 14)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(child.pb, &move);
    auto* band = child.pb->findChild<QRubberBand*>();
    ASSERT_NE(band, nullptr);
    EXPECT_TRUE(band->isVisible());
    EXPECT_EQ(band->geometry(), QRect(4, 4, kWidth - 4, 10)) << "held at the image's right edge";
    // A second press drops the band without cropping.
    QApplication::sendEvent(child.pb, &press);
    EXPECT_FALSE(band->isVisible());
    EXPECT_FALSE(child.Flags & mcRubberBand);

    // A click without moving draws nothing and crops nothing, and disarms.
    child.Chop1->trigger();
    ASSERT_EQ(child.ChopState, 0);
    Drag(QPoint(10, 10), QPoint(10, 10));
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_EQ(child.ChopState, -1);
    Drag(QPoint(2, 2), QPoint(20, 20));
    EXPECT_EQ(child.UndoList.Count, 0) << "disarmed after the click";
}

TEST_F(ImageOps, ACroppedPictureIsSavedWithoutAPageOffset)
{
    child.Chop1->trigger();
    Drag(QPoint(6, 4), QPoint(26, 18));
    ASSERT_EQ(child.UndoList.Count, 1);
    ASSERT_EQ(child.Image->columns, 20u);
    const QString path = testenv::ProgramDir() + "cropped.png";
    ASSERT_TRUE(child.SaveFile(path));

    // Viewers place a picture by its page: a leftover canvas and offset of
    // the crop would show the saved picture shifted.
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    CopyMagickString(info->filename, QFile::encodeName(path).constData(), MaxTextExtent);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    const MagickImagePtr saved(ReadImage(info.get(), exception.get()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->columns, 20u);
    EXPECT_EQ(saved->rows, 14u);
    EXPECT_EQ(saved->page.x, 0);
    EXPECT_EQ(saved->page.y, 0);
    EXPECT_TRUE(saved->page.width == 0 || saved->page.width == 20u) << saved->page.width;
    EXPECT_TRUE(saved->page.height == 0 || saved->page.height == 14u) << saved->page.height;
}

TEST_F(ImageOps, FiltersChangeThePictureAndUndoRestoresItExactly)
{
    struct Case {
        const char* name;
        QAction* item;
        const char* undoCaption;
    };
    const Case cases[] = {
        {"normalize", child.Normalize1, "Undo Normalize"},
        {"equalize", child.Equalize1, "Undo Equalize"},
        {"increase contrast", child.Increase1, "Undo Increase Contast"},
        {"decrease contrast", child.Decrease1, "Undo Decrease Contast"},
        {"reduce noise, less", child.Less1, "Reduce noise"},
        {"reduce noise, more", child.More1, "Reduce noise"},
        {"reduce noise, extreme", child.Extreme1, "Reduce noise"},
        {"median, less", child.Less2, "Undo Median filter"},
        {"median, more", child.More2, "Undo Median filter"},
        {"median, extreme", child.Extreme2, "Undo Median filter"},
        {"enhance", child.Enhance2, "Undo Enhance"},
        {"despeckle", child.Despeckle1, "Undo Despeckle"},
        {"emboss", child.Emboss1, "Undo Emboss"},
        {"sharpen", child.Sharpen1, "Undo Sharpen"},
        {"find edges", child.Findedges1, "Undo Find Edges"},
    };
    ModalCatcher boxes;
    std::vector<std::vector<unsigned short>> results;
    for (const Case& c : cases) {
        c.item->trigger();
        ASSERT_EQ(child.UndoList.Count, 1) << c.name;
        EXPECT_EQ(child.Undo->text(), c.undoCaption) << c.name;
        const std::vector<unsigned short> changed = Samples(child.Image.get());
        EXPECT_FALSE(changed == original) << c.name << " changed nothing";
        results.push_back(changed);
        child.Undo->trigger();
        EXPECT_TRUE(Samples(child.Image.get()) == original) << c.name;
    }
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Texts.join(",").toStdString();
    EXPECT_FALSE(results[4] == results[6]) << "the radius of the item counts";
    EXPECT_FALSE(results[7] == results[9]) << "the radius of the item counts";
}

TEST_F(ImageOps, UserDefinedValuesAreAskedForAndCheckedFirst)
{
    struct Case {
        const char* name;
        QAction* item;
        const char* answer;  // null cancels
        bool pushed;
        int width;
    };
    const Case cases[] = {
        {"rotate by 0", child.Define1, "0", false, kWidth},
        {"rotate by 360", child.Define1, "360", false, kWidth},
        {"rotate by no number", child.Define1, "thirty", false, kWidth},
        {"rotate cancelled", child.Define1, nullptr, false, kWidth},
        {"rotate by 30", child.Define1, "30", true, 0},
        {"rotate by 90.0", child.Define1, " 90.0 ", true, kHeight},
        {"reduce noise, radius 2", child.Define2, "2", true, kWidth},
        {"reduce noise cancelled", child.Define2, nullptr, false, kWidth},
        {"median, radius 2", child.Define3, "2", true, kWidth},
    };
    for (const Case& c : cases) {
        QString label, proposal, caption;
        ModalAnswer<QInputDialog> answer([&](QInputDialog* box) {
            caption = box->windowTitle();
            label = box->labelText();
            proposal = box->textValue();
            if (c.answer) {
                box->setTextValue(c.answer);
                box->accept();
            } else {
                box->reject();
            }
        });
        ModalCatcher boxes;
        c.item->trigger();
        EXPECT_EQ(answer.Count, 1) << c.name;
        EXPECT_EQ(caption, "Userdefined value ") << c.name;
        EXPECT_EQ(child.UndoList.Count, c.pushed ? 1 : 0) << c.name;
        EXPECT_TRUE(boxes.Captions.isEmpty()) << c.name;
        if (c.item == child.Define1) {
            EXPECT_EQ(label, "Specify the number of degrees to rotate the image:") << c.name;
            EXPECT_EQ(proposal, "30") << c.name;
        } else {
            EXPECT_EQ(label, "Enter radius of the pixel neighborhood:") << c.name;
            EXPECT_EQ(proposal, "") << c.name;
        }
        if (c.width > 0)
            EXPECT_EQ(static_cast<int>(child.Image->columns), c.width) << c.name;
        else
            EXPECT_GT(static_cast<int>(child.Image->columns), kWidth) << c.name << ": a rotated picture is wider";
        if (c.pushed)
            child.Undo->trigger();
    }
}

TEST_F(ImageOps, ANegativeRadiusRunsAsZero)
{
    MagickExceptionPtr exception(AcquireExceptionInfo());
    const MagickImagePtr expected(StatisticImage(child.Image.get(), NonpeakStatistic, 0, 0, exception.get()));
    ASSERT_TRUE(expected);
    ModalAnswer<QInputDialog> answer([](QInputDialog* box) {
        box->setTextValue("-3");
        box->accept();
    });
    child.Define2->trigger();
    ASSERT_EQ(child.UndoList.Count, 1);
    EXPECT_TRUE(Samples(child.Image.get()) == Samples(expected.get()));
}

TEST_F(ImageOps, AFailingFlipIsReportedAtOnceAndChangesNothing)
{
    const MagickSizeType limit = GetMagickResourceLimit(WidthResource);
    SetMagickResourceLimit(WidthResource, 10);
    ModalCatcher boxes;
    child.Flip1->trigger();
    child.Flop1->trigger();
    SetMagickResourceLimit(WidthResource, limit);
    EXPECT_EQ(boxes.Captions, QStringList({"Error", "Error"}));
    EXPECT_TRUE(boxes.Texts.value(0).contains("width or height exceeds limit")) << boxes.Texts.join("|").toStdString();
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_FALSE(child.Flags & mcModified);
    EXPECT_TRUE(Samples(child.Image.get()) == original);
}

TEST_F(ImageOps, APushWhosePictureCannotBeShownStillMarksTheImageModified)
{
    ImageInfo* info = CloneImageInfo(nullptr);
    MagickImagePtr empty(AcquireImage(info));  // no pixels: nothing to show
    DestroyImageInfo(info);
    {
        ModalCatcher boxes;
        EXPECT_FALSE(child.PushUndo(std::move(empty), "Undo Test"));
    }
    EXPECT_EQ(child.UndoList.Count, 1);
    EXPECT_TRUE(child.Flags & mcModified);
    ModalCatcher answers(QMessageBox::No);
    EXPECT_TRUE(child.close());
    EXPECT_EQ(answers.Captions, QStringList({"File needs to be saved. Save?"}));
}

TEST_F(ImageOps, CommandsWaitForAnEditableWindow)
{
    child.APT->StopFlags = 1;  // a decoding that was stopped
    child.Flip1->trigger();
    child.Chop1->trigger();
    EXPECT_EQ(child.UndoList.Count, 0);
    EXPECT_EQ(child.ChopState, -1);
    child.APT->StopFlags = 0;
    child.Flip1->trigger();
    child.APT->StopFlags = 1;
    child.Undo->trigger();
    EXPECT_EQ(child.UndoList.Count, 1);
}

TEST(ImageOpsInMainWindow, TheToolBarUndoFollowsTheActiveWindowsStack)
{
    std::unique_ptr<TMainForm> form = MakeMainForm();
    const QString path = testenv::ProgramDir() + "pattern.png";
    ASSERT_TRUE(fixtures::WriteImage(path, kWidth, kHeight));
    TMDIChild* first = form->CreateMDIChild(path, 0);
    ASSERT_NE(first, nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(form->UndoBtn->isEnabled());
    first->Flip1->trigger();
    EXPECT_TRUE(form->UndoBtn->isEnabled());
    EXPECT_EQ(form->UndoBtn->toolTip(), "Undo Flip");
    EXPECT_TRUE(form->FileSave1->isEnabled()) << "a changed picture can be saved";

    // Another window with nothing to undo takes the button over.
    TMDIChild* second = form->CreateMDIChild(path, 0);
    ASSERT_NE(second, nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(form->UndoBtn->isEnabled());
    form->MDIArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    QApplication::processEvents();
    ASSERT_TRUE(form->UndoBtn->isEnabled());
    form->UndoBtn->trigger();
    EXPECT_EQ(first->UndoList.Count, 0);
    EXPECT_FALSE(form->UndoBtn->isEnabled());
    EXPECT_EQ(form->UndoBtn->toolTip(), "Undo");
    EXPECT_FALSE(first->Flags & mcModified);
}
