// The general settings dialog previewing its annotation on a decoded pass,
// and "General settings..." redrawing that window after an enhancement
// change.
#include "../PassFixtures.h"
#include "MainFormFixture.h"
#include "imaging/ui/MDIChild.h"
#include "platform/Fonts.h"
#include "radio/Rig.h"
#include "shell/ui/RecordDlg.h"
#include "support/ModalSteps.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

constexpr int kPassLines = 400;

// The active image window of a decoded pass, smaller than its picture.
TMDIChild* AddPassWindow(TMainForm& form)
{
    auto* child = new TMDIChild;
    passfixture::FillCompletePass(*child->APT, passfixture::CalibratedPass(kPassLines));
    QMdiSubWindow* window = form.MDIArea()->addSubWindow(child);
    window->resize(400, 240);
    window->show();
    form.MDIArea()->setActiveSubWindow(window);
    QApplication::processEvents();
    EXPECT_TRUE(child->ShowView(ivNormal, 0));
    return child;
}

}  // namespace

TEST(RecordDlgPreview, TheTextIsDrawnFromTheCopyAndItsCornerScrolledIntoSight)
{
    const QString font = FindInstalledFontFile("DejaVu Sans");
    ASSERT_FALSE(font.isEmpty()) << "fonts-dejavu is not installed";
    auto form = MakeMainForm();
    TMDIChild* child = AddPassWindow(*form);
    const QImage plain = child->DisplayBitmap.copy();

    TSetting settings;
    settings.AnnotateModes = 0x1;  // text on an opaque box
    settings.FontName = "DejaVu Sans";
    settings.FontFile = "@" + font;
    settings.TextPos = 5;
    TRig rig;
    TRecordDlg dlg;
    dlg.Settings = &settings;
    dlg.Rig = &rig;
    dlg.ActiveChild = child;
    dlg.show();
    ASSERT_TRUE(dlg.PreviewTxtBtn->isEnabled());
    ASSERT_TRUE(dlg.PreviewLogoBtn->isEnabled());

    QScrollBar* horizontal = child->sb->horizontalScrollBar();
    QScrollBar* vertical = child->sb->verticalScrollBar();
    dlg.PreviewTxtBtn->click();
    EXPECT_NE(child->DisplayBitmap, plain) << "the annotation of the dialog's copy is drawn";
    EXPECT_EQ(child->PreviewSettings, nullptr) << "the window keeps no pointer to the copy";
    ASSERT_GT(horizontal->maximum(), 0);
    ASSERT_GT(vertical->maximum(), 0);
    EXPECT_EQ(horizontal->value(), horizontal->maximum()) << "bottom right";
    EXPECT_EQ(vertical->value(), vertical->maximum());
    EXPECT_EQ(form->Settings->AnnotateModes & 0x1, TSetting().AnnotateModes & 0x1) << "the main record untouched";

    dlg.TextPos->setCurrentIndex(1);  // top centre
    dlg.PreviewTxtBtn->click();
    EXPECT_EQ(horizontal->value(), horizontal->maximum() / 2 - child->sb->viewport()->width() / 2);

    dlg.LogoPos->setCurrentIndex(3);  // bottom left
    horizontal->setValue(0);
    vertical->setValue(0);
    dlg.PreviewLogoBtn->click();
    EXPECT_EQ(horizontal->value(), 0);
    EXPECT_EQ(vertical->value(), vertical->maximum());

    TRecordDlg without;
    without.Settings = &settings;
    without.Rig = &rig;
    without.show();
    EXPECT_FALSE(without.PreviewTxtBtn->isEnabled()) << "no window named";
    EXPECT_FALSE(without.PreviewLogoBtn->isEnabled());
}

TEST(RecordDlgPreview, AnEnhancementChangeRedrawsTheHandedWindowAfterOk)
{
    auto form = MakeMainForm();
    TMDIChild* child = AddPassWindow(*form);
    child->Flags |= mcLive;
    const QImage before = child->DisplayBitmap.copy();
    ModalCatcher boxes;  // the tracker's start finds no catalogue and says so
    ModalSteps user;
    user.Then<TRecordDlg>([child](TRecordDlg& dlg) {
        EXPECT_EQ(dlg.ActiveChild, child);
        dlg.Brightness->setValue(dlg.Brightness->value() == 300 ? 301 : 300);
        dlg.accept();
    });
    form->findChild<QAction*>("Recordingandlogging1")->trigger();
    ASSERT_EQ(user.Played(), 1u);
    EXPECT_TRUE(form->Settings->Brightness == 300 || form->Settings->Brightness == 301);
    EXPECT_FALSE(child->Flags & mcLive) << "no longer the live window";
    EXPECT_NE(child->DisplayBitmap, before) << "drawn again with the new brightness";
}
