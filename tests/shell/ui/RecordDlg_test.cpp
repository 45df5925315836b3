// The general settings dialog on copies of a settings record and a receiver
// link: what it shows, what each control stores and flags, and what OK
// takes back.
#include "../SettingsCompare.h"
#include "radio/Rig.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/RadioGroup.h"
#include "shell/ui/RecordDlg.h"
#include "shell/ui/UDEdit.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A record away from the defaults with every value inside its control's range.
TSetting InRangeSettings()
{
    TSetting s;
    s.ImageModes = 5; s.RIGModes = 1; s.WinModes = 5; s.LogModes = 0x2A5; s.PassModes = 0x1B;
    s.PassElev = 25; s.AOSElev = 3; s.LOSElev = 7; s.Duration = 605;
    s.AOSPathLoss = 139.25; s.LOSPathLoss = 141.5; s.IRSunEle = -12;
    s.AnnotateModes = 3; s.AnnotateText = QString::fromUtf8("Empfangen in Köln ©");
    s.FontName = "DejaVu Sans"; s.FontFile = "@/usr/share/fonts/x.ttf"; s.TextPos = 5;
    s.FontColor = 0x00FF00; s.FontBkColor = 0x123456; s.FontSize = 14.0; s.TextBkOpacity = 80;
    s.LogoFilename = "/nonexistent/logo.png"; s.LogoPos = 3;
    s.Host = "ftp.station.test"; s.UserName = "user"; s.Password = "secret"; s.FTPDir = "/apt";
    s.LogURL = "http://station.test/apt/logs"; s.Email = "me@station.test"; s.BlogTitle = "My APT";
    s.ThumbSize = 20; s.ImageExt = ".tiff"; s.RawExt = ".png"; s.Compression = 8; s.Quality = 90;
    s.ImageType = 2; s.Interlace = 2; s.Contrast = 2; s.Gamma = 2.25;
    s.Brightness = 150; s.Saturation = 90; s.Hue = 110; s.LowTempValue = -30.5;
    s.LogImages.Add(new TLogImage("Normal", 0));
    s.LogImages.Add(new TLogImage("Video B", 2));
    s.LogImages.Add(new TLogImage("IR Low temperatures (ch 4)", 7));
    return s;
}

// The dialog open on its own copies, as the main window hands them over.
struct DialogBench {
    explicit DialogBench(const TSetting& start = TSetting())
    {
        settings.Assign(start);
        dlg.Settings = &settings;
        dlg.Rig = &rig;
        dlg.show();
    }
    void Ok() { dlg.accept(); }
    TSetting settings;
    TRig rig;
    TRecordDlg dlg;
};

}  // namespace

TEST(RecordDlg, OkWithoutAChangeKeepsTheSettingsButForTheNormalisedOnes)
{
    TSetting start = InRangeSettings();
    start.FTPDir = "/apt/";
    start.LogImages.Add(new TLogImage("Normal", 0));  // a duplicate
    start.LogImages.Add(new TLogImage("nothing", 9)); // no such product
    start.LogImages.Add(new TLogImage("Video A", -1));
    DialogBench bench(start);
    EXPECT_FALSE(bench.dlg.Loading);
    EXPECT_EQ(bench.dlg.TuneStatusLabel->text(), "N/A");
    EXPECT_FALSE(bench.dlg.ApplyDirBtn->isEnabled());
    bench.Ok();
    EXPECT_EQ(bench.dlg.ChangeFlags, 0);

    TSetting expected = InRangeSettings();
    expected.FTPDir = "/apt";
    ExpectSameSettings(bench.settings, expected);
}

