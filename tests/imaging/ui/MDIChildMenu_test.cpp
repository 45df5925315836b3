#include "../PassFixtures.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "PassWindow.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/ZoomWin.h"
#include "orbit/Sat.h"
#include "platform/ProgramFolder.h"
#include "publishing/Logger.h"
#include "publishing/ui/LogDlg.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <memory>

using namespace passwindow;

namespace {

// The scene temperature (degrees C) of the channel B video word under the
// pointer, and the read-out's own number.
double SceneCelsius(int word) { return passfixture::SceneKelvin(word) - 273.15; }
double ReadCelsius(const QString& text)
{
    const QString number = text.mid(QString("Temp: ").size()).chopped(2);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 1e9;
}

class MDIChildMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder()).isEmpty());
        passfixture::FillCompletePass(*child.APT, passfixture::CalibratedPass(kPassLines));
        child.resize(600, 400);
        child.show();
        ASSERT_TRUE(child.ShowView(ivNormal, 0));
    }
    TMDIChild child;
};

}  // namespace

TEST_F(MDIChildMenu, ViewItemsRenderTheChosenViewAndKeepTheirCheckWithIt)
{
    child.MI_Video_B->trigger();
    EXPECT_EQ(child.View, ivVideoB);
    EXPECT_TRUE(child.windowTitle().startsWith("Video B ["));
    EXPECT_TRUE(child.MI_Video_B->isChecked());
    // Channel B's video: the warm right of the scene is dark, the cold left light.
    EXPECT_GT(qRed(child.DisplayBitmap.pixel(86 + 50, 200)), qRed(child.DisplayBitmap.pixel(86 + 850, 200)) + 40);

    child.MI_IR_BrightnessTemps->trigger();
    EXPECT_EQ(child.View, ivIRTemperatures);
    EXPECT_TRUE(child.windowTitle().startsWith("IR Brightness Temperatures ["));

    // A view that cannot be made leaves the check with the view shown.
    QFile::remove(testenv::ProgramDir() + "config/lut/test_fcab.jpg");
    ModalCatcher boxes;
    child.MI_FC_AB->trigger();
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Error: No color Lookup table!");
    EXPECT_EQ(child.View, ivIRTemperatures);
    EXPECT_TRUE(child.MI_IR_BrightnessTemps->isChecked());
    EXPECT_FALSE(child.MI_FC_AB->isChecked());
}

TEST_F(MDIChildMenu, ActivationChecksTheWindowsModelDirectionViewAndChop)
{
    child.ShowView(ivVideoA, 0);
    child.Pass = std::make_unique<TSat>(Noaa18Pass(true));
    child.APT->SpacecraftModel = scNOAA15;
    child.FormActivate();
    EXPECT_TRUE(child.Images1->menuAction()->isVisible());
    EXPECT_TRUE(child.Effect1->menuAction()->isVisible());
    EXPECT_TRUE(child.MI_Video_A->isChecked());
    EXPECT_TRUE(child.NOAA151->isChecked());
    EXPECT_TRUE(child.Northbound1->isChecked());
    EXPECT_EQ(child.Northbound1->text(), "Nortbound");
    ASSERT_TRUE(child.Choptovideo1->isEnabled());
    EXPECT_EQ(child.Choptovideo1->text(), "Chop to video");

    // Chop to video and back: 909 video columns, then the full channel.
    child.Choptovideo1->trigger();
    EXPECT_EQ(child.Image->columns, 909u);
    EXPECT_EQ(child.Choptovideo1->text(), "Show markers");
    child.Choptovideo1->trigger();
    EXPECT_EQ(child.Image->columns, 1040u);
    EXPECT_EQ(child.Choptovideo1->text(), "Chop to video");

    // Without a pass the direction menu is the window's own choice and
    // survives activation; the model check follows the engine.
    child.Pass.reset();
    child.Northbound1->trigger();
    child.NOAA181->trigger();
    EXPECT_EQ(child.APT->SpacecraftModel, scNOAA18);
    child.FormActivate();
    EXPECT_TRUE(child.Northbound1->isChecked());
    EXPECT_TRUE(child.NOAA181->isChecked());
    EXPECT_TRUE(child.IsNorthbound());

    child.ShowView(ivNormal, 0);
    child.FormActivate();
    EXPECT_TRUE(child.MI_Normal->isChecked());
    EXPECT_FALSE(child.Choptovideo1->isEnabled()) << "the Normal view is never chopped";

    // A window still decoding shows neither menu.
    child.APT->Flags &= ~aptComplete;
    child.FormActivate();
    EXPECT_FALSE(child.Images1->menuAction()->isVisible());
    EXPECT_FALSE(child.Effect1->menuAction()->isVisible());
}

