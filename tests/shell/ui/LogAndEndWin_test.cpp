#include "shell/RegistryHelpers.h"
#include "shell/ui/EndWin.h"
#include "shell/ui/LogForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(LogForm, StartsWithTheStartupReportAndAppendsStampedEntries)
{
    TLogForm form;
    EXPECT_EQ(LogForm, &form);
    const QStringList startup = form.Lines();
    ASSERT_GE(startup.size(), 10);
    EXPECT_EQ(startup[1], "Application startup");
    form.AddEntry("Tuning failed", {"Port COM1 not found"});
    const QStringList lines = form.Lines();
    const QRegularExpression stamp("^\\w{3} \\d{1,2} \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d: Tuning failed$");
    EXPECT_TRUE(stamp.match(lines[lines.size() - 3]).hasMatch()) << lines[lines.size() - 3].toStdString();
    EXPECT_EQ(lines[lines.size() - 2], "Port COM1 not found");
    EXPECT_EQ(lines.last(), "");
}

TEST(LogForm, KeepsItsPlacement)
{
    {
        TLogForm form;
        form.setGeometry(40, 50, 333, 444);
    }
    EXPECT_EQ(ReadRegistryString("APT\\LogForm", "wAttr"), "0;333;444;40;50");
    TLogForm again;
    EXPECT_EQ(again.size(), QSize(333, 444));
}

TEST(LogForm, FirstShownOverTheMiddleOfItsOwnerWithOnlyACloseBox)
{
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    TLogForm form(&owner);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    form.show();
    EXPECT_LT((form.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 30)
        << "not in the corner over the owner's menus";

    // A placement the user chose wins.
    form.hide();
    form.move(5, 6);
    form.show();
    EXPECT_EQ(form.pos(), QPoint(5, 6));
}

TEST(EndWin, StepsAdvanceAndTheBugReportQuotesTheLastStep)
{
    WriteRegistryString("APT", "VersionStr", "Orvanta 0.1.0.0");
    TEndWin window;
    window.ProgressBar->setMaximum(10);
    window.ShowStep("Saving settings");
    EXPECT_EQ(window.ProcLabel->text(), "Process:\nSaving settings");
    EXPECT_EQ(window.ProgressBar->value(), 1);
    window.ShowStep("Saving station");
    EXPECT_EQ(window.ProgressBar->value(), 2);
    window.ShowBugReport();
    EXPECT_EQ(window.BugEdit->text(), "Orvanta 0.1.0.0 Process:\nSaving station");
    EXPECT_TRUE(window.ProgressBar->isHidden());
    EXPECT_FALSE(window.BugEdit->isHidden());
    EXPECT_EQ(window.ProcLabel->text(), "Bug! Copy and paste the message below and add it to the Bug reports at");
}
