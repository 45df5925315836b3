// The general settings dialog: filling the controls from the copies,
// taking them back on OK, and the pages "General", "Pass thresholds",
// "Radio control" and "Custom".
#include "shell/ui/RecordDlg.h"

#include "platform/ProgramFolder.h"
#include "radio/Rig.h"
#include "shell/RegistryHelpers.h"
#include "shell/Setting.h"
#include "shell/ui/RadioGroup.h"
#include "shell/ui/UDEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QSpinBox>
#include <QThread>
#include <QToolButton>

TRecordDlg* RecordDlg = nullptr;

namespace {

const char kPathsKey[] = "APT\\Paths";
const char* const kTestFrequencies[] = {"137.100", "137.500", "137.620", "137.9125", "137.500"};
constexpr int kLogImageItems = 8;

// The boxes of this dialog have no owner window.
void ErrorBox(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

void TRecordDlg::ConnectHandlers()
{
    const struct {
        QCheckBox* box;
        void (TRecordDlg::*handler)();
    } boxes[] = {
        {EnableRec, &TRecordDlg::EnableRecClick},
        {AutoDecode, &TRecordDlg::AutoDecodeClick},
        {DontSaveBadWaves, &TRecordDlg::DontSaveBadWavesClick},
        {SaveRAW, &TRecordDlg::SaveRAWClick},
        {HTMLLOG, &TRecordDlg::HTMLLOGClick},
        {FTPLOG, &TRecordDlg::FTPLOGClick},
        {CustomCSSCb, &TRecordDlg::CustomCSSCbClick},
        {Chop2Video, &TRecordDlg::Chop2VideoClick},
        {LogPoorQuality, &TRecordDlg::LogPoorQualityClick},
        {IRAtNight, &TRecordDlg::IRAtNightClick},
        {EnableThresHolds, &TRecordDlg::EnableThresHoldsClick},
        {ForcePathLossThresholds, &TRecordDlg::ForcePathLossThresholdsClick},
        {OverlapWarning, &TRecordDlg::OverlapWarningClick},
        {TuneRIG, &TRecordDlg::TuneRIGClick},
        {MinimizeToTray, &TRecordDlg::MinimizeToTrayClick},
        {ShowVerInfo, &TRecordDlg::ShowVerInfoClick},
    };
    // A box reports every change of its state, by the user or by FormShow.
    for (const auto& b : boxes)
        On(b.box, &QCheckBox::toggled, b.handler);
    On(IRSunEle, &QSpinBox::valueChanged, &TRecordDlg::IRSunEleChange);
    On(PassElev, &QSpinBox::valueChanged, &TRecordDlg::PassElevChange);
    On(NorthElev, &QSpinBox::valueChanged, &TRecordDlg::NorthElevChange);
    On(SouthElev, &QSpinBox::valueChanged, &TRecordDlg::SouthElevChange);
    On(MinMins, &QSpinBox::valueChanged, &TRecordDlg::MinMinsChange);
    On(MinSecs, &QSpinBox::valueChanged, &TRecordDlg::MinMinsChange);
    On(UseElevationThresholds, &QRadioButton::clicked, &TRecordDlg::ThresholdSelectionClick);
    On(UsePathLossThresholds, &QRadioButton::clicked, &TRecordDlg::ThresholdSelectionClick);
    On(ThresholdType, &TRadioGroup::Click, &TRecordDlg::ThresholdTypeClick);
    On(RIGRadio, &QComboBox::currentIndexChanged, &TRecordDlg::RIGRadioChange);
    On(RIGCOM, &QComboBox::currentIndexChanged, &TRecordDlg::RIGCOMClick);
    On(TestTuneBtn, &QPushButton::clicked, &TRecordDlg::TestTuneBtnClick);
    On(AudioPath, &QLineEdit::textChanged, &TRecordDlg::DirPathChange);
    On(LogPath, &QLineEdit::textChanged, &TRecordDlg::DirPathChange);
    connect(AudioPathBtn, &QToolButton::clicked, this, [this] { PathSpeedBtnClick(0); });
    connect(LogPathBtn, &QToolButton::clicked, this, [this] { PathSpeedBtnClick(1); });
    connect(ApplyDirBtn, &QPushButton::clicked, this, &TRecordDlg::ApplyDirBtnClick);
    connect(DefaultDirBtn, &QPushButton::clicked, this, &TRecordDlg::DefaultDirBtnClick);
}

void TRecordDlg::showEvent(QShowEvent* event)
{
    if (MainPageCtrl->minimumHeight() == 0)
        HoldTallestPage();
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TRecordDlg::HoldTallestPage()
{
    // The pages and their inner tabs differ in height, and the dialog is as
    // tall as the page shown: held at the tallest, OK and Cancel stay put.
    QSize tallest = MainPageCtrl->sizeHint();
    const QList<QTabWidget*> tabs = {MainPageCtrl, LogPageCtrl, ImagePageCtrl, AnnotationPageCtrl};
    QList<int> shown;
    for (QTabWidget* tab : tabs)
        shown << tab->currentIndex();
    for (int page = 0; page < MainPageCtrl->count(); ++page) {
        MainPageCtrl->setCurrentIndex(page);
        for (QTabWidget* inner : tabs.mid(1)) {
            for (int index = 0; index < inner->count(); ++index) {
                inner->setCurrentIndex(index);
                tallest = tallest.expandedTo(MainPageCtrl->sizeHint());
            }
        }
    }
    for (int i = 0; i < tabs.size(); ++i)
        tabs[i]->setCurrentIndex(shown[i]);
    MainPageCtrl->setMinimumSize(tallest);
}

void TRecordDlg::done(int result)
{
    FormCloseQuery(result);
    QDialog::done(result);
}

void TRecordDlg::FormShow()
{
    if (!Settings || !Rig)
        return;
    Loading = true;
    const TSetting& s = *Settings;
    const struct {
        QCheckBox* box;
        int field;
        int bit;
    } boxes[] = {
        {EnableRec, s.LogModes, 0},        {AutoDecode, s.LogModes, 1},     {DontSaveBadWaves, s.LogModes, 2},
        {HTMLLOG, s.LogModes, 3},          {FTPLOG, s.LogModes, 4},         {SaveRAW, s.LogModes, 5},
        {Chop2Video, s.LogModes, 6},       {LogPoorQuality, s.LogModes, 7}, {CustomCSSCb, s.LogModes, 8},
        {IRAtNight, s.LogModes, 9},        {EnableThresHolds, s.PassModes, 0},
        {ForcePathLossThresholds, s.PassModes, 2}, {OverlapWarning, s.PassModes, 4},
        {TuneRIG, s.RIGModes, 0},          {MinimizeToTray, s.WinModes, 0}, {ShowVerInfo, s.WinModes, 2},
    };
    for (const auto& b : boxes)
        b.box->setChecked(b.field & (1 << b.bit));
    IRSunEle->setValue(s.IRSunEle);
    ThresholdType->SetItemIndex(s.PassModes & 0x8 ? 1 : 0);
    UpdateThresholdLabels();
    PassElev->setValue(s.PassElev);
    NorthElev->setValue(s.AOSElev);
    SouthElev->setValue(s.LOSElev);
    MinMins->setValue(s.Duration / 60);
    MinSecs->setValue(s.Duration % 60);
    AOSPathLoss->SetValue(s.AOSPathLoss);
    LOSPathLoss->SetValue(s.LOSPathLoss);
    (s.PassModes & 0x2 ? UseElevationThresholds : UsePathLossThresholds)->setChecked(true);

    FillAnnotationControls();
    for (int i = 0; i < LogImageList->count(); ++i)
        LogImageList->item(i)->setCheckState(Qt::Unchecked);
    for (int i = 0; i < s.LogImages.Count; ++i) {
        const int type = s.LogImages.At(i)->Type;
        if (type >= 0 && type < LogImageList->count())
            LogImageList->item(type)->setCheckState(Qt::Checked);
    }
    ThumbSize->setValue(s.ThumbSize);
    FillFormatControls();

    FTPHost->setText(s.Host);
    FTPUser->setText(s.UserName);
    FTPPass->setText(s.Password);
    FTPDir->setText(s.FTPDir);
    LogURL->setText(s.LogURL);
    Email->setText(s.Email);
    BlogTitle->setText(s.BlogTitle);
    ApplyDirBtn->setEnabled(false);
    AudioPath->setText(ReadRegistryString(kPathsKey, "Audio"));
    LogPath->setText(ReadRegistryString(kPathsKey, "Log"));
    RIGRadio->setCurrentIndex(Rig->Radio);
    RIGCOM->setCurrentIndex(Rig->Port > 0 && Rig->Port <= RIGCOM->count() ? Rig->Port - 1 : -1);
    RIGBaudRate->setCurrentIndex(Rig->BaudRate);
    TuneStatusLabel->setText("N/A");
    Loading = false;
    ChangeFlags = 0;
}

bool TRecordDlg::FormCloseQuery(int modalResult)
{
    if (modalResult != QDialog::Accepted || !Settings)
        return true;
    TSetting& s = *Settings;
    s.AOSPathLoss = AOSPathLoss->Value();
    s.LOSPathLoss = LOSPathLoss->Value();
    s.Host = FTPHost->text();
    s.UserName = FTPUser->text();
    s.Password = FTPPass->text();
    s.FTPDir = NormalizeFTPDir(FTPDir->text());
    s.LogURL = LogURL->text();
    s.Email = Email->text();
    s.BlogTitle = BlogTitle->text();
    TakeBackImagePage();
    TSetting::FreeLogImages(&s.LogImages, false);
    for (int i = 0; i < std::min(kLogImageItems, LogImageList->count()); ++i) {
        const QListWidgetItem* item = LogImageList->item(i);
        if (item->checkState() == Qt::Checked)
            s.LogImages.Add(new TLogImage(item->text(), i));
    }
    return true;
}

void TRecordDlg::StoreBit(int& field, int bit, const QCheckBox* box)
{
    field &= ~(1 << bit);
    if (box->isChecked())
        field |= 1 << bit;
}

void TRecordDlg::EnableRecClick()
{
    StoreBit(Settings->LogModes, 0, EnableRec);
    ChangeFlags |= rcAutoRecording;
}

void TRecordDlg::AutoDecodeClick() { StoreBit(Settings->LogModes, 1, AutoDecode); }
void TRecordDlg::DontSaveBadWavesClick() { StoreBit(Settings->LogModes, 2, DontSaveBadWaves); }
void TRecordDlg::HTMLLOGClick() { StoreBit(Settings->LogModes, 3, HTMLLOG); }
void TRecordDlg::FTPLOGClick() { StoreBit(Settings->LogModes, 4, FTPLOG); }
void TRecordDlg::SaveRAWClick() { StoreBit(Settings->LogModes, 5, SaveRAW); }
void TRecordDlg::Chop2VideoClick() { StoreBit(Settings->LogModes, 6, Chop2Video); }
void TRecordDlg::CustomCSSCbClick() { StoreBit(Settings->LogModes, 8, CustomCSSCb); }

void TRecordDlg::LogPoorQualityClick()
{
    if (!Loading)
        StoreBit(Settings->LogModes, 7, LogPoorQuality);
}

void TRecordDlg::IRAtNightClick()
{
    if (!Loading)
        StoreBit(Settings->LogModes, 9, IRAtNight);
}

void TRecordDlg::IRSunEleChange()
{
    if (!Loading)
        Settings->IRSunEle = IRSunEle->value();
}

void TRecordDlg::EnableThresHoldsClick()
{
    StoreBit(Settings->PassModes, 0, EnableThresHolds);
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::PassElevChange()
{
    Settings->PassElev = PassElev->value();
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::NorthElevChange()
{
    Settings->AOSElev = NorthElev->value();
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::SouthElevChange()
{
    Settings->LOSElev = SouthElev->value();
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::MinMinsChange()
{
    if (Loading)
        return;
    Settings->Duration = MinMins->value() * 60 + MinSecs->value();
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::ThresholdSelectionClick()
{
    if (Loading)
        return;
    Settings->PassModes &= ~0x2;
    if (UseElevationThresholds->isChecked())
        Settings->PassModes |= 0x2;
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::ForcePathLossThresholdsClick()
{
    if (Loading)
        return;
    StoreBit(Settings->PassModes, 2, ForcePathLossThresholds);
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::ThresholdTypeClick()
{
    if (Loading)
        return;
    Settings->PassModes &= ~0x8;
    if (ThresholdType->ItemIndex() > 0)
        Settings->PassModes |= 0x8;
    UpdateThresholdLabels();
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::OverlapWarningClick()
{
    if (Loading)
        return;
    StoreBit(Settings->PassModes, 4, OverlapWarning);
    ChangeFlags |= rcPassThresholds;
}

void TRecordDlg::UpdateThresholdLabels()
{
    const bool northSouth = Settings && (Settings->PassModes & 0x8);
    for (QLabel* label : {EleAOS, PlAOS})
        label->setText(northSouth ? "North:" : "AOS:");
    for (QLabel* label : {EleLOS, PlLOS})
        label->setText(northSouth ? "South:" : "LOS:");
}

void TRecordDlg::TuneRIGClick()
{
    if (Loading)
        return;
    StoreBit(Settings->RIGModes, 0, TuneRIG);
    ChangeFlags |= rcReceiver;
}

void TRecordDlg::RIGRadioChange()
{
    if (Loading)
        return;
    Rig->Close();
    Rig->Radio = RIGRadio->currentIndex();
    ChangeFlags |= rcReceiver;
    Rig->BaudRate = Rig->GetDefaultBaudRate();
    RIGBaudRate->setCurrentIndex(Rig->BaudRate);
}

void TRecordDlg::RIGCOMClick()
{
    if (Loading)
        return;
    Rig->Close();
    Rig->Port = RIGCOM->currentIndex() + 1;
    ChangeFlags |= rcReceiver;
}

void TRecordDlg::TestTuneBtnClick()
{
    QCoreApplication::processEvents();
    TestTuneBtn->setEnabled(false);
    Rig->Close();
    bool tuned = true;
    for (const char* mhz : kTestFrequencies) {
        TuneStatusLabel->setText(QString("Tuning to %1 MHz...").arg(mhz));
        repaint();
        tuned = Rig->SetFrequencyText(mhz);
        if (!tuned)
            break;
        // The receiver is followed by ear: each frequency holds for a while,
        // with the dialog deliberately unresponsive.
        QThread::msleep(static_cast<unsigned long>(TestTunePauseMs));
    }
    TuneStatusLabel->setText(tuned ? QString("No errors during transmission") : Rig->GetErrorText());
    Rig->Close();
    TestTuneBtn->setEnabled(true);
}

QString TRecordDlg::NormalizeFTPDir(const QString& text)
{
    if (text.isEmpty())
        return "/";
    if (text.endsWith('/'))
        return text.chopped(1);
    return text;
}

void TRecordDlg::DirPathChange()
{
    if (!Loading)
        ApplyDirBtn->setEnabled(true);
}

bool TRecordDlg::BrowseForFolder(QString& path)
{
    const QString start = !path.isEmpty() && QDir(path).exists() ? path : QDir::currentPath();
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "Select Directory", start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}

void TRecordDlg::PathSpeedBtnClick(int tag)
{
    QLineEdit* edit = tag == 0 ? AudioPath : LogPath;
    QString path = edit->text();
    if (BrowseForFolder(path))
        edit->setText(path);
}

bool TRecordDlg::ApplyFolder(const QString& text, const char* value)
{
    QString path = QDir::fromNativeSeparators(text);
    if (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    // A relative folder would land below whatever the current folder happens
    // to be (the program changes it): only an absolute one is taken.
    if (!QDir::isAbsolutePath(path) || !QDir().mkpath(path)) {
        ErrorBox("Failed to create directory\n" + path, "Error: Bad path!");
        return false;
    }
    WriteRegistryString(kPathsKey, value, path);
    return true;
}

void TRecordDlg::ApplyDirBtnClick()
{
    ApplyDirBtn->setEnabled(false);
    if (AudioPath->text().isEmpty() || LogPath->text().isEmpty()) {
        ErrorBox("Empty path !", "Error: Please enter a valid a path!");
        return;
    }
    if (ApplyFolder(AudioPath->text(), "Audio"))
        ApplyFolder(LogPath->text(), "Log");
}

void TRecordDlg::DefaultDirBtnClick()
{
    AudioPath->setText(programfolder::Path() + "audio");
    LogPath->setText(programfolder::Path() + "html");
    ApplyDirBtnClick();
}

void TRecordDlg::MinimizeToTrayClick()
{
    if (!Loading)
        StoreBit(Settings->WinModes, 0, MinimizeToTray);
}

void TRecordDlg::ShowVerInfoClick()
{
    StoreBit(Settings->WinModes, 2, ShowVerInfo);
}
