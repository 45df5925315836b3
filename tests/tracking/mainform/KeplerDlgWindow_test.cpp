// The element-set dialog as a window: its size at the default font, the
// splitters kept in the registry, what OK writes at once, and a URL too
// long for the list of sources.
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"
#include "support/TestEnv.h"
#include "tracking/ui/KeplerDlg.h"

#include <QFile>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

const char kKey[] = "APT\\KeplerDialog";

QSplitter* Splitter(const char* name)
{
    return KeplerDlg->findChild<QSplitter*>(name);
}

struct KeplerWindow {
    KeplerWindow() { form = std::make_unique<TMainForm>(); }
    ~KeplerWindow() { form->close(); }
    ModalCatcher boxes;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST(KeplerDlgWindow, AtItsDefaultSizeAllTabsShowAndURLsAreNotCut)
{
    KeplerWindow window;
    TKeplerDlg& dialog = *KeplerDlg;
    dialog.show();
    QTabBar* tabs = dialog.PageControl->tabBar();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_LE(tabs->tabRect(3).right(), tabs->width()) << "the fourth tab is in view";
    EXPECT_GE(tabs->width(), tabs->sizeHint().width());
    const QFontMetrics metrics = dialog.UrlGrid->fontMetrics();
    for (QTableWidget* grid : {dialog.UrlGrid, dialog.ArcGrid})
        for (int row = 0; row < grid->rowCount(); ++row) {
            const QTableWidgetItem* cell = grid->item(row, 0);
            if (!cell)
                continue;  // the empty row of a list without sources
            const QString url = cell->text();
            EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(url)) << url.toStdString();
        }
    EXPECT_EQ(dialog.UrlGrid->textElideMode(), Qt::ElideMiddle) << "a longer URL keeps its document's name";
    dialog.hide();
}

TEST(KeplerDlgWindow, TheSplittersComeBackFromTheRegistry)
{
    WriteRegistryString(kKey, "UrlGridHeight", "100");
    WriteRegistryString(kKey, "ArcGridHeight", "120");
    WriteRegistryString(kKey, "ListPanelWidth", "150");
    KeplerWindow window;
    TKeplerDlg& dialog = *KeplerDlg;
    dialog.show();
    EXPECT_EQ(Splitter("UrlSplitter")->sizes().value(0), 100);
    dialog.PageControl->setCurrentIndex(1);
    EXPECT_EQ(Splitter("ListSplitter")->sizes().value(0), 150);
    dialog.PageControl->setCurrentIndex(2);
    EXPECT_EQ(Splitter("ArcSplitter")->sizes().value(0), 120);

    // Moved by the user and confirmed: written at once.
    QSplitter* urls = Splitter("UrlSplitter");
    const int total = urls->sizes().value(0) + urls->sizes().value(1);
    urls->setSizes({140, total - 140});
    dialog.hide();
    ModalSteps user;
    user.Then<TKeplerDlg>([](TKeplerDlg& dlg) { dlg.OKBtn->click(); });
    window.form->Keplerianelements1Click();
    EXPECT_EQ(ReadRegistryString(kKey, "UrlGridHeight"), "140");
    EXPECT_EQ(ReadRegistryString(kKey, "ArcGridHeight"), "120");
    EXPECT_EQ(ReadRegistryString(kKey, "ListPanelWidth"), "150");
    EXPECT_FALSE(ReadRegistryString(kKey, "wAttr").isEmpty());
}

TEST(KeplerDlgWindow, UnusableStoredSizesAreIgnoredAndUnshownPagesKeepTheirs)
{
    WriteRegistryString(kKey, "UrlGridHeight", "99999");
    WriteRegistryString(kKey, "ArcGridHeight", "-5");
    WriteRegistryString(kKey, "ListPanelWidth", "130");
    KeplerWindow window;
    TKeplerDlg& dialog = *KeplerDlg;
    dialog.show();
    const QList<int> sizes = Splitter("UrlSplitter")->sizes();
    EXPECT_GT(sizes.value(1), 0) << "the log keeps its room";
    dialog.hide();
    ModalSteps user;
    user.Then<TKeplerDlg>([](TKeplerDlg& dlg) { dlg.OKBtn->click(); });
    window.form->Keplerianelements1Click();
    EXPECT_EQ(ReadRegistryString(kKey, "ListPanelWidth"), "130") << "never shown this run: kept as read";
    EXPECT_EQ(ReadRegistryString(kKey, "UrlGridHeight"), QString::number(sizes.value(0)));
}

TEST(KeplerDlgWindow, OKWritesTheSourcesAtOnce)
{
    KeplerWindow window;
    TKeplerDlg& dialog = *KeplerDlg;
    const QString list = window.form->Folders().GetKepURLFileName();
    dialog.SetRows(TSourceKind::CurrentData, {{"http://127.0.0.1:8/first.txt", "N/A", "Weather", "Yes"}});
    dialog.SourcesChanged = false;
    QFile::remove(list);
    ModalSteps user;
    user.Then<TKeplerDlg>([](TKeplerDlg& dlg) {
        dlg.UrlGrid->item(0, 0)->setText("http://127.0.0.1:8/typed.txt");
        dlg.OKBtn->click();
    });
    window.form->Keplerianelements1Click();
    ASSERT_EQ(user.Played(), 1u);
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "written on OK, not only at exit";
    EXPECT_TRUE(file.readAll().contains("[http://127.0.0.1:8/typed.txt]\nN/A\nWeather\nYes\n"));
    EXPECT_FALSE(dialog.SourcesChanged);
}

TEST(KeplerDlgWindow, AURLTheListCannotHoldIsRefusedWithABox)
{
    KeplerWindow window;
    TKeplerDlg& dialog = *KeplerDlg;
    dialog.SetRows(TSourceKind::CurrentData, {{"http://127.0.0.1:8/first.txt", "N/A", "Weather", "Yes"}});
    dialog.SourcesChanged = false;
    const qsizetype before = window.boxes.Texts.size();
    const QString base = "http://127.0.0.1:8/";
    const QString tooLong = base + QString(510 - base.size(), 'x');
    dialog.UrlGrid->item(0, 0)->setText(tooLong);
    ASSERT_EQ(window.boxes.Texts.size(), before + 1);
    EXPECT_TRUE(window.boxes.Texts.last().contains("510 characters long")) << window.boxes.Texts.last().toStdString();
    EXPECT_TRUE(window.boxes.Texts.last().contains("at most 509"));
    EXPECT_EQ(dialog.UrlGrid->item(0, 0)->text(), "http://127.0.0.1:8/first.txt") << "the cell keeps its URL";
    EXPECT_FALSE(dialog.SourcesChanged);

    const QString longest = base + QString(509 - base.size(), 'y');
    dialog.UrlGrid->item(0, 0)->setText(longest);
    EXPECT_EQ(window.boxes.Texts.size(), before + 1);
    EXPECT_TRUE(dialog.SourcesChanged);
    EXPECT_EQ(dialog.Rows(TSourceKind::CurrentData).value(0).URL, longest);
}
