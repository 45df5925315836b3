#include "imaging/ui/OpenMagickImageDlg.h"

#include "imaging/AudioFileInfo.h"
#include "imaging/ui/FolderLists.h"
#include "platform/CNumbers.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MagickImage.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TOpenMagickImageDlg* OpenMagickImageDlg = nullptr;

TOpenMagickImageDlg* SharedOpenMagickImageDlg(QWidget* owner)
{
    if (!OpenMagickImageDlg)
        OpenMagickImageDlg = new TOpenMagickImageDlg(owner);
    return OpenMagickImageDlg;
}

namespace {

const char* const kOptionsKey = "APT\\OpenDlg";

bool ReadOption(const char* name)
{
    return cnum::ParseInt(ReadRegistryString(kOptionsKey, name)) != 0;
}

// A name typed with its full path stands for itself.
QString JoinPath(const QString& folder, const QString& name)
{
    if (name.startsWith('/'))
        return name;
    return folder.endsWith('/') ? folder + name : folder + "/" + name;
}

}  // namespace

TOpenMagickImageDlg::TOpenMagickImageDlg(QWidget* parent) : QDialog(parent)
{
    BuildForm();
    // FormCreate
    PreviewCB->setChecked(ReadOption("Preview"));
    StretchImageCB->setChecked(ReadOption("Stretch"));
    MI->SetStretch(StretchImageCB->isChecked());
    FileFilter.AddImageTypes();
    FileFilter.AddAudioTypes();
    QStringList filters;
    FileFilter.ListAll(filters);
    FilterCB->addItems(filters);
    FilterCB->setCurrentIndex(0);
    ResetFilter();
    if (!OpenMagickImageDlg)
        OpenMagickImageDlg = this;
}

TOpenMagickImageDlg::~TOpenMagickImageDlg()
{
    WriteRegistryString(kOptionsKey, "Preview", PreviewCB->isChecked() ? "1" : "0");
    WriteRegistryString(kOptionsKey, "Stretch", StretchImageCB->isChecked() ? "1" : "0");
    if (OpenMagickImageDlg == this)
        OpenMagickImageDlg = nullptr;
}

