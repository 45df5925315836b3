#pragma once
// TModulateDlg ("Modulate and gamma-correct"): brightness, saturation and
// hue of an image window's picture and its gamma, previewed in the window
// itself; it also reads and writes the settings' default modulation and
// proposes brightness and saturation from the picture's mean lightness and
// saturation. One dialog serves the whole run; nothing of it is stored.
// GUI thread only, shown modally.
#include <QDialog>

class QLabel;
class QSlider;
class QToolButton;
class TMDIChild;
class TSetting;
typedef struct _Image Image;

// Mean and standard deviation of a picture's lightness and saturation, each
// on the scale 0..255.
struct THSLStatistics {
    double MeanLightness = 0;
    double LightnessDeviation = 0;
    double MeanSaturation = 0;
    double SaturationDeviation = 0;
};

class TModulateDlg : public QDialog {
    Q_OBJECT
public:
    explicit TModulateDlg(QWidget* parent = nullptr);
    ~TModulateDlg() override;

    // The dialog's values applied to image in place; false without a window,
    // without an image, or when either step fails.
    bool Apply(Image* image);
    static bool AnalyzeHSL(const Image* image, THSLStatistics& statistics);

    void FormShow();
    void ValuesChange();
    void PreviewBtnClick();
    void AnalyzeImageBtnClick();
    void GetDefaultsBtnClick();
    void SetDefaultBtnClick();

    // 0.00 .. 5.00 from the gamma bar.
    double GammaValue() const;

    TMDIChild* ImageWindow = nullptr;  // set by the window before showing; not owned
    bool Changed = false;  // values moved or a preview drawn since shown
    int Flags = 0;         // bit 0: the dialog sets its bars itself

    QSlider* Brightness;
    QSlider* Saturation;
    QSlider* Hue;
    QSlider* Gamma;
    QLabel* BrightnessLabel;
    QLabel* SaturationLabel;
    QLabel* HueLabel;
    QLabel* GammaLabel;
    QToolButton* PreviewBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RefreshLabels();
    // The settings the defaults are read from and stored into; null
    // without a main window.
    TSetting* Defaults() const;
};

// The modulate dialog of the running program (null before it is first made).
extern TModulateDlg* ModulateDlg;
