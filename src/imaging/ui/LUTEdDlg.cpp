// The look-up-table editor's form, its life (placement, showing, the close
// query) and its File menu.
#include "imaging/ui/LUTEdDlg.h"

#include "imaging/ui/FolderLists.h"
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/WindowState.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

TLUTEdDlg* LUTEdDlg = nullptr;

namespace {

// Directly below the program key, not below "APT".
const char kPlacementKey[] = "LUTEditor";
const char kCaption[] = "Colour Lookup Table Editor";
constexpr int kFormWidth = 664;
constexpr int kFormHeight = 391;
constexpr int kMinimumWidth = 590;

// A paint box: paints what it is told and reports the mouse.
class TBox : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> OnPaint;
    std::function<void(const QPoint&)> OnMove;
    std::function<void(const QPoint&)> OnPress;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (OnPaint)
            OnPaint(painter);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (OnMove)
            OnMove(event->position().toPoint());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (OnPress && event->button() == Qt::LeftButton)
            OnPress(event->position().toPoint());
    }
};

// The shared open/save dialog for one use by the editor, with a single
// file to choose; the list's selection mode is given back afterwards.
class TTableFileDialog {
public:
    TTableFileDialog(QWidget* owner, const QString& caption) : dialog_(SharedOpenMagickImageDlg(owner))
    {
        multiSelect_ = dialog_->FileLB->MultiSelect();
        dialog_->FileLB->SetMultiSelect(false);
        dialog_->setWindowTitle(caption);
    }
    ~TTableFileDialog() { dialog_->FileLB->SetMultiSelect(multiSelect_); }
    TOpenMagickImageDlg* operator->() const { return dialog_; }

private:
    TOpenMagickImageDlg* dialog_;
    bool multiSelect_;
};

}  // namespace

TLUTEdDlg::TLUTEdDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    BuildForm();
    if (!LUTEdDlg)
        LUTEdDlg = this;
    FormCreate();
}

TLUTEdDlg::~TLUTEdDlg()
{
    FormDestroy();
    if (LUTEdDlg == this)
        LUTEdDlg = nullptr;
}

