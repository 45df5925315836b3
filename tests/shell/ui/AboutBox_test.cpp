#include "shell/ui/AboutBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

TEST(AboutBox, ADialogBorderAndEveryLineShownWhole)
{
    TAboutBox box;
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
    box.show();
    auto* pages = box.findChild<QTabWidget*>();
    ASSERT_NE(pages, nullptr);
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        box.adjustSize();
        for (QLabel* label : pages->widget(page)->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisible())
                continue;
            EXPECT_GE(label->width(), label->sizeHint().width())
                << "cut: " << label->text().toStdString();
        }
        if (!qEnvironmentVariableIsEmpty("ORVANTA_SHOTS"))
            box.grab().save(qEnvironmentVariable("ORVANTA_SHOTS") + QString("/about-%1.png").arg(page));
    }
    EXPECT_TRUE(box.Memo1->toPlainText().startsWith("0.1\n- Predicts the passes"));
}