TEST(RecordDlg, EachControlStoresItsValueAndFlagsItsGroup)
{
    using Dlg = TRecordDlg;
    struct Case {
        const char* name;
        std::function<void(Dlg&)> act;
        std::function<bool(const TSetting&, const TRig&)> stored;
        int flags;
    };
    const TSetting d;  // the defaults every case starts from
    const Case cases[] = {
        {"EnableRec", [](Dlg& g) { g.EnableRec->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x1); }, rcAutoRecording},
        {"AutoDecode", [](Dlg& g) { g.AutoDecode->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x2); }, 0},
        {"DontSaveBadWaves", [](Dlg& g) { g.DontSaveBadWaves->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x4); }, 0},
        {"HTMLLOG", [](Dlg& g) { g.HTMLLOG->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x8); }, 0},
        {"FTPLOG", [](Dlg& g) { g.FTPLOG->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x10); }, 0},
        {"SaveRAW", [](Dlg& g) { g.SaveRAW->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x20); }, 0},
        {"Chop2Video", [](Dlg& g) { g.Chop2Video->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x40); }, 0},
        {"LogPoorQuality", [](Dlg& g) { g.LogPoorQuality->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x80); }, 0},
        {"CustomCSSCb", [](Dlg& g) { g.CustomCSSCb->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x100); }, 0},
        {"IRAtNight", [](Dlg& g) { g.IRAtNight->click(); }, [&](auto& s, auto&) { return s.LogModes == (d.LogModes ^ 0x200); }, 0},
        {"IRSunEle", [](Dlg& g) { g.IRSunEle->setValue(-7); }, [](auto& s, auto&) { return s.IRSunEle == -7; }, 0},
        {"EnableThresHolds", [](Dlg& g) { g.EnableThresHolds->click(); }, [&](auto& s, auto&) { return s.PassModes == (d.PassModes ^ 0x1); }, rcPassThresholds},
        {"PassElev", [](Dlg& g) { g.PassElev->setValue(33); }, [](auto& s, auto&) { return s.PassElev == 33; }, rcPassThresholds},
        {"NorthElev", [](Dlg& g) { g.NorthElev->setValue(12); }, [](auto& s, auto&) { return s.AOSElev == 12; }, rcPassThresholds},
        {"SouthElev", [](Dlg& g) { g.SouthElev->setValue(13); }, [](auto& s, auto&) { return s.LOSElev == 13; }, rcPassThresholds},
        {"MinMins", [](Dlg& g) { g.MinMins->setValue(9); }, [&](auto& s, auto&) { return s.Duration == 9 * 60 + d.Duration % 60; }, rcPassThresholds},
        {"path-loss button", [](Dlg& g) { g.UsePathLossThresholds->click(); }, [&](auto& s, auto&) { return s.PassModes == (d.PassModes & ~0x2); }, rcPassThresholds},
        {"ForcePathLossThresholds", [](Dlg& g) { g.ForcePathLossThresholds->click(); }, [&](auto& s, auto&) { return s.PassModes == (d.PassModes ^ 0x4); }, rcPassThresholds},
        {"ThresholdType", [](Dlg& g) { g.ThresholdType->Button(1)->click(); }, [&](auto& s, auto&) { return s.PassModes == (d.PassModes | 0x8); }, rcPassThresholds},
        {"OverlapWarning", [](Dlg& g) { g.OverlapWarning->click(); }, [&](auto& s, auto&) { return s.PassModes == (d.PassModes ^ 0x10); }, rcPassThresholds},
        {"TuneRIG", [](Dlg& g) { g.TuneRIG->click(); }, [&](auto& s, auto&) { return s.RIGModes == (d.RIGModes ^ 0x1); }, rcReceiver},
        {"RIGRadio", [](Dlg& g) { g.RIGRadio->setCurrentIndex(3); }, [](auto&, auto& r) { return r.Radio == 3; }, rcReceiver},
        {"RIGCOM", [](Dlg& g) { g.RIGCOM->setCurrentIndex(4); }, [](auto&, auto& r) { return r.Port == 5; }, rcReceiver},
        {"RIGBaudRate", [](Dlg& g) { g.RIGBaudRate->setCurrentIndex(8); }, [](auto&, auto& r) { return r.BaudRate == 3; }, 0},
        {"MinimizeToTray", [](Dlg& g) { g.MinimizeToTray->click(); }, [&](auto& s, auto&) { return s.WinModes == (d.WinModes ^ 0x1); }, 0},
        {"ShowVerInfo", [](Dlg& g) { g.ShowVerInfo->click(); }, [&](auto& s, auto&) { return s.WinModes == (d.WinModes ^ 0x4); }, 0},
        {"AOSPathLoss", [](Dlg& g) { g.AOSPathLoss->SetValue(131.75); }, [](auto& s, auto&) { return s.AOSPathLoss == 131.75; }, 0},
        {"FTPHost", [](Dlg& g) { g.FTPHost->setText("ftp.other.test"); }, [](auto& s, auto&) { return s.Host == "ftp.other.test"; }, 0},
        {"Brightness", [](Dlg& g) { g.Brightness->setValue(210); }, [](auto& s, auto&) { return s.Brightness == 210; }, rcImage},
        {"Saturation", [](Dlg& g) { g.Saturation->setValue(211); }, [](auto& s, auto&) { return s.Saturation == 211; }, rcImage},
        {"Hue", [](Dlg& g) { g.Hue->setValue(212); }, [](auto& s, auto&) { return s.Hue == 212; }, rcImage},
        {"Gamma", [](Dlg& g) { g.Gamma->setValue(40); }, [](auto& s, auto&) { return s.Gamma == 2.0; }, rcImage},
        {"Contrast", [](Dlg& g) { g.Contrast->Button(3)->click(); }, [](auto& s, auto&) { return s.Contrast == 3; }, rcImage},
        {"ReduceNoise", [](Dlg& g) { g.ReduceNoise->click(); }, [&](auto& s, auto&) { return s.ImageModes == (d.ImageModes ^ 0x1); }, rcImage},
        {"ChopNoise", [](Dlg& g) { g.ChopNoise->click(); }, [&](auto& s, auto&) { return s.ImageModes == (d.ImageModes ^ 0x2); }, rcImage},
        {"HistogramEqu", [](Dlg& g) { g.HistogramEqu->click(); }, [&](auto& s, auto&) { return s.ImageModes == (d.ImageModes ^ 0x4); }, rcImage},
        {"RAWImageType", [](Dlg& g) { g.RAWImageType->setCurrentIndex(1); }, [](auto& s, auto&) { return s.RawExt == ".png"; }, rcImage},
        {"LogImageType", [](Dlg& g) { g.LogImageType->setCurrentIndex(8); }, [](auto& s, auto&) { return s.ImageExt == ".gif" && s.Compression == 1; }, 0},
        {"EnableTextChk", [](Dlg& g) { g.EnableTextChk->click(); }, [&](auto& s, auto&) { return s.AnnotateModes == (d.AnnotateModes ^ 0x1); }, 0},
        {"EnableLogoChk", [](Dlg& g) { g.EnableLogoChk->click(); }, [&](auto& s, auto&) { return s.AnnotateModes == (d.AnnotateModes ^ 0x2); }, 0},
        {"TextPos", [](Dlg& g) { g.TextPos->setCurrentIndex(4); }, [](auto& s, auto&) { return s.TextPos == 4; }, 0},
        {"LogoPos", [](Dlg& g) { g.LogoPos->setCurrentIndex(2); }, [](auto& s, auto&) { return s.LogoPos == 2; }, 0},
        {"TextBkOpacity", [](Dlg& g) { g.TextBkOpacity->setValue(33); }, [](auto& s, auto&) { return s.TextBkOpacity == 33; }, 0},
        {"ImageText", [](Dlg& g) { g.ImageText->setText("Station"); }, [](auto& s, auto&) { return s.AnnotateText == "Station"; }, 0},
        {"ThumbSize", [](Dlg& g) { g.ThumbSize->setValue(44); }, [](auto& s, auto&) { return s.ThumbSize == 44; }, 0},
    };
    for (const Case& c : cases) {
        DialogBench bench(d);
        c.act(bench.dlg);
        bench.Ok();
        EXPECT_EQ(bench.dlg.ChangeFlags, c.flags) << c.name;
        EXPECT_TRUE(c.stored(bench.settings, bench.rig)) << c.name;
    }
}

