// The swath viewer offscreen, on a NOAA 18 pass over a station in Berlin and
// a small vector map made by the packer.
#include "imaging/ui/ModalAnswer.h"
#include "maps/Geotrans.h"
#include "../SwathPassFixture.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/TinyVectorMap.h"
#include "maps/ui/SwathDrawWait.h"
#include "maps/ui/SwathForm.h"
#include "maps/ui/SwathSetupDialog.h"
#include "orbit/Sat.h"
#include "orbit/Station.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QCoreApplication>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

class SwathFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = testenv::ProgramDir() + "maps";
        ASSERT_NO_FATAL_FAILURE(WriteTinyVectorMap(folder));
        props.MapDir = folder;
        props.MapType = 0;
        props.Scale = 2;
        props.Projection = 16;
        ASSERT_NO_FATAL_FAILURE(swathpasses::PredictBerlinPass(station, sat));
        form.Sat = &sat;
        form.Station = &station;
        form.Props = &props;
    }
    int Pixels(int colour) const
    {
        const QImage& map = *form.Map->Bitmap;
        const QRgb rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        int count = 0;
        for (int y = 0; y < map.height(); ++y)
            for (int x = 0; x < map.width(); ++x)
                count += map.pixel(x, y) == rgb;
        return count;
    }
    int SwathPixels() const { return Pixels(props.Swath); }
    // BuildSwathMap and the draw it starts: the map's result.
    int Build(int flags)
    {
        int result = mapOk;
        QObject::connect(&form, &TSwathForm::MapReady, &form, [&](int r) { result = r; }, Qt::SingleShotConnection);
        EXPECT_EQ(form.BuildSwathMap(flags), 0);
        EXPECT_TRUE(WaitUntilDrawn(form));
        QObject::disconnect(&form, &TSwathForm::MapReady, &form, nullptr);
        return result;
    }
    // "Properties": the settings dialog, changed by act and closed with OK.
    void ChangeSettings(const std::function<void(TSwathSetupDlg*)>& act)
    {
        ModalAnswer<TSwathSetupDlg> answer([&](TSwathSetupDlg* d) {
            act(d);
            d->OKBtn->click();
        });
        form.SwathPropBtnClick();
        EXPECT_EQ(answer.Count, 1);
        EXPECT_TRUE(WaitUntilDrawn(form));
    }

    TSwathProp props;
    TStation station;
    TSat sat;
    TSwathForm form;
};

}  // namespace

TEST_F(SwathFormTest, APassIsDrawnAndASecondOneInsideJoinsTheMap)
{
    ASSERT_EQ(Build(0), mapOk);
    const int onePass = SwathPixels();
    EXPECT_GT(onePass, 200) << "track, edges and cross lines";
    EXPECT_NEAR(sat.Time, sat.TCA, 1e-9) << "left at closest approach";
    EXPECT_LT(form.SwathLonMin, form.SwathLonMax);
    const QImage* bitmap = form.Map->Bitmap.get();

    // The same pass a few seconds later lies inside the box: same map, more swath.
    sat.WindowStart += 60.0 / 86400;
    sat.WindowStop -= 60.0 / 86400;
    ASSERT_EQ(form.BuildSwathMap(0), 0);
    EXPECT_FALSE(form.IsDrawing()) << "drawn on the map at once";
    EXPECT_EQ(form.Map->Bitmap.get(), bitmap) << "not set up again";
    EXPECT_GE(SwathPixels(), onePass);

    // Closing drops the map; the next opening starts fresh.
    form.close();
    EXPECT_EQ(form.Map, nullptr);
}

TEST_F(SwathFormTest, AWindowUnderFiveSecondsShowsOnlyTheName)
{
    sat.WindowStop = sat.WindowStart + 4.0 / 86400;
    ASSERT_EQ(Build(0), mapOk);
    const int nameOnly = SwathPixels();
    sat.WindowStop = sat.LOS;
    ASSERT_EQ(Build(0x01), mapOk);
    EXPECT_GT(SwathPixels(), nameOnly * 2);
}

TEST_F(SwathFormTest, ProjectionFailureAndAChangeOfProjection)
{
    props.Projection = 0;  // UPS does not reach Europe
    EXPECT_EQ(Build(0), mapProjectionFailed);
    form.ProjCb->setCurrentIndex(11);
    form.ProjCbChange();
    ASSERT_TRUE(WaitUntilDrawn(form));
    EXPECT_EQ(props.Projection, 11) << "the choice goes into the settings";
    ASSERT_TRUE(form.Map && form.Map->IsValid());
    EXPECT_GT(SwathPixels(), 0);
    EXPECT_EQ(form.DrawSwath(), 0);
    form.Sat = nullptr;
    EXPECT_EQ(form.DrawSwath(), -1);
}