void TOpenMagickImageDlg::BuildForm()
{
    setWindowTitle("Dialog");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(598, 338);
    setFixedHeight(338);
    setMinimumWidth(598);

    // Side panel with the program's folders.
    auto* side = new QWidget(this);
    side->setAutoFillBackground(true);
    QPalette grey = side->palette();
    grey.setColor(QPalette::Window, QColor(0x91, 0x91, 0x91));
    grey.setColor(QPalette::ButtonText, Qt::white);
    side->setPalette(grey);
    side->setFixedWidth(104);
    auto* sideLayout = new QVBoxLayout(side);
    auto makeShortcut = [&](const QString& caption, QStyle::StandardPixmap glyph, int tag) {
        auto* button = new QToolButton(side);
        button->setText(caption);
        button->setIcon(style()->standardIcon(glyph));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        // White captions on the grey panel; pressed or hovered, the face
        // darkens instead of turning light under the white text.
        button->setStyleSheet("QToolButton { color: white; border: none; border-radius: 3px; }"
                              "QToolButton:hover { background: #7d7d7d; }"
                              "QToolButton:pressed, QToolButton:checked { background: #5f5f5f; }");
        button->setProperty("tag", tag);
        button->setFixedWidth(98);
        sideLayout->addWidget(button);
        return button;
    };
    ImagesDirBtn = makeShortcut("Images", QStyle::SP_DirIcon, 0);
    LUTDirBtn = makeShortcut("Lookup tables", QStyle::SP_FileDialogDetailedView, 1);
    AudioDirBtn = makeShortcut("Audio", QStyle::SP_MediaVolume, 2);
    LogoDirBtn = makeShortcut("Logos", QStyle::SP_FileDialogInfoView, 3);
    sideLayout->addStretch();

    // Folder, files, name and type.
    auto* driveLabel = new QLabel("Drive:", this);
    DriveCB = new TDriveComboBox(this);
    DirUpBtn = new QToolButton(this);
    DirUpBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    DirUpBtn->setAutoRaise(true);
    DirUpBtn->setToolTip("Up one level");
    DirectoryLB = new TDirectoryListBox(this);
    FileLB = new TFileListBox(this);
    auto* nameLabel = new QLabel("File name:", this);
    FileNameCB = new QComboBox(this);
    FileNameCB->setEditable(true);
    FileNameCB->setInsertPolicy(QComboBox::NoInsert);
    auto* filterLabel = new QLabel("Files of type:", this);
    FilterCB = new QComboBox(this);
    FilterCB->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FilterCB->setMinimumContentsLength(20);
    OKBtn = new QPushButton("Open", this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);

    auto* middle = new QGridLayout;
    middle->setContentsMargins(0, 4, 0, 6);
    middle->addWidget(driveLabel, 0, 0);
    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(DriveCB, 1);
    driveRow->addWidget(DirUpBtn);
    middle->addLayout(driveRow, 0, 1, 1, 2);
    auto* lists = new QHBoxLayout;
    lists->addWidget(DirectoryLB);
    lists->addWidget(FileLB);
    middle->addLayout(lists, 1, 0, 1, 3);
    middle->setRowStretch(1, 1);
    middle->addWidget(nameLabel, 2, 0);
    middle->addWidget(FileNameCB, 2, 1);
    middle->addWidget(OKBtn, 2, 2);
    middle->addWidget(filterLabel, 3, 0);
    middle->addWidget(FilterCB, 3, 1);
    middle->addWidget(CancelBtn, 3, 2);
    middle->setColumnStretch(1, 1);

    // Preview.
    auto* previewPanel = new QVBoxLayout;
    MI = new TMagickImage(this);
    MI->setObjectName("MI");
    MI->setFixedSize(150, 292);
    AudioInfo = new QLabel(MI);
    AudioInfo->setGeometry(0, 0, 150, 292);
    AudioInfo->setAlignment(Qt::AlignCenter);
    AudioInfo->setWordWrap(true);
    QPalette white = AudioInfo->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    AudioInfo->setPalette(white);
    AudioInfo->hide();
    PreviewCB = new QCheckBox("Show preview", this);
    StretchImageCB = new QCheckBox("Stretch image", this);
    StretchImageCB->setChecked(true);
    previewPanel->setContentsMargins(0, 4, 0, 0);
    previewPanel->addWidget(MI);
    previewPanel->addWidget(PreviewCB);
    previewPanel->addWidget(StretchImageCB);
    previewPanel->addStretch();

    auto* form = new QHBoxLayout(this);
    form->setContentsMargins(0, 0, 6, 0);
    form->addWidget(side);
    form->addLayout(middle, 1);
    form->addLayout(previewPanel);

    connect(DriveCB, &TDriveComboBox::DriveChosen, this, [this](const QString& root) { SetDirectory(root); });
    connect(DirectoryLB, &TDirectoryListBox::DirectoryChanged, this, [this](const QString& folder) {
        DriveCB->ShowVolumeOf(folder);
        FileLB->SetDirectory(folder);
    });
    FileLB->SetDirectory(DirectoryLB->Directory());
    DriveCB->ShowVolumeOf(DirectoryLB->Directory());
    connect(FileLB, &QListWidget::itemSelectionChanged, this, &TOpenMagickImageDlg::FileLBClick);
    connect(FileLB, &QListWidget::itemDoubleClicked, this, &TOpenMagickImageDlg::FileLBDblClick);
    connect(FilterCB, &QComboBox::activated, this, &TOpenMagickImageDlg::FilterCBChange);
    connect(DirUpBtn, &QToolButton::clicked, this, &TOpenMagickImageDlg::DirUpBtnClick);
    connect(ImagesDirBtn, &QToolButton::clicked, this, &TOpenMagickImageDlg::ImagesDirBtnClick);
    connect(LUTDirBtn, &QToolButton::clicked, this, &TOpenMagickImageDlg::LUTDirBtnClick);
    connect(AudioDirBtn, &QToolButton::clicked, this, &TOpenMagickImageDlg::AudioDirBtnClick);
    connect(LogoDirBtn, &QToolButton::clicked, this, &TOpenMagickImageDlg::LogoDirBtnClick);
    connect(StretchImageCB, &QCheckBox::clicked, this, &TOpenMagickImageDlg::StretchImageCBClick);
    connect(PreviewCB, &QCheckBox::clicked, this, &TOpenMagickImageDlg::PreviewCBClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString TOpenMagickImageDlg::CurrentFolder() const
{
    return DirectoryLB->Directory();
}

TAppFolders TOpenMagickImageDlg::Folders() const
{
    if (MainForm)
        return MainForm->Folders();
    return TAppFolders(programfolder::Path(), nullptr);
}

void TOpenMagickImageDlg::SetDirectory(const QString& folder)
{
    if (!DirectoryLB->SetDirectory(folder))
        Inform("Folder not found!\n" + folder);
}

void TOpenMagickImageDlg::Inform(const QString& text)
{
    QMessageBox::information(this, "Information", text);
}

void TOpenMagickImageDlg::ResetFilter()
{
    FilterCB->setToolTip("All Files (*.*)");
    FileLB->SetMask("*.*");
}

void TOpenMagickImageDlg::showEvent(QShowEvent* event)
{
    Files.clear();
    if (OpenMode) {
        OKBtn->setText("Open");
    } else {
        OKBtn->setText("Save");
        FileLB->SetMultiSelect(false);
    }
    FilterCB->setToolTip(FilterCB->currentText());
    QDialog::showEvent(event);
}

void TOpenMagickImageDlg::AddToHistory(const QString& name)
{
    for (int i = 0; i < FileNameCB->count(); ++i)
        if (FileNameCB->itemText(i).compare(name, Qt::CaseInsensitive) == 0)
            return;
    FileNameCB->addItem(name);
}

void TOpenMagickImageDlg::SelectListedFile(const QString& name)
{
    // The file system tells names apart by case: an exact match wins, a
    // match without regard to case is the fallback.
    QListWidgetItem* match = nullptr;
    for (int row = 0; row < FileLB->count() && !match; ++row)
        if (FileLB->item(row)->text() == name)
            match = FileLB->item(row);
    for (int row = 0; row < FileLB->count() && !match; ++row)
        if (FileLB->item(row)->text().compare(name, Qt::CaseInsensitive) == 0)
            match = FileLB->item(row);
    const QSignalBlocker quiet(FileLB);
    FileLB->clearSelection();
    if (match) {
        FileLB->setCurrentItem(match);
        match->setSelected(true);
    }
}

bool TOpenMagickImageDlg::SelectFile(const QString& path, bool openMode)
{
    MI->Clear();
    AudioInfo->hide();
    OpenMode = openMode;
    if (path.isEmpty()) {
        FileNameCB->setEditText(QString());
        return false;
    }
    const QFileInfo file(path);
    if (!file.isFile()) {
        FileNameCB->setEditText(file.fileName());
        return false;
    }
    DirectoryLB->SetDirectory(file.absolutePath());
    FileLB->SetDirectory(DirectoryLB->Directory());
    SelectListedFile(file.fileName());
    FileNameCB->setEditText(file.fileName());
    AddToHistory(file.fileName());
    if (PreviewCB->isChecked())
        UpdatePreview();
    return true;
}

bool TOpenMagickImageDlg::ShowFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir() || !DirectoryLB->SetDirectory(folder))
        return false;
    FileLB->SetDirectory(DirectoryLB->Directory());
    MI->Clear();
    AudioInfo->hide();
    FileNameCB->setEditText(QString());
    return true;
}

