// Tools' "Rar Odov Ezuzuz" (and its tray twin): the feed reader made at
// start-up with the built-in feeds, shown modally on the program's folders,
// and its list saved when it closes.
#include "publishing/FeedList.h"
#include "publishing/ui/RSSForm.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

TEST(MainFormFeeds, TheReaderOpensModallyOnTheProgramsFolders)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    std::unique_ptr<TMainForm> form;
    {
        ModalCatcher boxes;
        form = std::make_unique<TMainForm>();
    }
    form->ShutdownPause = [](int) {};
    form->show();
    ASSERT_NE(RSSForm, nullptr) << "made at start-up";
    EXPECT_EQ(RSSForm->tw->topLevelItemCount(), 8) << "a new user starts with the built-in feeds";
    EXPECT_TRUE(form->TheBlogReader1->isEnabled());
    EXPECT_TRUE(form->RSSFeeds1->isEnabled());

    QWidget* active = nullptr;
    ModalSteps steps;
    steps.Then<TRSSForm>([&](TRSSForm& reader) {
        active = form->ActiveWindow;
        reader.FileExit1->trigger();
    });
    form->RSSFeeds1->trigger();  // the tray item runs the Tools command
    EXPECT_EQ(steps.Played(), 1u);
    EXPECT_EQ(active, RSSForm) << "the tray brings the running reader up";
    EXPECT_EQ(form->ActiveWindow, form.get());
    EXPECT_TRUE(RSSForm->RssDir.endsWith("html/rss")) << RSSForm->RssDir.toStdString();
    const QString list = QDir(RSSForm->ConfigDir).filePath(kFeedListFileName);
    QFile saved(list);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << list.toStdString();
    EXPECT_TRUE(saved.readAll().contains("[Feed-7]\n")) << "written when the reader closed";
}