TEST_F(SwathFormTest, GridChangesRedrawInPlaceAndAProjectionRebuilds)
{
    props.LonLat = 0x0000FF;
    props.MPDelta = props.MPDelta2 = 5;
    ASSERT_EQ(Build(0), mapOk);
    const QImage* bitmap = form.Map->Bitmap.get();
    const int swath = SwathPixels();
    ASSERT_GT(Pixels(props.LonLat), 0);

    // The grid switched off: the same map drawn again, the swath on it again.
    ChangeSettings([](TSwathSetupDlg* d) {
        d->MedianEdit->setValue(0);
        d->ParallelEdit->setValue(0);
    });
    EXPECT_EQ(props.MPDelta, 0) << "taken into the viewer's settings";
    EXPECT_EQ(form.Map->Bitmap.get(), bitmap);
    EXPECT_EQ(Pixels(props.LonLat), 0);
    EXPECT_EQ(SwathPixels(), swath);

    // Another projection: the map is built anew in it.
    ChangeSettings([](TSwathSetupDlg* d) { d->MapDefaultProj->setCurrentIndex(11); });
    ASSERT_TRUE(form.Map && form.Map->IsValid());
    EXPECT_EQ(form.Map->Projection, 11);
    EXPECT_GT(SwathPixels(), 200);
}

TEST_F(SwathFormTest, ShowPassDrawsItsOwnCopyOfThePass)
{
    auto pass = std::make_unique<TSat>(sat);
    const double tca = pass->TCA;
    ASSERT_EQ(form.ShowPass(nullptr, *pass, &station, &props, false), mapOk);
    EXPECT_TRUE(form.isVisible());
    ASSERT_TRUE(WaitUntilDrawn(form));
    EXPECT_EQ(form.ProjCb->currentIndex(), props.Projection);
    EXPECT_NE(form.Sat, pass.get());
    EXPECT_NEAR(form.Sat->Time, tca, 1e-9);
    // The caller's pass goes (a window closed, a catalogue reloaded); the
    // viewer still draws its pass in another projection.
    pass.reset();
    form.ProjCb->setCurrentIndex(20);
    form.ProjCbChange();
    ASSERT_TRUE(WaitUntilDrawn(form));
    ASSERT_TRUE(form.Map && form.Map->IsValid());
    EXPECT_GT(SwathPixels(), 200);

    // Hidden without a close (its owner went): the next showing starts afresh.
    form.hide();
    TSat later(sat);
    later.WindowStart += 60.0 / 86400;
    const QRgb marker = qRgb(1, 2, 3);
    form.Map->Bitmap->setPixel(0, 0, marker);
    ASSERT_EQ(form.ShowPass(nullptr, later, &station, &props, false), mapOk);
    ASSERT_TRUE(WaitUntilDrawn(form));
    EXPECT_NE(form.Map->Bitmap->pixel(0, 0), marker) << "a new map, not the old one with the pass added";
    form.close();
}

TEST_F(SwathFormTest, OpensScrolledSoThePassIsInView)
{
    // At 4 km a pixel these maps are far larger than the window.
    props.Scale = 1;
    for (const int projection : {11, 12, 8, 23}) {  // Mercator, Miller, Equidistant Cylindrical, Van der Grinten
        props.Projection = projection;
        const std::string name = TGeotrans::ProjectionName(projection).toStdString();
        ASSERT_EQ(form.ShowPass(nullptr, sat, &station, &props, false), mapOk) << name;
        ASSERT_TRUE(WaitUntilDrawn(form)) << name;
        ASSERT_TRUE(form.Map && form.Map->IsValid()) << name;
        ASSERT_GT(form.Map->Width, form.sb->viewport()->width()) << name;
        QPoint closest;
        ASSERT_TRUE(form.Map->PixelOnMap(TSat::ReduceLongitude(form.Sat->Longitude), form.Sat->Latitude, closest));
        const QScrollBar* across = form.sb->horizontalScrollBar();
        const QScrollBar* down = form.sb->verticalScrollBar();
        auto inView = [&] {
            return QRect(across->value(), down->value(), form.sb->viewport()->width(), form.sb->viewport()->height())
                .contains(closest);
        };
        for (int round = 0; round < 100 && !inView(); ++round)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_TRUE(inView()) << name << ": the pass at closest approach, " << closest.x() << "," << closest.y()
                              << ", not in the view at " << across->value() << "," << down->value();
        form.close();
    }
}
