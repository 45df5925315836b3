// The swath viewer's settings dialog: loading, what counts as a change, and
// what OK takes back into the record.
#include "imaging/ui/ModalAnswer.h"
#include "maps/SwathProp.h"
#include "maps/ui/ColorShape.h"
#include "maps/ui/SwathSetupDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>

namespace {

bool SameRecord(const TSwathProp& a, const TSwathProp& b)
{
    return a.MapType == b.MapType && a.Scale == b.Scale && a.Projection == b.Projection && a.Bkgnd == b.Bkgnd &&
           a.Water == b.Water && a.Swath == b.Swath && a.LonLat == b.LonLat && a.LonLatFont == b.LonLatFont &&
           a.MPDelta == b.MPDelta && a.MPDelta2 == b.MPDelta2 && a.MapDir == b.MapDir && a.CIL == b.CIL &&
           a.NAT == b.NAT && a.INT == b.INT && a.Land == b.Land;
}

// Shows the dialog on record, lets act work on it as a user, and closes it
// with OK (true) or Cancel.
int ShowAndClose(TSwathSetupDlg& dialog, TSwathProp& record, const std::function<void(TSwathSetupDlg*)>& act, bool ok)
{
    dialog.Props = &record;
    ModalAnswer<TSwathSetupDlg> answer([&](TSwathSetupDlg* d) {
        act(d);
        (ok ? d->OKBtn : d->CancelBtn)->click();
    });
    dialog.exec();
    return answer.Count;
}

}  // namespace

TEST(SwathSetupDialog, EachControlCountsAndOkTakesTheValuesBack)
{
    const struct {
        const char* name;
        std::function<void(TSwathSetupDlg*)> act;
        int flags;
        std::function<bool(const TSwathProp&)> taken;
    } cases[] = {
        {"map type", [](TSwathSetupDlg* d) { d->MapTypeGroup->button(2)->click(); }, ssMap,
         [](const TSwathProp& p) { return p.MapType == 2; }},
        {"scale", [](TSwathSetupDlg* d) { d->ScaleCb->setCurrentIndex(0); }, ssMap,
         [](const TSwathProp& p) { return p.Scale == 1; }},
        {"projection", [](TSwathSetupDlg* d) { d->MapDefaultProj->setCurrentIndex(11); }, ssMap,
         [](const TSwathProp& p) { return p.Projection == 11; }},
        {"meridians off (3 degrees)", [](TSwathSetupDlg* d) { d->MedianEdit->setValue(3); }, ssColors,
         [](const TSwathProp& p) { return p.MPDelta == 3; }},
        {"parallels every 0 degrees", [](TSwathSetupDlg* d) { d->ParallelEdit->setValue(0); }, ssColors,
         [](const TSwathProp& p) { return p.MPDelta2 == 0; }},
        {"land colour", [](TSwathSetupDlg* d) {
             ModalAnswer<QColorDialog> colour([](QColorDialog* c) { c->setCurrentColor(QColor(0x10, 0x20, 0x30)); c->accept(); });
             QTest::mousePress(d->landShape, Qt::LeftButton);
         }, ssColors, [](const TSwathProp& p) { return p.Land == 0x302010; }},
    };
    TSwathSetupDlg dialog;
    for (const auto& c : cases) {
        TSwathProp record;
        ASSERT_EQ(ShowAndClose(dialog, record, c.act, true), 1) << c.name;
        EXPECT_EQ(dialog.ChangeFlags & ~ssLoading, c.flags) << c.name;
        EXPECT_TRUE(c.taken(record)) << c.name;
    }
}

TEST(SwathSetupDialog, NothingIsTakenWithoutAChangeOrOnCancel)
{
    TSwathSetupDlg dialog;
    // Odd values show as they are; loading them is no change of the user's.
    TSwathProp record;
    record.MapType = 7;
    record.Scale = 0;
    record.Projection = 30;
    record.MapDir = "/maps";
    const TSwathProp before = record;
    ShowAndClose(dialog, record, [](TSwathSetupDlg* d) {
        EXPECT_EQ(d->ChangeFlags, 0);
        EXPECT_EQ(d->ScaleCb->currentIndex(), -1) << "scale 0: none shown";
        EXPECT_EQ(d->MapTypeGroup->checkedId(), -1);
    }, true);
    EXPECT_TRUE(SameRecord(record, before)) << "OK without a change";
    ShowAndClose(dialog, record, [](TSwathSetupDlg* d) { d->MapDefaultProj->setCurrentIndex(3); }, false);
    EXPECT_TRUE(SameRecord(record, before)) << "Cancel";

    // Saved after another change, scale 0 stays 0.
    record = TSwathProp();
    record.Scale = 0;
    ShowAndClose(dialog, record, [](TSwathSetupDlg* d) { d->MedianEdit->setValue(20); }, true);
    EXPECT_EQ(record.Scale, 0);
    EXPECT_EQ(record.MPDelta, 20);
}

TEST(SwathProp, AssignCopiesEveryFieldWithTheFolder)
{
    TSwathProp a;
    a.MapType = 2;
    a.Scale = 1;
    a.Projection = 5;
    a.Land = 1;
    a.MapDir = "/x/maps";
    TSwathProp b;
    b.Assign(a);
    EXPECT_TRUE(SameRecord(a, b));
}
