// Effect > Median filter and Reduce noise on a real decoded recording: the
// same pixels as MagickCore's StatisticImage at every radius of the menu, and
// a typed radius too large to finish soon is refused with a box saying why.
#include "../ImageFixtures.h"
#include "ModalAnswer.h"
#include "PictureSamples.h"
#include "ThreadTestSupport.h"
#include "imaging/NeighbourhoodStatistic.h"
#include "imaging/ui/MDIChild.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <gtest/gtest.h>

TEST(NoiseFilters, EveryMenuRadiusGivesTheLibrarysPixelsOnADecodedRecording)
{
    const QString recording = testenv::SharedDataPath("apt/weak-11025-s16.wav");
    if (recording.isEmpty())
        SKIP_MISSING("apt/weak-11025-s16.wav not present");
    ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
    const QString path = testenv::ProgramDir() + "weak.wav";
    ASSERT_TRUE(QFile::copy(recording, path));
    TMDIChild child;
    child.show();
    ASSERT_TRUE(child.OpenFile(path));
    ASSERT_TRUE(threadtest::PumpUntil(
        [&] {
            QApplication::processEvents();
            return child.IsEditable();
        },
        120000));
    ASSERT_TRUE(child.Image);
    ASSERT_GT(child.Image->rows, 10u) << "real decoded lines";
    const std::vector<unsigned short> original = Samples(child.Image.get());

    struct Case {
        const char* name;
        QAction* item;
        StatisticType type;
        size_t width;  // 2 x radius + 1
    };
    const Case cases[] = {
        {"reduce noise, radius 1", child.Less1, NonpeakStatistic, 3},
        {"reduce noise, radius 3", child.More1, NonpeakStatistic, 7},
        {"reduce noise, radius 5", child.Extreme1, NonpeakStatistic, 11},
        {"median, radius 1", child.Less2, MedianStatistic, 3},
        {"median, radius 3", child.More2, MedianStatistic, 7},
        {"median, radius 5", child.Extreme2, MedianStatistic, 11},
    };
    MagickExceptionPtr exception(AcquireExceptionInfo());
    ModalCatcher boxes;
    for (const Case& c : cases) {
        const MagickImagePtr expected(StatisticImage(child.Image.get(), c.type, c.width, c.width, exception.get()));
        ASSERT_TRUE(expected) << c.name;
        c.item->trigger();
        ASSERT_EQ(child.UndoList.Count, 1) << c.name;
        const std::vector<unsigned short> filtered = Samples(child.Image.get());
        EXPECT_FALSE(filtered == original) << c.name << " changed nothing";
        EXPECT_TRUE(filtered == Samples(expected.get())) << c.name;
        child.UndoClick();
        ASSERT_TRUE(Samples(child.Image.get()) == original) << c.name;
    }
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Texts.join(",").toStdString();
}

TEST(NoiseFilters, ATypedRadiusThatWouldTakeTooLongIsRefusedWithABoxSayingWhy)
{
    // The time grows with pixels x width: a picture of 600 x 400 may take a
    // far wider window than a pass, but not radius 1000.
    ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
    const QString path = testenv::ProgramDir() + "wide.png";
    ASSERT_TRUE(fixtures::WriteImage(path, 600, 400));
    TMDIChild child;
    child.show();
    ASSERT_TRUE(child.OpenFile(path));
    const size_t quickest = LargestQuickWidth(600, 400);
    ASSERT_LT(quickest, 2u * 600 + 1) << "radius 1000 must be beyond it";
    EXPECT_EQ(LargestQuickWidth(2080, 1800), 51u) << "a 15-minute pass goes to radius 25";

    struct Case {
        const char* name;
        const char* typed;
        bool refused;
    };
    const Case cases[] = {{"radius 2 runs as typed", "2", false}, {"radius 1000 is refused", "1000", true}};
    for (const Case& c : cases) {
        ModalAnswer<QInputDialog> answer([&](QInputDialog* box) {
            box->setTextValue(c.typed);
            box->accept();
        });
        ModalCatcher boxes;
        child.Define3->trigger();
        ASSERT_EQ(answer.Count, 1) << c.name;
        EXPECT_EQ(child.UndoList.Count, c.refused ? 0 : 1) << c.name;
        if (c.refused) {
            ASSERT_EQ(boxes.Captions.size(), 1) << c.name;
            EXPECT_EQ(boxes.Captions[0], "Radius too large");
            EXPECT_EQ(boxes.Texts[0].toStdString(),
                      QString("A radius of 1000 takes too long on a picture of 600 x 400 pixels.\n"
                              "The largest radius that finishes within a few seconds is %1.")
                          .arg(static_cast<double>(quickest - 1) / 2)
                          .toStdString());
        } else {
            EXPECT_TRUE(boxes.Captions.isEmpty()) << c.name;
        }
        if (!c.refused)
            child.UndoClick();
    }
}
