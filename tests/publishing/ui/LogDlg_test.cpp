#include "publishing/ui/LogDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Shows the dialog modally and lets act play the user.
int Show(TLogDlg& dlg, const std::function<void()>& act)
{
    QTimer::singleShot(0, &dlg, act);
    return dlg.exec();
}

}  // namespace

TEST(LogDlg, TheChoiceBecomesActionBits)
{
    TLogDlg dlg;
    EXPECT_EQ(LogDlg, &dlg);
    EXPECT_TRUE(dlg.NewLog->isChecked()) << "\"Create new\" when made";
    EXPECT_FALSE(dlg.UploadLog->isChecked());
    struct Case {
        const char* name;
        bool append;
        bool upload;
        int action;
    };
    const Case cases[] = {
        {"create new", false, false, 1},
        {"create new and upload", false, true, 5},
        {"add to existing", true, false, 2},
        {"add to existing and upload", true, true, 6},
    };
    for (const Case& c : cases) {
        (c.append ? dlg.AppendLog : dlg.NewLog)->setChecked(true);
        dlg.UploadLog->setChecked(c.upload);
        EXPECT_EQ(dlg.GetAction(), c.action) << c.name;
        EXPECT_EQ(dlg.Action, c.action) << c.name;
    }
}

TEST(LogDlg, TheButtonsCloseWithOKAndIgnoreTheChoiceEachShowingStartsAtZero)
{
    TLogDlg dlg;
    dlg.AppendLog->setChecked(true);
    dlg.UploadLog->setChecked(true);
    struct Case {
        const char* name;
        QPushButton* button;
        int result;
        int action;
    };
    const Case cases[] = {
        {"Retry upload", dlg.RetryBtn, QDialog::Accepted, 8},
        {"Upload all files", dlg.UploadAllBtn, QDialog::Accepted, 16},
        {"OK", dlg.OKBtn, QDialog::Accepted, 0},
        {"Cancel", dlg.CancelBtn, QDialog::Rejected, 0},
    };
    for (const Case& c : cases) {
        dlg.Action = 99;
        int atShow = -1;
        const int result = Show(dlg, [&] {
            atShow = dlg.Action;
            c.button->click();
        });
        EXPECT_EQ(atShow, 0) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(dlg.Action, c.action) << c.name;
    }
    EXPECT_TRUE(dlg.AppendLog->isChecked()) << "the choice stays from one showing to the next";
    EXPECT_TRUE(dlg.UploadLog->isChecked());
}

TEST(LogDlg, Layout)
{
    TLogDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Log options");
    EXPECT_EQ(dlg.size(), QSize(320, 162));
    EXPECT_EQ(dlg.GroupBox1->geometry(), QRect(10, 10, 185, 85));
    EXPECT_EQ(dlg.GroupBox1->title(), " Action ");
    EXPECT_GE(dlg.RetryBtn->x(), 195) << "the buttons right of the group box";
    EXPECT_GT(dlg.UploadAllBtn->y(), dlg.RetryBtn->y());
    EXPECT_EQ(dlg.Panel2->geometry(), QRect(0, 130, 320, 32));
    EXPECT_TRUE(dlg.OKBtn->isDefault());
    EXPECT_EQ(dlg.OKBtn->parentWidget(), dlg.Panel2);
    EXPECT_EQ(dlg.CancelBtn->parentWidget(), dlg.Panel2);
}