TEST(RecordDlg, NormalizeFTPDirDropsOneTrailingSlash)
{
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"", "/"}, {"/", ""}, {"a//", "a/"}, {"/html/apt/logs/", "/html/apt/logs"}, {"/apt", "/apt"}};
    for (const auto& c : cases)
        EXPECT_EQ(TRecordDlg::NormalizeFTPDir(c.typed), c.stored) << c.typed;
}

TEST(RecordDlg, FormatListsShowAndStoreTheRecordsNumbers)
{
    {
        DialogBench bench;
        bench.dlg.LogImageType->setCurrentIndex(1);  // PNG
        EXPECT_EQ(bench.settings.ImageExt, ".png");
        EXPECT_EQ(bench.settings.Compression, 10);
        EXPECT_EQ(bench.settings.Quality, 75);
        EXPECT_EQ(bench.settings.ImageType, 6);
        EXPECT_EQ(bench.dlg.LogImageComression->currentText(), "Zip Compression");
        EXPECT_EQ(bench.dlg.LogImageQualityLabel->text(), "75 %");
        bench.dlg.LogImageType->setCurrentIndex(2);  // JNG
        EXPECT_EQ(bench.settings.Compression, 5);
        EXPECT_EQ(bench.dlg.LogImageComression->currentText(), "Lossy Compression");
    }
    {
        TSetting s;
        s.ImageExt = ".gif";
        s.Compression = 3;  // no item stands for it
        s.RawExt = ".xyz";
        DialogBench bench(s);
        EXPECT_EQ(bench.dlg.LogImageComression->currentText(), "No Compression");
        EXPECT_EQ(bench.dlg.RAWImageType->currentText(), "GZ, GZIP Compressed double precision");
        EXPECT_EQ(bench.settings.RawExt, ".gz");
        bench.Ok();
        EXPECT_EQ(bench.settings.Compression, 1);
        EXPECT_EQ(bench.settings.ImageExt, ".gif");
    }
    {
        TSetting s;
        s.ImageExt = ".png";
        s.Compression = 2;
        DialogBench bench(s);
        EXPECT_EQ(bench.dlg.LogImageComression->currentText(), "BZip Compression");
    }
    {
        TSetting s;
        s.ImageExt = ".pcx";  // not in the list: the defaults, shown as JPG
        s.Compression = 10;
        s.Quality = 50;
        DialogBench bench(s);
        EXPECT_EQ(bench.dlg.LogImageType->currentText(), "JPG, Joint Photographics Group");
        EXPECT_EQ(bench.settings.ImageExt, ".jpg");
        EXPECT_EQ(bench.settings.Compression, 7);
        EXPECT_EQ(bench.settings.Quality, 75);
    }
    {
        TSetting s;
        s.ImageExt = ".gz";  // no item; OK brings back the defaults
        s.Compression = 1;
        s.Quality = 50;
        DialogBench bench(s);
        EXPECT_EQ(bench.dlg.LogImageType->currentIndex(), -1);
        bench.Ok();
        EXPECT_EQ(bench.settings.ImageExt, ".jpg");
        EXPECT_EQ(bench.settings.Compression, 7);
        EXPECT_EQ(bench.settings.Quality, 75);
    }
}