QString TOpenMagickImageDlg::GetFileName(bool quiet)
{
    if (Files.isEmpty()) {
        if (!quiet)
            Inform("No valid filename found!");
        return {};
    }
    return Files.first();
}

void TOpenMagickImageDlg::SetFileKind(int kind)
{
    QStringList filters;
    if (kind == fkImage)
        FileFilter.ListImageTypes(filters);
    else if (kind == fkAudio)
        FileFilter.ListAudioTypes(filters);
    else
        return;
    FilterCB->clear();
    FilterCB->addItems(filters);
    if (FilterCB->count() > 0)
        FilterCB->setCurrentIndex(0);
}

void TOpenMagickImageDlg::UpdatePreview()
{
    QCoreApplication::processEvents();
    QListWidgetItem* focused = FileLB->currentItem();
    if (!PreviewCB->isChecked() || FileLB->count() == 0 || !focused) {
        MI->Clear();
        AudioInfo->hide();
        return;
    }
    const QString path = JoinPath(CurrentFolder(), focused->text());
    if (FileFilter.GetFileKind(path) == fkAudio) {
        // A recording has no picture: its length stands in for one.
        MI->Clear();
        AudioInfo->setText(AudioInfoText(ReadAudioFileInfo(path)));
        AudioInfo->show();
        return;
    }
    AudioInfo->hide();
    if (path == MI->FileName())
        MI->Update();
    else
        MI->SetFileName(path);
}

void TOpenMagickImageDlg::FileLBClick()
{
    UpdatePreview();
    QCoreApplication::processEvents();
    FileNameCB->setEditText(FileLB->SelectedNames().join(';'));
}