void TLUTEdDlg::BuildForm()
{
    setObjectName("LUTEdDlg");
    setWindowTitle("Colour Look-Up-Table Editor");
    resize(kFormWidth, kFormHeight);
    // The height is fixed; the width may grow but not fall below 590.
    setFixedHeight(kFormHeight);
    setMinimumWidth(kMinimumWidth);
    setMaximumWidth(QWIDGETSIZE_MAX);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MainMenu = new QMenuBar(this);
    layout->setMenuBar(MainMenu);
    auto* body = new QWidget(this);
    layout->addWidget(body);
    QMenu* file = MainMenu->addMenu("File");
    auto item = [this, file](const char* name, const QString& caption, const char* keys) {
        QAction* action = file->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(keys));
        return action;
    };
    New1 = item("New1", "New", "Ctrl+N");
    OpenLUT = item("OpenLUT", "Open...", "Ctrl+O");
    Save1 = item("Save1", "Save", "Ctrl+S");
    SaveAs1 = item("SaveAs1", "Save As...", "Ctrl+A");
    file->addSeparator();
    Exit1 = item("Exit1", "Exit", "Ctrl+X");

    auto label = [body](const QString& text, int x, int y, int w = 160) {
        auto* l = new QLabel(text, body);
        l->setGeometry(x, y, w, 16);
        return l;
    };
    auto spin = [body](const char* name, int min, int max, int value, int x, int y) {
        auto* s = new QSpinBox(body);
        s->setObjectName(name);
        s->setRange(min, max);
        s->setValue(value);
        s->setGeometry(x, y, 56, 22);
        return s;
    };
    auto checkBox = [body](const char* name, const QString& text, int x, int y, int w) {
        auto* c = new QCheckBox(text, body);
        c->setObjectName(name);
        c->setGeometry(x, y, w, 20);
        return c;
    };

    // Left half: the table and the band.
    label("Click on the table to edit.", 8, 6, 200);
    auto* table = new TBox(body);
    pb = table;
    pb->setObjectName("pb");
    pb->setGeometry(8, 26, kTableWidth, kTableHeight);
    pb->setMouseTracking(true);
    pb->setCursor(Qt::CrossCursor);
    table->OnPaint = [this](QPainter& painter) { painter.drawImage(0, 0, Table); };
    table->OnMove = [this](const QPoint& point) { pbMouseMove(point); };
    table->OnPress = [this](const QPoint& point) { pbMouseDown(point.x()); };
    DegCLabel = label(QString(), 8, 286, 150);
    DegCLabel->setObjectName("DegCLabel");
    label("Selected temperature:", 8, 306, 140);
    SelLabel = label("N/A", 150, 306, 160);
    SelLabel->setObjectName("SelLabel");
    label("Temperature step:", 8, 332, 120);
    DeltaT = spin("DeltaT", 1, 10, 10, 130, 328);
    label("\u00B0 C", 190, 332, 30);
    SmoothChk = checkBox("SmoothChk", "Smooth colours", 220, 330, 120);

    // Middle: the ramp between its two values.
    MaxValue = spin("MaxValue", 0, 100, 100, 318, 2);
    MaxValue->setToolTip("Max value");
    auto* ramp = new TBox(body);
    pb2 = ramp;
    pb2->setObjectName("pb2");
    pb2->setGeometry(331, 26, kRampWidth, kTableHeight);
    pb2->setMouseTracking(true);
    ramp->OnPaint = [this](QPainter& painter) { painter.drawImage(0, 0, Ramp); };
    ramp->OnMove = [this](const QPoint& point) { pb2MouseMove(point); };
    MinValue = spin("MinValue", 0, 100, 0, 318, 286);
    MinValue->setToolTip("Min value");

    // Right half: type and preview, the colour, apply.
    const int x = 378;
    MaxMinValueToAll = checkBox("MaxMinValueToAll", "Apply max/min value to whole clut", x, 4, 270);
    label("Test image type:", x, 30);
    ImageTypeCb = new QComboBox(body);
    ImageTypeCb->setObjectName("ImageTypeCb");
    ImageTypeCb->addItems({"False Colour video A, B", "False Colour (sensor 2,4)",
                           "False Colour Extreme Low Temperatures (sensor 2,4)", "IR Extreme Low Temperatures",
                           "IR False Colour", "IR False Colour Extreme Low Temperatures"});
    ImageTypeCb->setCurrentIndex(-1);
    ImageTypeCb->setGeometry(x, 48, 240, 24);
    PreviewBtn = new QToolButton(body);
    PreviewBtn->setObjectName("PreviewBtn");
    PreviewBtn->setToolTip("Preview");
    PreviewBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    PreviewBtn->setGeometry(x + 246, 48, 26, 24);
    auto bar = [&](const char* name, QLabel*& caption, const char* text, int max, int y) {
        caption = label(text, x, y, 150);
        auto* slider = new QSlider(Qt::Horizontal, body);
        slider->setObjectName(name);
        slider->setRange(0, max);
        slider->setGeometry(x, y + 16, 272, 22);
        return slider;
    };
    tb1 = bar("tb1", HueLabel, "Hue: 0", 360, 80);
    tb2 = bar("tb2", SaturationLabel, "Saturation: 0", 100, 120);
    tb3 = bar("tb3", ValueLabel, "Value: 0", 100, 160);
    auto* square = new TBox(body);
    ClrShape = square;
    ClrShape->setObjectName("ClrShape");
    ClrShape->setToolTip("Click to select a color");
    ClrShape->setGeometry(x, 206, 48, 48);
    square->OnPaint = [this](QPainter& painter) {
        painter.fillRect(ClrShape->rect(), shapeColour_);
        painter.setPen(Qt::black);
        painter.drawRect(ClrShape->rect().adjusted(0, 0, -1, -1));
    };
    square->OnPress = [this](const QPoint&) { ClrShapeMouseDown(); };
    RLabel = label("R: 0", x + 58, 206, 80);
    GLabel = label("G: 0", x + 58, 222, 80);
    BLabel = label("B: 0", x + 58, 238, 80);
    TrackMouse = checkBox("TrackMouse", "Track mouse movement", x, 264, 200);
    ApplyBtn = new QPushButton("Apply", body);
    ApplyBtn->setObjectName("ApplyBtn");
    ApplyBtn->setEnabled(false);
    ApplyBtn->setGeometry(x, 292, 80, 26);
    FlipBtn = new QToolButton(body);
    FlipBtn->setObjectName("FlipBtn");
    FlipBtn->setToolTip("Flip max and min values");
    FlipBtn->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    FlipBtn->setGeometry(x + 88, 292, 26, 26);
    CloseBtn = new QPushButton("E&xit", body);
    CloseBtn->setObjectName("CloseBtn");
    CloseBtn->setGeometry(x + 192, 328, 80, 26);
    ColorDialog1 = new QColorDialog(this);

    connect(New1, &QAction::triggered, this, &TLUTEdDlg::New1Click);
    connect(OpenLUT, &QAction::triggered, this, &TLUTEdDlg::OpenLUTClick);
    connect(Save1, &QAction::triggered, this, &TLUTEdDlg::SaveClick);
    connect(SaveAs1, &QAction::triggered, this, &TLUTEdDlg::SaveAsClick);
    connect(Exit1, &QAction::triggered, this, &TLUTEdDlg::CloseClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TLUTEdDlg::CloseClick);
    for (QSlider* slider : {tb1, tb2, tb3})
        connect(slider, &QSlider::valueChanged, this, &TLUTEdDlg::TrackBarChange);
    for (QSpinBox* value : {MaxValue, MinValue})
        connect(value, &QSpinBox::valueChanged, this, [this, value] { HSVBarValueChange(value); });
    connect(DeltaT, &QSpinBox::valueChanged, this, &TLUTEdDlg::DeltaTChange);
    connect(SmoothChk, &QCheckBox::clicked, this, &TLUTEdDlg::SmoothChkClick);
    connect(FlipBtn, &QToolButton::clicked, this, &TLUTEdDlg::FlipBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TLUTEdDlg::ApplyBtnClick);
    connect(PreviewBtn, &QToolButton::clicked, this, &TLUTEdDlg::PreviewBtnClick);
}

