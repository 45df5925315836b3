#include "DailyLogWindow.h"
#include "ModalAnswer.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// Answers the log options dialog as a user would; records what it offered.
struct OptionsAnswer {
    bool appendEnabled = false, retryEnabled = false, uploadAllEnabled = false;
    bool newLogChecked = false;
    ModalAnswer<TLogDlg> answer;
    explicit OptionsAnswer(std::function<void(TLogDlg*)> act)
        : answer([this, act](TLogDlg* dialog) {
              appendEnabled = dialog->AppendLog->isEnabled();
              retryEnabled = dialog->RetryBtn->isEnabled();
              uploadAllEnabled = dialog->UploadAllBtn->isEnabled();
              newLogChecked = dialog->NewLog->isChecked();
              act(dialog);
          })
    {
    }
};

}  // namespace

TEST_F(DailyLogWindow, TheButtonsFollowTheDailyFolder)
{
    struct Case {
        const char* name;
        bool page;
        bool pendingList;
        bool append, retry, uploadAll;
    };
    const Case cases[] = {
        {"no page", false, false, false, false, false},
        {"page without upload.txt", true, false, true, false, true},
        {"page with upload.txt", true, true, true, true, true},
        {"upload.txt without a page", false, true, false, false, false},
    };
    for (const Case& c : cases) {
        QDir(DailyDir()).removeRecursively();
        QDir().mkpath(DailyDir());
        if (c.page)
            QFile(Page()).open(QIODevice::WriteOnly);
        if (c.pendingList) {
            QFile list(PendingList());
            list.open(QIODevice::WriteOnly);
            list.write("img_000.jpg\n");
        }
        options->AppendLog->setChecked(true);
        OptionsAnswer offered([](TLogDlg* dialog) { dialog->CancelBtn->click(); });
        child->AddtotheDailylog2->trigger();
        ASSERT_EQ(offered.answer.Count, 1) << c.name;
        EXPECT_EQ(offered.appendEnabled, c.append) << c.name;
        EXPECT_EQ(offered.retryEnabled, c.retry) << c.name;
        EXPECT_EQ(offered.uploadAllEnabled, c.uploadAll) << c.name;
        if (!c.page)
            EXPECT_TRUE(offered.newLogChecked) << c.name << ": without a page only \"Create new\" is left";
    }
}

TEST_F(DailyLogWindow, CancelLeavesTheLogAsItWas)
{
    {
        OptionsAnswer write([](TLogDlg* dialog) {
            dialog->NewLog->setChecked(true);
            dialog->UploadLog->setChecked(false);
            dialog->OKBtn->click();
        });
        child->AddtotheDailylog2->trigger();
    }
    EXPECT_EQ(opened, QStringList{Page()});
    const QMap<QString, QByteArray> before = DailyFiles();
    ASSERT_GE(before.size(), 6) << "page, feed, two images and their thumbnails";

    OptionsAnswer cancel([](TLogDlg* dialog) {
        dialog->NewLog->setChecked(true);
        dialog->CancelBtn->click();
    });
    child->AddtotheDailylog2->trigger();
    EXPECT_EQ(cancel.answer.Count, 1);
    EXPECT_EQ(DailyFiles(), before);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(DailyLogWindow, WithoutAPassTheCommandSaysSoAndAsksNothing)
{
    child->Pass.reset();
    ModalCatcher boxes;
    OptionsAnswer never([](TLogDlg* dialog) { dialog->CancelBtn->click(); });
    child->AddtotheDailylog2->trigger();
    EXPECT_EQ(boxes.Texts, QStringList{"The log can not be created.\nNo satellite found for this wave-form."});
    EXPECT_EQ(boxes.Captions, QStringList{"Error: No satellite!"});
    EXPECT_EQ(never.answer.Count, 0);
}