TEST_F(MDIChildMenu, ModelChangesRenderOnlyWhenTheyChangeACalibratedView)
{
    child.MI_Video_B->trigger();
    child.APT->SpacecraftModel = scNOAA18;
    const QImage before = child.DisplayBitmap;
    child.DisplayBitmap.fill(Qt::black);  // a rendering would replace it
    child.NOAA181->trigger();
    EXPECT_EQ(child.DisplayBitmap.pixel(500, 200), qRgb(0, 0, 0)) << "the model already set renders nothing";
    child.NOAA121->trigger();
    EXPECT_EQ(child.APT->SpacecraftModel, scNOAA12);
    EXPECT_NE(child.DisplayBitmap.pixel(500, 200), qRgb(0, 0, 0)) << "a new model renders the view again";

    child.MI_Normal->trigger();
    child.DisplayBitmap.fill(Qt::black);
    child.NOAA141->trigger();
    EXPECT_EQ(child.APT->SpacecraftModel, scNOAA14);
    EXPECT_EQ(child.DisplayBitmap.pixel(500, 200), qRgb(0, 0, 0)) << "the Normal view shows raw lines";
}

TEST_F(MDIChildMenu, TemperatureReadOutsPointAtChannelBOfTheLineShown)
{
    EXPECT_TRUE(child.GetTemperatureText(500, 10).isEmpty()) << "the Normal view shows no temperature";
    EXPECT_EQ(child.GetTimeText(120), "Time: 1:0.0");

    struct Case {
        const char* name;
        int view;
        bool northbound;
        bool chop;
        int x;     // pointer column
        int word;  // channel B video word under it, -1 none
    };
    const Case cases[] = {
        {"video B, southbound", ivVideoB, false, false, 86 + 454, 454},
        {"video B, left of the video", ivVideoB, false, false, 86, -1},
        {"video B, right of the video", ivVideoB, false, false, 995, -1},
        {"video A reads channel B beside it", ivVideoA, false, false, 86 + 100, 100},
        {"IR view, northbound mirrored", ivIRTemperatures, true, false, 1039 - (86 + 800), 800},
        {"northbound, sync side", ivIRTemperatures, true, false, 1000, -1},
        {"video only, southbound", ivVideoB, false, true, 700, 700},
        {"video only, northbound", ivVideoB, true, true, 908 - 200, 200},
        {"video only, beyond the image", ivVideoB, false, true, 909, -1},
    };
    for (const Case& c : cases) {
        (c.northbound ? child.Northbound1 : child.Southbound1)->setChecked(true);
        child.Choptovideo1->setData(c.chop ? 0 : 1);
        ASSERT_TRUE(child.ShowView(c.view, vfForce | vfToggleChop)) << c.name;
        ASSERT_EQ(child.Image->columns, c.chop ? 909u : 1040u) << c.name;
        const QString text = child.GetTemperatureText(c.x, 30);
        if (c.word < 0) {
            EXPECT_TRUE(text.isEmpty()) << c.name << ": " << text.toStdString();
            continue;
        }
        ASSERT_TRUE(text.startsWith("Temp: ") && text.endsWith(QStringLiteral("\u00B0C"))) << c.name;
        EXPECT_NEAR(ReadCelsius(text), SceneCelsius(c.word), 1.0) << c.name << ": " << text.toStdString();
        // Northbound passes are drawn bottom up: the time counts from the bottom row.
        const int row = c.northbound ? kPassLines - 1 - 121 : 121;
        EXPECT_EQ(child.GetTimeText(row), "Time: 1:0.5") << c.name;
    }
    EXPECT_EQ(child.GetTimeText(child.IsNorthbound() ? kPassLines - 1 : 0), "Time: 0:0.0");
    EXPECT_TRUE(child.GetTimeText(kPassLines).isEmpty());
}

TEST_F(MDIChildMenu, AWindowWithoutAPassHasNoDailyLog)
{
    QStringList opened;
    const auto keep = TMDIChild::OpenDailyPage;
    TMDIChild::OpenDailyPage = [&](const QString& page) { opened << page; };
    ModalCatcher boxes;
    child.AddtotheDailylog2->trigger();
    TMDIChild::OpenDailyPage = keep;
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Error: No satellite!");
    EXPECT_EQ(boxes.Texts[0], "The log can not be created.\nNo satellite found for this wave-form.");
    EXPECT_TRUE(opened.isEmpty());
}