void TOpenMagickImageDlg::FileLBDblClick()
{
    accept();
}

void TOpenMagickImageDlg::FilterCBChange()
{
    const PFileType* entry = FileFilter.FindByDescription(FilterCB->currentText());
    if (!entry) {
        ResetFilter();
        FileLB->Update();
        return;
    }
    FilterCB->setToolTip(entry->Description);
    FileLB->SetMask(TFileFilter::GetMask(entry));
    const QString text = FileNameCB->currentText();
    if (!text.isEmpty() && entry->Kind != fkAny) {
        // Only the last of several names takes the new extension; the names
        // before it stay as typed.
        const qsizetype lastName = text.lastIndexOf(';') + 1;
        const qsizetype separator = std::max({text.lastIndexOf('/'), text.lastIndexOf(':'), lastName - 1});
        const qsizetype dot = text.lastIndexOf('.');
        FileNameCB->setEditText(dot > separator ? text.left(dot) + entry->Extension : text + entry->Extension);
    }
    FileLB->Update();
}

void TOpenMagickImageDlg::DirUpBtnClick()
{
    const QString folder = CurrentFolder();
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash < 0 || folder == "/")
        return;
    const QString parent = slash == 0 ? QString("/") : folder.left(slash);
    if (QFileInfo(parent).isDir())
        DirectoryLB->SetDirectory(parent);
}

void TOpenMagickImageDlg::ShortcutTo(const QString& folder, bool audio)
{
    QCoreApplication::processEvents();
    SetDirectory(folder);
    QStringList filters;
    if (audio)
        FileFilter.ListAudioTypes(filters);
    else
        FileFilter.ListImageTypes(filters);
    FilterCB->clear();
    FilterCB->addItems(filters);
    FilterCB->setCurrentIndex(audio && FilterCB->count() > 1 ? 1 : 0);
    FilterCBChange();
}

void TOpenMagickImageDlg::ImagesDirBtnClick()
{
    ShortcutTo(Folders().GetImagesDir(), false);
}

void TOpenMagickImageDlg::LUTDirBtnClick()
{
    ShortcutTo(Folders().GetLUTDir(), false);
}

void TOpenMagickImageDlg::AudioDirBtnClick()
{
    ShortcutTo(Folders().GetAudioDir(), true);
}

void TOpenMagickImageDlg::LogoDirBtnClick()
{
    ShortcutTo(Folders().GetLogosDir(), false);
}

void TOpenMagickImageDlg::StretchImageCBClick()
{
    MI->SetStretch(StretchImageCB->isChecked());
}

void TOpenMagickImageDlg::PreviewCBClick()
{
    UpdatePreview();
}

int TOpenMagickImageDlg::ValidateFileNames(const QString& text)
{
    Files.clear();
    if (text.isEmpty())
        return 0;
    QStringList candidates;
    for (const QString& name : text.split(';', Qt::SkipEmptyParts)) {
        const QString candidate = JoinPath(CurrentFolder(), name);
        // Names that differ only in case are different files here.
        if (!candidates.contains(candidate))
            candidates << candidate;
        AddToHistory(name);
    }
    for (QString candidate : candidates) {
        if (FileExtension(candidate).isEmpty()) {
            const QString extension = FileFilter.GetExtension(FilterCB->currentText());
            if (extension.isEmpty()) {
                Inform("Undefined file format!\n" + candidate);
                continue;
            }
            candidate += extension;
        }
        const int kind = FileFilter.GetFileKind(candidate);
        if (OpenMode) {
            if (!QFileInfo(candidate).isFile()) {
                Inform("File not found!\n" + candidate);
                continue;
            }
            if (kind != fkImage && kind != fkAudio) {
                Inform("Unsupported image format!\n" + candidate);
                continue;
            }
        } else if (kind != fkImage) {
            Inform("Unsupported image format!\n" + candidate);
            continue;
        }
        Files << candidate;
    }
    return static_cast<int>(Files.size());
}

void TOpenMagickImageDlg::done(int result)
{
    Files.clear();
    if (result == QDialog::Accepted) {
        if (ValidateFileNames(FileNameCB->currentText()) == 0)
            return;
        {
            const QSignalBlocker quiet(FileLB);
            FileLB->clearSelection();
        }
        FileNameCB->setEditText(QString());
        MI->Clear();
        AudioInfo->hide();
    }
    QDialog::done(result);
}
