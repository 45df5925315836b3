#pragma once
// TLUTEdDlg, "Colour Look-Up-Table Editor": draws and edits a colour look-up
// table, an image of 100 x 256 pixels whose column c stands for c - 60
// degrees Celsius and whose row r for the grey value 255 - r. The table is
// shown three pixels a column; the user selects a band of columns (the
// temperature step wide), shapes a ramp of one hue whose HSV value falls
// from the top row to the bottom row, applies it, smooths the hues between
// bands, previews the table on an image window and saves it. Every column is
// one hue and saturation whose value falls linearly: a file is read from its
// top and bottom rows and written from them.
//
// Files: LUTEdDlg.cpp (form, showing and closing, file commands),
// LUTEdDlgTable.cpp (colour conversions, ramps, reading and writing tables),
// LUTEdDlgEdit.cpp (selecting, shaping and applying bands, read-outs).
// GUI thread only.
#include <QDialog>
#include <QImage>
#include <QPointer>

class QAction;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;
class TMDIChild;

// Bits of TLUTEdDlg::Flags.
enum TLUTEdFlag : unsigned {
    leUpdating = 0x1,     // the program sets controls: their handlers do nothing
    leTypePreset = 0x2,   // the caller chose the test image type
    leModified = 0x400,
};

struct THSV {
    double Hue = 0;         // degrees 0..360
    double Saturation = 0;  // 0..1
    double Value = 0;       // 0..1
};

class TLUTEdDlg : public QDialog {
    Q_OBJECT
public:
    explicit TLUTEdDlg(QWidget* parent = nullptr);
    ~TLUTEdDlg() override;

    static constexpr int kTableWidth = 300;   // 100 columns, three pixels each
    static constexpr int kTableHeight = 256;
    static constexpr int kRampWidth = 30;

    // --- colours and geometry (LUTEdDlgTable.cpp) ---
    // False (hue and saturation 0) for a grey, which has no hue.
    static bool ColorToHSV(QRgb colour, THSV& hsv);
    // False for a negative hue (colour left as it was); hue 360 is hue 0.
    static bool HSVToColor(const THSV& hsv, QRgb& colour);
    // Row 0 in topColour, rows 1..255 the hue and saturation with the value
    // falling linearly from top.Value to bottomValue; a row that cannot be
    // converted repeats the row above. Repaints box when given.
    static void DrawRamp(QImage& target, QWidget* box, QRgb topColour, const THSV& top, double bottomValue, int x,
                         int width);
    // Degrees Celsius of a pixel column of the table: x / 3 - 60, rounded,
    // held to -60..+40.
    static int ColumnToCelsius(int x);
    // The first pixel column of the band holding x, the band kept inside the table.
    int SnapColumn(int x) const;
    bool LoadTable(const QString& path, bool quiet);
    // keepName: a copy (the preview file); the editor's name and state stay.
    bool SaveTable(const QString& path, bool keepName);
    void ClearBitmap(QImage& bitmap, QWidget* box);
    void ShowMagickError(const QString& reason, const QString& description);

    // --- editing (LUTEdDlgEdit.cpp) ---
    void ResetEditor();
    void ApplyMaxMinToAll(double maxValue, double minValue);
    void ShowPixelInfo(const QImage& bitmap, const QPoint& point);
    void ShowColour(QRgb colour);
    int TypeView() const;
    void SetTypeFromView(int view);

    // --- form and files (LUTEdDlg.cpp) ---
    void UpdateCaption();
    // May the editor go on? Asks to save a modified table; false when the
    // user cancels or the save fails.
    bool AskSave();

    QImage Table;  // 300 x 256, the table being edited
    QImage Ramp;   // 30 x 256, the ramp proposed for the selected band
    THSV SelHSV;   // the selected band's top colour
    int SelectedColumn = -1;  // first pixel column of the band, -1 for none
    QPointer<TMDIChild> ImageWindow;  // for previews; not owned
    QString LUTFileName;  // "" for a new table
    unsigned Flags = 0;   // TLUTEdFlag

    // Controls.
    QMenuBar* MainMenu;
    QAction* New1;
    QAction* OpenLUT;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* Exit1;
    QWidget* pb;
    QWidget* pb2;
    QLabel* DegCLabel;
    QLabel* SelLabel;
    QSpinBox* DeltaT;
    QCheckBox* SmoothChk;
    QSpinBox* MaxValue;
    QSpinBox* MinValue;
    QCheckBox* MaxMinValueToAll;
    QComboBox* ImageTypeCb;
    QToolButton* PreviewBtn;
    QLabel* HueLabel;
    QLabel* SaturationLabel;
    QLabel* ValueLabel;
    QSlider* tb1;
    QSlider* tb2;
    QSlider* tb3;
    QWidget* ClrShape;
    QLabel* RLabel;
    QLabel* GLabel;
    QLabel* BLabel;
    QCheckBox* TrackMouse;
    QPushButton* ApplyBtn;
    QToolButton* FlipBtn;
    QPushButton* CloseBtn;
    QColorDialog* ColorDialog1;

    // Event handlers, public so callers and tests act as the user would.
    void pbMouseDown(int x);
    void pbMouseMove(const QPoint& point);
    void pb2MouseMove(const QPoint& point);
    void TrackBarChange();
    void HSVBarValueChange(QObject* sender);
    void ClrShapeMouseDown();
    void FlipBtnClick();
    void ApplyBtnClick();
    void DeltaTChange();
    void SmoothChkClick();
    void PreviewBtnClick();
    void New1Click();
    void OpenLUTClick();
    void SaveClick();
    bool SaveAsClick();
    void CloseClick();

    // Closing (modal or not) passes the close query first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    void FormCreate();
    void FormDestroy();
    void FormShow();
    bool FormCloseQuery();
    // The ramp of the selected band from colour, with SelHSV and MinValue.
    void DrawSelectedRamp(QRgb colour);
    void SetModified();
    QColor shapeColour_{Qt::black};  // the colour square's colour
};

// The editor of the running program (null before it is made).
extern TLUTEdDlg* LUTEdDlg;