void TLUTEdDlg::FormCreate()
{
    RestoreFormPlacement(this, kPlacementKey);
    Flags = 0;
    Table = QImage(kTableWidth, kTableHeight, QImage::Format_RGB32);
    Table.fill(Qt::black);
    Ramp = QImage(kRampWidth, kTableHeight, QImage::Format_RGB32);
    Ramp.fill(Qt::black);
    SelHSV = THSV{-1, 0, 0};
    SelectedColumn = -1;
    ImageWindow = nullptr;
    Save1->setEnabled(false);
}

void TLUTEdDlg::FormDestroy()
{
    SaveFormPlacement(this, kPlacementKey);
    ProgramFolders().GetTestImageFileName(true);
}

void TLUTEdDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window coming back from the task bar is not a new showing.
    if (!event->spontaneous())
        FormShow();
}

void TLUTEdDlg::FormShow()
{
    LoadTable(LUTFileName, true);
    ImageTypeCb->setEnabled(ImageWindow);
    PreviewBtn->setEnabled(ImageWindow);
    if (!(Flags & leTypePreset))
        SetTypeFromView(ImageWindow ? ImageWindow->View : -1);
    Flags &= ~leTypePreset;
}

bool TLUTEdDlg::FormCloseQuery()
{
    if (!AskSave())
        return false;
    if (MainForm)
        MainForm->ActiveWindow = MainForm;
    return true;
}

void TLUTEdDlg::done(int result)
{
    if (FormCloseQuery())
        QDialog::done(result);
}

void TLUTEdDlg::UpdateCaption()
{
    if (LUTFileName.isEmpty() || !QFileInfo(LUTFileName).isFile())
        setWindowTitle(kCaption);
    else
        setWindowTitle(QString("%1 [%2]").arg(kCaption, QFileInfo(LUTFileName).fileName()));
}

bool TLUTEdDlg::AskSave()
{
    if (!(Flags & leModified))
        return true;
    const QString text =
        LUTFileName.isEmpty() ? QString("Save changes ?") : "Save changes to Lookup Table ?\n\n" + LUTFileName;
    QMessageBox box(QMessageBox::Question, "Save ?", text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (box.exec()) {
    case QMessageBox::Yes:
        // Only a table that was saved may be left behind.
        return LUTFileName.isEmpty() ? SaveAsClick() : SaveTable(LUTFileName, false);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TLUTEdDlg::New1Click()
{
    if (!AskSave())
        return;
    LUTFileName.clear();
    ResetEditor();
    UpdateCaption();
}

void TLUTEdDlg::OpenLUTClick()
{
    // Replacing an unsaved table asks first, as "New" does.
    if (!AskSave())
        return;
    TTableFileDialog dialog(this, "Open Colour Lookup Table");
    if (!dialog->SelectFile(LUTFileName, true))
        dialog->LUTDirBtnClick();
    if (dialog->exec() != QDialog::Accepted)
        return;
    LoadTable(dialog->GetFileName(false), false);
}

void TLUTEdDlg::SaveClick()
{
    if (!(Flags & leModified))
        return;
    if (LUTFileName.isEmpty())
        SaveAsClick();
    else
        SaveTable(LUTFileName, false);
}

bool TLUTEdDlg::SaveAsClick()
{
    QString chosen;
    {
        TTableFileDialog dialog(this, "Save Colour Lookup Table");
        dialog->SelectFile(LUTFileName, false);
        if (dialog->exec() != QDialog::Accepted)
            return false;
        chosen = dialog->GetFileName(false);
    }
    if (chosen.isEmpty() || !SaveTable(chosen, false))
        return false;
    if (TypeView() >= 0 && LUTDlg)
        LUTDlg->SetLUTFileName(TypeView(), LUTFileName);
    return true;
}

void TLUTEdDlg::CloseClick()
{
    if (isModal())
        accept();
    else
        close();
}
