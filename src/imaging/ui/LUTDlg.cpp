#include "imaging/ui/LUTDlg.h"

#include "imaging/LookupTables.h"
#include "imaging/ui/LUTEdDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "imaging/ui/WaitCursor.h"
#include "platform/ProgramFolder.h"
#include "shell/ui/MagickImage.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

TLUTDlg* LUTDlg = nullptr;

namespace {

const QColor kTeal(0, 128, 128);
const char* const kRowLabels[kLookupTableRows] = {
    "False colour video A, B:",
    "False colour (sensors 2, 4):",
    "False colour low temperatures (sensors 2,4):",
    "IR low temperatures:",
    "IR False colour:",
};
// The last row's view has no rendering yet: the row stays disabled.
constexpr int kDisabledRow = kLookupTableRows - 1;

int ControlTag(const QObject* control)
{
    bool ok = false;
    const int tag = control ? control->property("Tag").toInt(&ok) : -1;
    return ok && tag >= 0 && tag < kLookupTableRows ? tag : -1;
}

}  // namespace

TAppFolders ProgramFolders()
{
    return MainForm ? MainForm->Folders() : TAppFolders(programfolder::Path(), nullptr);
}

TLUTDlg::TLUTDlg(QWidget* parent) : QDialog(parent)
{
    BuildForm();
    if (!LUTDlg)
        LUTDlg = this;
    FormCreate();
}

TLUTDlg::~TLUTDlg()
{
    FormDestroy();
    if (LUTDlg == this)
        LUTDlg = nullptr;
}

void TLUTDlg::BuildForm()
{
    setObjectName("LUTDlg");
    setWindowTitle("Colour Lookup Tables");
    setFixedSize(644, 336);
    QLineEdit** edits[kLookupTableRows] = {&FC_AB_ed, &FC_24_ed, &FC_ExtremeLowTemps_ed, &IR_ExtremeLowTemps_ed,
                                           &FC_IR_ed};
    auto makeButton = [this](const char* name, int tag, QStyle::StandardPixmap icon, const char* hint, int x,
                             int y) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("%1%2").arg(name).arg(tag + 1));
        button->setProperty("Tag", tag);
        button->setIcon(style()->standardIcon(icon));
        button->setToolTip(hint);
        button->setGeometry(x, y, 25, 25);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        return button;
    };
    for (int tag = 0; tag < kLookupTableRows; ++tag) {
        const int y = 12 + 54 * tag;
        auto* label = new QLabel(kRowLabels[tag], this);
        label->setGeometry(16, y, 400, 16);
        QLineEdit* edit = new QLineEdit(this);
        *edits[tag] = edit;
        edit->setObjectName(LookupTableRow(tag).ValueName + QString("_ed"));
        edit->setProperty("Tag", tag);
        edit->setReadOnly(true);
        edit->setGeometry(16, y + 18, 380, 24);
        QPalette colours = edit->palette();
        colours.setColor(QPalette::Base, kTeal);
        colours.setColor(QPalette::Text, Qt::white);
        edit->setPalette(colours);
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, tag](const QString& text) {
            std::lock_guard lock(rowsLock_);
            rows_[tag] = text;
        });
        OpenBtn[tag] = makeButton("OpenBtn", tag, QStyle::SP_DirOpenIcon, "Browse for an image", 402, y + 17);
        PreviewBtn[tag] = makeButton("PreviewBtn", tag, QStyle::SP_FileDialogContentsView, "Preview", 430, y + 17);
        EditLUTBtn[tag] =
            makeButton("EditLUTBtn", tag, QStyle::SP_FileDialogDetailedView, "Edit Colour Look-Up-Table", 458, y + 17);
        connect(OpenBtn[tag], &QToolButton::clicked, this, [this, tag] { OpenBtnClick(OpenBtn[tag]); });
        connect(PreviewBtn[tag], &QToolButton::clicked, this, [this, tag] { PreviewBtnClick(PreviewBtn[tag]); });
        connect(EditLUTBtn[tag], &QToolButton::clicked, this, [this, tag] { EditLUTBtnClick(EditLUTBtn[tag]); });
        if (tag == kDisabledRow) {
            for (QWidget* control : {static_cast<QWidget*>(edit), static_cast<QWidget*>(OpenBtn[tag]),
                                     static_cast<QWidget*>(PreviewBtn[tag]), static_cast<QWidget*>(EditLUTBtn[tag])})
                control->setEnabled(false);
        }
    }
    rows_ = QStringList(QList<QString>(kLookupTableRows));

    auto* tableLabel = new QLabel("Lookup Table", this);
    tableLabel->setGeometry(510, 12, 110, 16);
    MagickImage = new TMagickImage(this);
    MagickImage->setObjectName("MagickImage");
    MagickImage->setGeometry(510, 30, 100, 256);
    MagickImage->SetColor(kTeal);
    MagickImage->SetShowError(false);

    auto* lowLabel = new QLabel("Low temperature:", this);
    lowLabel->setGeometry(16, 296, 110, 16);
    LowTempValue = new QLineEdit(this);
    LowTempValue->setObjectName("LowTempValue");
    LowTempValue->setGeometry(128, 292, 60, 24);
    auto* unitLabel = new QLabel("\u00B0 C", this);
    unitLabel->setGeometry(194, 296, 30, 16);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    OKBtn->setGeometry(380, 296, 80, 27);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(470, 296, 80, 27);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* TLUTDlg::Edit(int tag) const
{
    QLineEdit* const edits[kLookupTableRows] = {FC_AB_ed, FC_24_ed, FC_ExtremeLowTemps_ed, IR_ExtremeLowTemps_ed,
                                                FC_IR_ed};
    return tag >= 0 && tag < kLookupTableRows ? edits[tag] : nullptr;
}

