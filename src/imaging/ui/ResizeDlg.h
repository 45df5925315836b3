#pragma once
// TResizeDlg ("Resize"): the new size of an image window's picture, in
// pixels or as a percentage of the current size, optionally keeping the
// aspect ratio, with MagickCore's resampling filter and blur factor. One
// dialog serves the whole run; its choices carry over from one use to the
// next and nothing of it is stored. GUI thread only, shown modally.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Bits of TResizeDlg::Flags.
enum TResizeDlgFlag : unsigned {
    rdShowing = 0x1,      // the dialog fills its fields
    rdUpdating = 0x2,     // one field is being rewritten from another
    rdSizeEntered = 0x4,  // the user typed a width or height since shown
};

class TResizeDlg : public QDialog {
    Q_OBJECT
public:
    explicit TResizeDlg(QWidget* parent = nullptr);
    ~TResizeDlg() override;

    // Derived from the other field when the aspect is kept and derive is
    // asked, else the field itself as a whole number.
    int GetWidthValue(bool derive) const;
    int GetHeightValue(bool derive) const;
    void UpdateNewSize();

    void FormShow();
    // For OK: false (after saying why) while a size is missing.
    bool FormCloseQuery();
    void IWidthChange();
    void IHeightChange();
    // tag 0 "Pixel size", 1 "Percentage of size".
    void ResizeRatioClick(int tag);

    // The resampling filter chosen: the stored filter number (1 Point ..
    // 13 Lanczos .. 15 Sinc).
    int StoredFilter() const;

    double OrigWidth = 0;  // pixels, set by the caller before showing
    double OrigHeight = 0;
    double AspectRatio = 1;
    unsigned Flags = 0;  // TResizeDlgFlag

    QCheckBox* MaintainAspect;
    QLabel* AspectLabel;
    QRadioButton* PixelSize;
    QRadioButton* Percentage;
    QLineEdit* IWidth;
    QLineEdit* IHeight;
    QLabel* SizeLabel;
    QLabel* NewSizeLabel;
    QButtonGroup* Filters;  // ids 0..14, the item index
    QLineEdit* Blur;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
};

// The resize dialog of the running program (null before it is first made).
extern TResizeDlg* ResizeDlg;
