#pragma once
// TRecordDlg, "General settings": automatic recording and the web log with
// its upload, the image format, enhancements and annotation, the pass
// thresholds, the receiver, the output folders and two window options, in
// one modal dialog. The main window hands it copies of its settings record
// and receiver link; every change goes into those copies, and ChangeFlags
// says which groups changed, so the main window knows what to stop, restart
// or redraw when it takes the copies back after OK. Only the output folders
// bypass the copies: "Apply custom" writes them to the registry at once.
//
// Files: RecordDlg.cpp (filling, taking back, the pages "General", "Pass
// thresholds", "Radio control" and "Custom"), RecordDlgImage.cpp (the page
// "Image properties"), RecordDlgLayout.cpp and RecordDlgImageLayout.cpp
// (the controls). GUI thread only.
#include <QDialog>
#include <QString>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TFontDlg;
class TMDIChild;
class TMagickImage;
class TRadioGroup;
class TRig;
class TSetting;
class TUDEdit;

// Bits of TRecordDlg::ChangeFlags: what the main window must do after OK.
enum TRecordChange : int {
    rcPassThresholds = 0x1,  // stop the tracker, take the settings, start it
    rcAutoRecording = 0x2,   // as rcPassThresholds
    rcReceiver = 0x4,        // as rcPassThresholds, and take the receiver link
    rcImage = 0x8,           // an enhancement or the raw format: redraw the window
};

class TRecordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TRecordDlg(QWidget* parent = nullptr);
    ~TRecordDlg() override;

    TSetting* Settings = nullptr;     // the copy being edited; owned by the main window
    TRig* Rig = nullptr;              // the receiver copy being edited; owned by the main window
    TMDIChild* ActiveChild = nullptr; // the window to preview on, or null; not owned
    int ChangeFlags = 0;              // TRecordChange
    bool Loading = false;             // while FormShow fills the controls
    // The pause between two tunings of the test tune, in ms; tests shorten it.
    int TestTunePauseMs = 3000;

    // --- frame and the pages "General", "Pass thresholds", "Radio control",
    // "Custom" (RecordDlg.cpp) ---
    void FormShow();
    // Takes back what no handler stores when modalResult is Accepted; always
    // lets the dialog close.
    bool FormCloseQuery(int modalResult);
    void EnableRecClick();
    void AutoDecodeClick();
    void DontSaveBadWavesClick();
    void SaveRAWClick();
    void HTMLLOGClick();
    void FTPLOGClick();
    void CustomCSSCbClick();
    void Chop2VideoClick();
    void LogPoorQualityClick();
    void IRAtNightClick();
    void IRSunEleChange();
    void EnableThresHoldsClick();
    void PassElevChange();
    void NorthElevChange();
    void SouthElevChange();
    void MinMinsChange();
    void ThresholdSelectionClick();
    void ForcePathLossThresholdsClick();
    void ThresholdTypeClick();
    void OverlapWarningClick();
    void TuneRIGClick();
    void RIGRadioChange();
    void RIGCOMClick();
    void RIGBaudRateClick() {}  // the rate follows the model; a choice is not taken back
    void TestTuneBtnClick();
    void DirPathChange();
    void PathSpeedBtnClick(int tag);
    void ApplyDirBtnClick();
    void DefaultDirBtnClick();
    void MinimizeToTrayClick();
    void ShowVerInfoClick();

    static QString NormalizeFTPDir(const QString& text);
    void UpdateThresholdLabels();
    // A folder dialog starting at path (when it exists); true with path
    // replaced when a folder was chosen.
    bool BrowseForFolder(QString& path);

    // --- the page "Image properties" (RecordDlgImage.cpp) ---
    void LogImageTypeChange();
    void RAWImageTypeChange();
    void LogImageQualityChange();
    void ModulateChange(QSlider* sender);
    void GammaChange();
    void ContrastClick();
    void ReduceNoiseClick();
    void ChopNoiseClick();
    void HistogramEquClick();
    void EnableTextChkClick();
    void TransparentTxtClick();
    void EnableLogoChkClick();
    void TextPosChange();
    void LogoPosChange();
    void FontsBtnClick();
    void TextBkClShapeMouseDown();
    void TextBkOpacityChange();
    void Browse4LogoBtnClick();
    void PreviewBtnClick(QToolButton* sender);

    int ExtToFormatIndex(const QString& ext, bool raw);
    void StoreImageExt();
    static int CompressionToIndex(int compression);
    void StoreCompression();
    static int ImageTypeToIndex(int imageType);
    void StoreImageType();
    static int InterlaceToIndex(int interlace);
    void StoreInterlace();
    void StoreImageFormat();
    void ScrollPreview(int position);

    // --- controls ---
    QTabWidget* MainPageCtrl;
    QWidget* General;
    QWidget* ImageProperties;
    QWidget* PassThresholds;
    QWidget* RadioControl;
    QWidget* Custom;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    TFontDlg* FontDialog;
    QFileDialog* OpenDialog;
    QColorDialog* ColorDialog;

    // General
    QCheckBox* EnableRec;
    QCheckBox* AutoDecode;
    QCheckBox* DontSaveBadWaves;
    QCheckBox* SaveRAW;
    QCheckBox* HTMLLOG;
    QCheckBox* FTPLOG;
    QCheckBox* CustomCSSCb;
    QTabWidget* LogPageCtrl;
    QListWidget* LogImageList;
    QSpinBox* ThumbSize;
    QCheckBox* LogPoorQuality;
    QCheckBox* IRAtNight;
    QSpinBox* IRSunEle;
    QLineEdit* FTPHost;
    QLineEdit* FTPUser;
    QLineEdit* FTPPass;
    QLineEdit* FTPDir;
    QLineEdit* LogURL;
    QLineEdit* Email;
    QLineEdit* BlogTitle;

    // Image properties
    QTabWidget* ImagePageCtrl;
    QComboBox* LogImageType;
    QComboBox* LogImageComression;
    QComboBox* LogImageClType;
    QComboBox* LogImageInterlace;
    QSlider* LogImageQuality;
    QLabel* LogImageQualityLabel;
    QComboBox* RAWImageType;
    QSlider* Brightness;
    QSlider* Saturation;
    QSlider* Hue;
    QLabel* BrightnessLabel;
    QLabel* SaturationLabel;
    QLabel* HueLabel;
    QSlider* Gamma;
    QLabel* GammaLabel;
    TRadioGroup* Contrast;
    QCheckBox* ReduceNoise;
    QCheckBox* ChopNoise;
    QCheckBox* Chop2Video;
    QCheckBox* HistogramEqu;
    QTabWidget* AnnotationPageCtrl;
    QCheckBox* EnableTextChk;
    QToolButton* PreviewTxtBtn;
    QPushButton* FontsBtn;
    QCheckBox* TransparentTxt;
    QComboBox* TextPos;
    QGroupBox* TextBkGB;
    QFrame* TextBkClShape;
    QSlider* TextBkOpacity;
    QLabel* TextBkOpacityLabel;
    QLineEdit* ImageText;
    QCheckBox* EnableLogoChk;
    QToolButton* PreviewLogoBtn;
    TMagickImage* LogoImage;
    QComboBox* LogoPos;
    QLineEdit* LogoFile;
    QToolButton* Browse4LogoBtn;

    // Pass thresholds
    QCheckBox* EnableThresHolds;
    QGroupBox* MinimumValues;
    TRadioGroup* ThresholdType;
    QRadioButton* UseElevationThresholds;
    QSpinBox* NorthElev;
    QSpinBox* SouthElev;
    QLabel* EleAOS;
    QLabel* EleLOS;
    QSpinBox* PassElev;
    QCheckBox* ForcePathLossThresholds;
    QRadioButton* UsePathLossThresholds;
    TUDEdit* AOSPathLoss;
    TUDEdit* LOSPathLoss;
    QLabel* PlAOS;
    QLabel* PlLOS;
    QSpinBox* MinMins;
    QSpinBox* MinSecs;
    QCheckBox* OverlapWarning;

    // Radio control
    QCheckBox* TuneRIG;
    QComboBox* RIGRadio;
    QComboBox* RIGCOM;
    QComboBox* RIGBaudRate;
    QLabel* TuneStatusLabel;
    QPushButton* TestTuneBtn;

    // Custom
    QLineEdit* AudioPath;
    QToolButton* AudioPathBtn;
    QLineEdit* LogPath;
    QToolButton* LogPathBtn;
    QPushButton* ApplyDirBtn;
    QPushButton* DefaultDirBtn;
    QCheckBox* MinimizeToTray;
    QCheckBox* ShowVerInfo;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void HoldTallestPage();  // on the first showing
    QWidget* BuildGeneralPage();
    QWidget* BuildImagePage();
    QWidget* BuildFormatsPage();
    QWidget* BuildEnhancementsPage();
    QWidget* BuildAnnotationsPage();
    QWidget* BuildThresholdsPage();
    QWidget* BuildRadioPage();
    QWidget* BuildCustomPage();
    void ConnectHandlers();
    void ConnectImageHandlers();
    // The page "Image properties": its annotation controls, then (after the
    // log list) its format and enhancement controls, and taking it back.
    void FillAnnotationControls();
    void FillFormatControls();
    void TakeBackImagePage();
    // The compression, quality, image-type and interlace controls from the record.
    void ShowFormatControls();
    // Connects a control's signal to a handler that runs only while the
    // dialog has its records.
    template <class Sender, class Signal>
    void On(Sender* sender, Signal signal, void (TRecordDlg::*handler)());
    // Sets or clears bit in field from box (a click and the box always agree).
    void StoreBit(int& field, int bit, const QCheckBox* box);
    // Makes the folder and writes it as value; false after saying why.
    bool ApplyFolder(const QString& text, const char* value);
};

// The dialog of the running program (null before it is made).
extern TRecordDlg* RecordDlg;

template <class Sender, class Signal>
void TRecordDlg::On(Sender* sender, Signal signal, void (TRecordDlg::*handler)())
{
    connect(sender, signal, this, [this, handler] {
        if (Settings && Rig)
            (this->*handler)();
    });
}