void TLUTDlg::FormCreate()
{
    const QStringList paths = SavedLookupTableChoice(ProgramFolders().GetLUTDir());
    for (int tag = 0; tag < kLookupTableRows; ++tag)
        Edit(tag)->setText(paths.value(tag));
}

void TLUTDlg::FormDestroy()
{
    QStringList paths;
    for (int tag = 0; tag < kLookupTableRows; ++tag)
        paths << Edit(tag)->text();
    SaveLookupTableChoice(paths);
}

void TLUTDlg::SetLUTFileName(int view, const QString& path)
{
    if (QLineEdit* edit = Edit(LookupTableTag(view)))
        edit->setText(path);
}

QLineEdit* TLUTDlg::RowEdit(const QObject* control) const
{
    return Edit(ControlTag(control));
}

int TLUTDlg::RowView(int tag)
{
    return tag >= 0 && tag < kLookupTableRows ? LookupTableRow(tag).View : -1;
}

QString TLUTDlg::RowFileName(int view) const
{
    const int tag = LookupTableTag(view);
    std::lock_guard lock(rowsLock_);
    return tag >= 0 ? rows_[tag] : QString();
}

void TLUTDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TLUTDlg::FormShow()
{
    if (MagickImage->FileName().isEmpty() && QFileInfo(FC_AB_ed->text()).isFile())
        MagickImage->SetFileName(FC_AB_ed->text());
    QApplication::processEvents();
    for (int tag = 0; tag < kLookupTableRows; ++tag)
        PreviewBtn[tag]->setEnabled(ImageWindow && tag != kDisabledRow);
}

void TLUTDlg::ShowTable(const QString& path)
{
    if (path != MagickImage->FileName())
        MagickImage->SetFileName(path);
}

void TLUTDlg::OpenBtnClick(QObject* sender)
{
    QApplication::processEvents();
    QLineEdit* edit = RowEdit(sender);
    if (!edit)
        return;
    TOpenMagickImageDlg* dialog = SharedOpenMagickImageDlg(this);
    if (!dialog->SelectFile(edit->text(), true))
        dialog->LUTDirBtnClick();
    dialog->setWindowTitle("Open Colour Look-Up-Table");
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = dialog->GetFileName(false);
    if (chosen.isEmpty())
        return;
    edit->setText(chosen);
    MagickImage->SetFileName(chosen);
}

void TLUTDlg::PreviewBtnClick(QObject* sender)
{
    QLineEdit* edit = RowEdit(sender);
    if (!edit || !ImageWindow)
        return;
    if (!QFileInfo(edit->text()).isFile()) {
        edit->clear();
        return;
    }
    WaitCursor busy;
    ImageWindow->ShowView(RowView(ControlTag(sender)), vfForce);
}

void TLUTDlg::EditLUTBtnClick(QObject* sender)
{
    QApplication::processEvents();
    QLineEdit* edit = RowEdit(sender);
    if (!edit || !LUTEdDlg)
        return;
    LUTEdDlg->Flags |= leTypePreset;
    LUTEdDlg->SetTypeFromView(RowView(ControlTag(sender)));
    LUTEdDlg->LUTFileName = edit->text();
    LUTEdDlg->ImageWindow = ImageWindow;
    if (LUTEdDlg->exec() != QDialog::Accepted)
        return;
    edit->setText(LUTEdDlg->LUTFileName);
    // A table saved under the same name is read anew.
    if (LUTEdDlg->LUTFileName != MagickImage->FileName())
        MagickImage->SetFileName(LUTEdDlg->LUTFileName);
    else
        MagickImage->Update();
}

void TLUTDlg::LUTFileMouseMove(QObject* sender)
{
    if (QLineEdit* edit = RowEdit(sender))
        ShowTable(edit->text());
}

void TLUTDlg::SpeedBtnMouseMove(QObject* sender)
{
    QApplication::processEvents();
    if (QLineEdit* edit = RowEdit(sender))
        ShowTable(edit->text());
}

bool TLUTDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (qobject_cast<QLineEdit*>(watched))
            LUTFileMouseMove(watched);
        else
            SpeedBtnMouseMove(watched);
    }
    return QDialog::eventFilter(watched, event);
}
