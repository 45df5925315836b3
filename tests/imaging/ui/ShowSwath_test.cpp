// The image window's "Show Swath...": the window's pass in the swath viewer,
// shown modally, with the viewer's error boxes owned by the image window.
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "PassWindow.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/TinyVectorMap.h"
#include "maps/ui/SwathDrawWait.h"
#include "maps/ui/SwathForm.h"
#include "orbit/Satutil.h"
#include "support/ModalCatcher.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <gtest/gtest.h>

using namespace passwindow;

namespace {

class ShowSwath : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm();
        form->Station = {"Berlin", -13.4, 52.5, 40};
        form->SwathProps->MapType = 0;
        form->SwathProps->Projection = 16;
        mapDir = form->SwathProps->MapDir;
        // Whatever the program folder was given, the test decides which maps exist.
        QDir(mapDir).removeRecursively();
        child = AddPassWindow(*form);
        TSat pass = Noaa18Pass(false);
        ASSERT_TRUE(pass.PredictPass(&form->Station, DateTimeToDayNumber(EncodeDateTime(2021, 10, 31, 8)), 0));
        pass.WindowStart = pass.AOS;
        pass.WindowStop = pass.LOS;
        child->Pass = std::make_unique<TSat>(pass);
        child->FormActivate();
    }
    void TearDown() override
    {
        delete SwathForm;
        form.reset();
    }

    std::unique_ptr<TMainForm> form;
    TMDIChild* child = nullptr;
    QString mapDir;
};

}  // namespace

TEST_F(ShowSwath, OnlyADecodedPassWithItsSatellite)
{
    EXPECT_TRUE(child->ShowSwath1->isEnabled());
    child->Pass.reset();
    child->FormActivate();
    EXPECT_FALSE(child->ShowSwath1->isEnabled()) << "a recording without an identified pass";
    ModalCatcher boxes;
    child->ShowSwath1Click();
    EXPECT_TRUE(boxes.Captions.isEmpty());
    EXPECT_EQ(SwathForm, nullptr) << "no viewer for a window without a pass";
}

TEST_F(ShowSwath, WithoutMapFilesTheErrorBoxAndNoViewer)
{
    ModalCatcher boxes;
    child->ShowSwath1->trigger();
    ASSERT_EQ(boxes.Captions, QStringList{"Swath Viewer Error"});
    EXPECT_EQ(boxes.Texts, QStringList{"Map not found!"});
    ASSERT_NE(SwathForm, nullptr);
    EXPECT_FALSE(SwathForm->isVisible());
}

TEST_F(ShowSwath, TheViewerShowsThePassModally)
{
    WriteTinyVectorMap(mapDir);
    form->SwathProps->Projection = 11;
    bool shownModally = false;
    int swathPixels = 0;
    ModalAnswer<TSwathForm> viewer([&](TSwathForm* v) {
        shownModally = v->isModal();
        ASSERT_TRUE(WaitUntilDrawn(*v)) << "the map is drawn while the viewer is open";
        EXPECT_EQ(v->ProjCb->currentIndex(), 11) << "the settings' projection";
        ASSERT_TRUE(v->Map && v->Map->IsValid());
        EXPECT_EQ(v->Map->Projection, 11);
        EXPECT_NEAR(v->Sat->TCA, child->Pass->TCA, 1e-9) << "the window's pass";
        const QImage& map = *v->Map->Bitmap;
        for (int y = 0; y < map.height(); ++y)
            for (int x = 0; x < map.width(); ++x)
                swathPixels += map.pixel(x, y) == qRgb(0xFF, 0xFF, 0);
        v->close();
    });
    child->ShowSwath1->trigger();
    EXPECT_EQ(viewer.Count, 1);
    EXPECT_TRUE(shownModally);
    EXPECT_GT(swathPixels, 200) << "track, edges and cross lines in the swath colour";
    EXPECT_EQ(SwathForm->Map, nullptr) << "closing drops the map";
}

TEST_F(ShowSwath, AFailedProjectionStillOpensTheViewer)
{
    WriteTinyVectorMap(mapDir);
    form->SwathProps->Projection = 0;  // Universal Polar Stereographic does not reach Berlin
    ModalCatcher boxes;
    bool withoutMap = false;
    ModalAnswer<TSwathForm> viewer([&](TSwathForm* v) {
        EXPECT_TRUE(WaitUntilDrawn(*v));
        withoutMap = !v->Map || !v->Map->IsValid();
        // Another projection from the viewer's own list.
        v->ProjCb->setCurrentIndex(16);
        v->ProjCbChange();
        EXPECT_TRUE(WaitUntilDrawn(*v));
        EXPECT_TRUE(v->Map && v->Map->IsValid());
        v->close();
    });
    child->ShowSwath1->trigger();
    EXPECT_EQ(boxes.Texts, QStringList{"Failed to set projection. Please try another projection."});
    EXPECT_EQ(viewer.Count, 1);
    EXPECT_TRUE(withoutMap);
    EXPECT_EQ(form->SwathProps->Projection, 16) << "the choice goes into the main window's settings";
}
