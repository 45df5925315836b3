// The pass list's "Show swath...": the chosen pass in the swath viewer,
// which then follows the rows clicked while it is open. On the 2021 weather
// sets over Berlin, the program's clock set to 1 November 2021.
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/TinyVectorMap.h"
#include "maps/ui/SwathDrawWait.h"
#include "maps/ui/SwathForm.h"
#include "orbit/Sat.h"
#include "platform/SystemTime.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "tracking/TrackingFixtures.h"
#include "tracking/ui/SatPassDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

constexpr double kSecond = 1 / 86400.0;
const QDateTime kNoon(QDate(2021, 11, 1), QTime(12, 0, 0), Qt::UTC);

double RowAOS(int row)
{
    return SatPassDlg->PassGrid->item(row, 0)->data(Qt::UserRole + 1).toDouble();
}

}  // namespace

TEST(PassListSwath, ShowsTheChosenPassAndFollowsTheClickedRows)
{
    systime::SetClockSource([] { return kNoon; });
    ModalCatcher boxes;
    auto form = std::make_unique<TMainForm>();
    if (!LoadWeatherCatalogue(form->SatelliteList)) {
        systime::SetClockSource({});
        SKIP_MISSING("missing " << kElementFile);
    }
    form->Station = Berlin();
    form->SwathProps->MapType = 0;
    const QString mapDir = form->SwathProps->MapDir;
    QDir(mapDir).removeRecursively();
    boxes.Captions.clear();
    boxes.Texts.clear();

    bool enabled = false, shownWithoutMap = true, modeless = false;
    double shownAOS = 0, followedAOS = 0, firstAOS = 0, secondAOS = 0;
    QStringList errors;
    // The list fills itself when shown, letting events run meanwhile; a click
    // during that fill is ignored, so on a busy machine the steps wait for it.
    std::function<void()> steps = [&] {
        if (SatPassDlg->Filling()) {
            QTimer::singleShot(20, steps);
            return;
        }
        SatPassDlg->AddSysTimeChk->setChecked(false);
        SatPassDlg->Thresholds->setChecked(false);
        SatPassDlg->APTPassesBtnClick();
        enabled = SatPassDlg->ShowSwathBtn->isEnabled();
        if (SatPassDlg->PassGrid->rowCount() < 2) {
            ADD_FAILURE() << "the list holds " << SatPassDlg->PassGrid->rowCount() << " passes";
            SatPassDlg->reject();  // a failed check must not leave the modal list open
            return;
        }
        firstAOS = RowAOS(0);
        secondAOS = RowAOS(1);

        // No map files: the error box, and no viewer.
        SatPassDlg->PassGrid->setCurrentCell(0, 0);
        SatPassDlg->ShowSwathBtn->click();
        // The viewer draws its map on a thread of its own and reports when done.
        EXPECT_TRUE(!SwathForm || WaitUntilDrawn(*SwathForm));
        errors = boxes.Texts;
        shownWithoutMap = SwathForm && SwathForm->isVisible();

        // With a map: the viewer opens beside the list on that pass.
        WriteTinyVectorMap(mapDir);
        SatPassDlg->ShowSwathBtn->click();
        EXPECT_TRUE(!SwathForm || WaitUntilDrawn(*SwathForm));
        if (SwathForm && SwathForm->isVisible() && SwathForm->Map && SwathForm->Map->IsValid()) {
            modeless = !SwathForm->isModal();
            shownAOS = SwathForm->Sat->AOS;
        }
        // A click on another row moves the open viewer to that pass.
        SatPassDlg->PassGrid->setCurrentCell(1, 0);
        emit SatPassDlg->PassGrid->cellClicked(1, 0);
        EXPECT_TRUE(!SwathForm || WaitUntilDrawn(*SwathForm));
        if (SwathForm && SwathForm->Sat)
            followedAOS = SwathForm->Sat->AOS;
        SatPassDlg->reject();
    };
    QTimer::singleShot(50, steps);
    form->Passlist1Click();

    EXPECT_TRUE(enabled) << "the main window gives the list its viewer";
    EXPECT_EQ(errors, QStringList{"Map not found!"});
    EXPECT_FALSE(shownWithoutMap);
    EXPECT_TRUE(modeless);
    EXPECT_NEAR(shownAOS, firstAOS, 2 * kSecond) << "the pass of the chosen row";
    EXPECT_NEAR(followedAOS, secondAOS, 2 * kSecond) << "the pass of the clicked row";
    EXPECT_FALSE(SwathForm && SwathForm->isVisible()) << "closing the pass list closes the viewer it opened";
    EXPECT_TRUE(!SwathForm || !SwathForm->Map) << "closed, not only hidden: its map is gone";
    form.reset();
    systime::SetClockSource({});
}