TEST(RecordDlg, DurationProductsPortsAndBaudRates)
{
    TSetting s;
    s.Duration = 64;
    DialogBench bench(s);
    EXPECT_EQ(bench.dlg.MinMins->value(), 1);
    EXPECT_EQ(bench.dlg.MinSecs->value(), 4);
    bench.dlg.MinSecs->setValue(10);
    EXPECT_EQ(bench.settings.Duration, 70);

    for (int i = 0; i < bench.dlg.LogImageList->count(); ++i)
        bench.dlg.LogImageList->item(i)->setCheckState(Qt::Checked);
    bench.Ok();
    ASSERT_EQ(bench.settings.LogImages.Count, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bench.settings.LogImages.At(i)->Type, i);
        EXPECT_EQ(bench.settings.LogImages.At(i)->Name, bench.dlg.LogImageList->item(i)->text());
    }

    DialogBench radio;
    radio.rig.Port = 0;
    radio.dlg.hide();
    radio.dlg.show();
    EXPECT_EQ(radio.dlg.RIGCOM->currentIndex(), -1) << "port 0: none selected";
    radio.dlg.RIGCOM->setCurrentIndex(2);
    EXPECT_EQ(radio.rig.Port, 3);
    radio.dlg.RIGRadio->setCurrentIndex(2);
    EXPECT_EQ(radio.dlg.RIGBaudRate->currentText(), "9600");
    EXPECT_EQ(radio.rig.BaudRate, 6);
    radio.dlg.RIGRadio->setCurrentIndex(0);
    EXPECT_EQ(radio.dlg.RIGBaudRate->currentText(), "1200");
    EXPECT_EQ(radio.rig.BaudRate, 3);
}