TEST(MDIChildInMainWindow, MenusMergeWhileActiveAndTheMouseFeedsTheToolBar)
{
    std::unique_ptr<TMainForm> form = MakeMainForm();
    auto titles = [&] {
        QStringList list;
        for (QAction* action : form->menuBar()->actions())
            if (action->isVisible())
                list << action->text();
        return list;
    };
    const QStringList bare = titles();

    TMDIChild* child = AddPassWindow(*form);
    auto* window = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    ASSERT_TRUE(child->ShowView(ivVideoB, vfRefreshMenus));
    const QStringList merged = titles();
    const int file = merged.indexOf("File");
    ASSERT_GE(file, 0) << merged.join(",").toStdString();
    EXPECT_EQ(merged.mid(file + 1, 5), QStringList({"Edit", "Images", "Transform", "Effect", "Enhance"}))
        << merged.join(",").toStdString();
    EXPECT_LT(merged.indexOf("Enhance"), merged.indexOf("&Window"));

    // The pointer over the video of line 120 of the kept range.
    form->Settings->ImageModes |= 2;  // only the noise-free lines
    child->APT->FirstLine = 20;
    child->APT->LastLine = kPassLines - 20;
    ASSERT_TRUE(child->ShowView(ivVideoB, vfForce));
    ASSERT_EQ(static_cast<int>(child->Image->rows), kPassLines - 40);
    const QPoint point(86 + 454, 100);
    QMouseEvent move(QEvent::MouseMove, point, child->pb->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(child->pb, &move);
    EXPECT_EQ(form->WavePosLabel->text(), "Time: 1:0.0") << "line 20 + 100 = 120";
    EXPECT_NEAR(ReadCelsius(form->TemperatureLabel->text()), SceneCelsius(454), 1.0)
        << form->TemperatureLabel->text().toStdString();

    // The magnifier takes the neighbourhood of the pointer; beyond the
    // image's right edge it is black.
    child->Magnifier->trigger();
    ASSERT_TRUE(ZoomWin && ZoomWin->isVisible());
    const QPoint edge(1035, 100);
    QMouseEvent nearEdge(QEvent::MouseMove, edge, child->pb->mapToGlobal(edge), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
    QApplication::sendEvent(child->pb, &nearEdge);  // sizes the source
    QApplication::sendEvent(child->pb, &nearEdge);
    TDIB* source = form->Magnifier.get();
    ASSERT_EQ(source->Width(), ZoomWin->GetSourceSize());
    const int side = source->Width();
    const int left = 1035 - side / 2;
    TColor colour = 0;
    const int topRow = side - 1;  // image row 100 - side / 2
    ASSERT_TRUE(source->GetPixel(1039 - left, topRow, colour));
    const QRgb shown = child->DisplayBitmap.pixel(1039, 100 - side / 2);
    EXPECT_EQ(colour, TColor(qRed(shown) | qGreen(shown) << 8 | qBlue(shown) << 16));
    ASSERT_TRUE(source->GetPixel(1040 - left, topRow, colour));
    EXPECT_EQ(colour, 0) << "beyond the image";

    // The wheel scrolls by 15 pixels.
    QScrollBar* vertical = child->sb->verticalScrollBar();
    ASSERT_GT(vertical->maximum(), 30);
    vertical->setValue(0);
    QWheelEvent wheel(QPointF(50, 50), child->sb->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child->sb->viewport(), &wheel);
    EXPECT_EQ(vertical->value(), 15);

    window->close();
    QApplication::processEvents();
    EXPECT_EQ(titles(), bare) << "no image window, no image menus";
}

TEST(MDIChildInMainWindow, AddingToTheDailyLogWritesTodaysPageAndShowsIt)
{
    std::unique_ptr<TMainForm> form = MakeMainForm();
    TMDIChild* child = AddPassWindow(*form);
    ASSERT_TRUE(child->ShowView(ivVideoB, 0));
    child->Pass = std::make_unique<TSat>(Noaa18Pass(false));
    QStringList opened;
    const auto keep = TMDIChild::OpenDailyPage;
    TMDIChild::OpenDailyPage = [&](const QString& page) { opened << page; };
    const QString page = form->Folders().GetLogDir() + "/daily/index.html";
    TLogForm processLog;  // made at start-up with the other windows
    ASSERT_EQ(LogForm, &processLog);
    TLogDlg options;
    ModalAnswer<TLogDlg> createNew([](TLogDlg* dialog) {
        dialog->NewLog->setChecked(true);
        dialog->UploadLog->setChecked(false);
        dialog->OKBtn->click();
    });

    // No products chosen: nothing is written, and a box says where to choose them.
    TSetting::FreeLogImages(&form->Settings->LogImages, false);
    {
        ModalCatcher noImages;
        child->AddtotheDailylog2->trigger();
        EXPECT_EQ(noImages.Texts, QStringList{"No log images are chosen.\nChoose them in Settings > General "
                                              "settings..., page \"General\", tab \"Images to log\"."});
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(page));

    form->Settings->LogImages.Add(new TLogImage(TLogger::kProductNames[ivVideoB], ivVideoB));
    ModalCatcher boxes;
    child->AddtotheDailylog2->trigger();
    TMDIChild::OpenDailyPage = keep;
    EXPECT_TRUE(boxes.Captions.isEmpty()) << boxes.Texts.join("|").toStdString();
    ASSERT_EQ(opened.join("|").toStdString(), page.toStdString()) << LogForm->Lines().join("\n").toStdString();
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(html.contains("popUp('images/img_000.jpg','NOAA 18 Video B')")) << html.toStdString();
    EXPECT_EQ(child->View, ivVideoB) << "the window still shows its view";
    EXPECT_TRUE(child->windowTitle().startsWith("Video B ["));
}
