// The decode progress panel: drawn on a backdrop that fits its texts, and its
// Cancel ends the whole image window, frame and all; Close all leaves no
// frame behind either.
#include "../PassFixtures.h"
#include "MainFormFixture.h"
#include "imaging/ui/MDIChild.h"
#include "shell/ui/GraphicLabel.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

aptgen::PassSpec LongPass()
{
    aptgen::PassSpec spec;
    spec.lines = 300;  // long enough to be still decoding when Cancel is pressed
    spec.leadInWords = 500;
    return spec;
}

// The window titles the Window menu lists when it opens.
QStringList ListedWindows(TMainForm& form)
{
    emit form.Window1->aboutToShow();
    QStringList titles;
    for (QAction* action : form.Window1->actions())
        if (action->property("listedWindow").toBool() && !action->isSeparator())
            titles << action->text();
    return titles;
}

void SettleClosedWindows()
{
    for (int round = 0; round < 5; ++round) {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace

TEST(DecodeProgress, CancelClosesTheWholeWindowAndTheWindowMenuForgetsIt)
{
    const QString path = apttest::WritePass(LongPass(), "cancelled.wav", 8);
    std::unique_ptr<TMainForm> form = MakeMainForm();
    QPointer<TMDIChild> child = form->CreateMDIChild(path, 0);
    ASSERT_TRUE(child);
    ASSERT_TRUE(child->CancelBtn->isVisible()) << "still decoding";
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    ASSERT_TRUE(frame);
    ASSERT_EQ(ListedWindows(*form).size(), 1);

    child->CancelBtn->click();
    SettleClosedWindows();

    EXPECT_FALSE(child) << "the image window is gone";
    EXPECT_FALSE(frame) << "and so is the frame around it";
    EXPECT_TRUE(form->MDIArea()->subWindowList().isEmpty());
    EXPECT_TRUE(ListedWindows(*form).isEmpty()) << ListedWindows(*form).join(", ").toStdString();
}

TEST(DecodeProgress, CloseAllLeavesNoEmptyFrame)
{
    const QString path = apttest::WritePass(LongPass(), "emptied.wav", 8);
    std::unique_ptr<TMainForm> form = MakeMainForm();
    QPointer<TMDIChild> child = form->CreateMDIChild(path, 0);
    ASSERT_TRUE(child);
    // A frame whose image window went away on its own, as Cancel used to leave.
    child->CancelBtn->hide();
    child->close();
    SettleClosedWindows();
    ASSERT_FALSE(child);

    form->WindowClose1->setEnabled(true);
    form->WindowClose1->trigger();
    SettleClosedWindows();
    EXPECT_TRUE(form->MDIArea()->subWindowList().isEmpty());
}

TEST(DecodeProgress, ThePanelHasABackdropAndShowsTheWholePath)
{
    const QString path = apttest::WritePass(LongPass(), "a-recording-with-a-rather-long-name.wav", 8);
    std::unique_ptr<TMainForm> form = MakeMainForm();
    QPointer<TMDIChild> child = form->CreateMDIChild(path, 0);
    ASSERT_TRUE(child);
    QFrame* panel = child->ProgressPanel;
    ASSERT_TRUE(panel->isVisible()) << "still decoding";
    EXPECT_TRUE(panel->autoFillBackground()) << "not drawn straight over the picture";
    EXPECT_NE(panel->palette().color(QPalette::Window), child->palette().color(QPalette::Window));

    ASSERT_EQ(child->LbTarget->text(), path);
    for (QWidget* part : std::initializer_list<QWidget*>{child->LbTarget, child->LbStatus, child->GaugePanel,
                                                         child->CancelBtn}) {
        EXPECT_EQ(part->parentWidget(), panel) << part->objectName().toStdString();
        EXPECT_TRUE(panel->rect().contains(part->geometry())) << part->objectName().toStdString();
    }
    const int pathWidth = QFontMetrics(child->LbTarget->font()).horizontalAdvance(path);
    EXPECT_GE(child->LbTarget->width(), pathWidth + child->LbTarget->xOffset()) << "the path is not cut";
    const QRect onWindow(panel->pos(), panel->size());
    EXPECT_TRUE(child->rect().contains(onWindow)) << "the window is wide enough for all of it";

    child->CancelBtn->click();
    SettleClosedWindows();
}