TEST(RecordDlg, GammaBarEndsAndThresholdLabels)
{
    DialogBench bench;
    bench.dlg.Gamma->setValue(0);
    EXPECT_EQ(bench.settings.Gamma, 0.0);
    EXPECT_EQ(bench.dlg.GammaLabel->text(), "0.00");
    EXPECT_EQ(bench.settings.ClampGamma(0), 1.15) << "users of the gamma read 0 as the default";
    bench.dlg.Gamma->setValue(100);
    EXPECT_EQ(bench.settings.Gamma, 5.0);
    EXPECT_EQ(bench.dlg.GammaLabel->text(), "5.00");

    EXPECT_EQ(bench.dlg.EleAOS->text(), "AOS:");
    bench.dlg.ThresholdType->Button(1)->click();
    for (QLabel* label : {bench.dlg.EleAOS, bench.dlg.PlAOS})
        EXPECT_EQ(label->text(), "North:");
    for (QLabel* label : {bench.dlg.EleLOS, bench.dlg.PlLOS})
        EXPECT_EQ(label->text(), "South:");
    bench.dlg.ThresholdType->Button(0)->click();
    EXPECT_EQ(bench.dlg.PlLOS->text(), "LOS:");

    ASSERT_TRUE(bench.dlg.TransparentTxt->isChecked()) << "the default";
    EXPECT_FALSE(bench.dlg.TextBkGB->isEnabled());
    bench.dlg.TransparentTxt->click();
    EXPECT_TRUE(bench.dlg.TextBkGB->isEnabled());
    bench.dlg.TransparentTxt->click();
    EXPECT_FALSE(bench.dlg.TextBkGB->isEnabled());
    EXPECT_EQ(bench.settings.TextBkOpacity, TSetting().TextBkOpacity) << "opacity kept";
    EXPECT_EQ(bench.settings.FontBkColor, TSetting().FontBkColor) << "colour kept";
}

TEST(RecordDlg, FoldersAreCheckedMadeAndWrittenAtOnce)
{
    QTemporaryDir dir;
    DialogBench bench;
    ModalCatcher boxes;
    bench.dlg.AudioPath->setText("");
    bench.dlg.LogPath->setText(dir.filePath("log"));
    EXPECT_TRUE(bench.dlg.ApplyDirBtn->isEnabled());
    bench.dlg.ApplyDirBtn->click();
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(boxes.Texts[0], "Empty path !");
    EXPECT_EQ(boxes.Captions[0], "Error: Please enter a valid a path!");
    EXPECT_FALSE(bench.dlg.ApplyDirBtn->isEnabled());

    // Below a regular file no folder can be made, not even by root.
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        const char* name;
        QString audio;
    } bad[] = {{"below a file", dir.filePath("plain/audio")}, {"relative", "audio-here"}};
    for (const auto& c : bad) {
        boxes.Texts.clear();
        boxes.Captions.clear();
        bench.dlg.AudioPath->setText(c.audio);
        bench.dlg.ApplyDirBtn->click();
        ASSERT_EQ(boxes.Texts.size(), 1) << c.name;
        EXPECT_EQ(boxes.Texts[0], "Failed to create directory\n" + c.audio) << c.name;
        EXPECT_EQ(boxes.Captions[0], "Error: Bad path!") << c.name;
        EXPECT_EQ(ReadRegistryString("APT\\Paths", "Audio"), "") << c.name;
    }
    EXPECT_FALSE(QDir(QDir::currentPath() + "/audio-here").exists()) << "nothing made below the current folder";

    boxes.Texts.clear();
    bench.dlg.AudioPath->setText(dir.filePath("a/b/audio/"));
    bench.dlg.ApplyDirBtn->click();
    EXPECT_TRUE(boxes.Texts.isEmpty());
    EXPECT_TRUE(QDir(dir.filePath("a/b/audio")).exists());
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Audio"), dir.filePath("a/b/audio"));
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Log"), dir.filePath("log"));

    bench.dlg.DefaultDirBtn->click();
    bench.dlg.reject();
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Audio"), testenv::ProgramDir() + "audio");
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Log"), testenv::ProgramDir() + "html");
    EXPECT_TRUE(QDir(testenv::ProgramDir() + "html").exists());
}

TEST(RecordDlg, KeepsOneSizeAcrossItsPages)
{
    DialogBench bench;
    QApplication::processEvents();
    const QPoint okAt = bench.dlg.OKBtn->mapTo(&bench.dlg, QPoint());
    const QSize size = bench.dlg.size();
    for (int page = 0; page < bench.dlg.MainPageCtrl->count(); ++page) {
        bench.dlg.MainPageCtrl->setCurrentIndex(page);
        QApplication::processEvents();
        EXPECT_EQ(bench.dlg.size(), size) << bench.dlg.MainPageCtrl->tabText(page).toStdString();
        EXPECT_EQ(bench.dlg.OKBtn->mapTo(&bench.dlg, QPoint()), okAt) << "OK does not jump";
    }
}
