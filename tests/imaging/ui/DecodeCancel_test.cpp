// Cancel on the decode progress panel ends the whole image window, frame and
// all; Close all leaves no frame behind either.
#include "../PassFixtures.h"
#include "MainFormFixture.h"
#include "imaging/ui/MDIChild.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
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

TEST(DecodeCancel, CancelClosesTheWholeWindowAndTheWindowMenuForgetsIt)
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

TEST(DecodeCancel, CloseAllLeavesNoEmptyFrame)
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
