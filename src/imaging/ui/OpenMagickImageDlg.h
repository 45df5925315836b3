#pragma once
// The program's one open/save dialog, shared by every caller: folder and file
// lists, the type filter of the file-type registry, shortcut buttons for the
// program's folders, a name box with history and a preview of the focused
// file. On OK every typed or selected name is checked and Files holds the
// full paths that exist (open mode) or name an image format (save mode).
// Preview and stretch options are kept under "APT\OpenDlg". GUI thread only.
#include "imaging/FileTypes.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;
class TAppFolders;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TMagickImage;

class TOpenMagickImageDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOpenMagickImageDlg(QWidget* parent = nullptr);
    ~TOpenMagickImageDlg() override;

    // Points the dialog at path: true when it names an existing file, which
    // is then selected, named and previewed.
    bool SelectFile(const QString& path, bool openMode);
    // Shows folder with no file named; false (and nothing changed) when it
    // does not exist.
    bool ShowFolder(const QString& folder);
    // The first validated path; "" (with a box unless quiet) when none.
    QString GetFileName(bool quiet);
    // 1: image filters, 2: audio filters ("All Files (*.*)" first and chosen).
    void SetFileKind(int kind);
    // Checks the ';'-separated names against the current folder and filter;
    // each bad name is reported and dropped. Returns the number in Files.
    int ValidateFileNames(const QString& text);
    void UpdatePreview();

    TFileFilter FileFilter;
    QStringList Files;
    bool OpenMode = true;

    // The controls, for callers that adjust the dialog and for tests.
    TDriveComboBox* DriveCB;
    TDirectoryListBox* DirectoryLB;
    TFileListBox* FileLB;
    QToolButton* DirUpBtn;
    QComboBox* FileNameCB;
    QComboBox* FilterCB;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QToolButton* ImagesDirBtn;
    QToolButton* LUTDirBtn;
    QToolButton* AudioDirBtn;
    QToolButton* LogoDirBtn;
    TMagickImage* MI;
    QLabel* AudioInfo;  // an audio file's length, shown in place of a picture
    QCheckBox* PreviewCB;
    QCheckBox* StretchImageCB;

    // Event handlers, public so callers and tests act as the user would.
    void FileLBClick();
    void FileLBDblClick();
    void FilterCBChange();
    void DirUpBtnClick();
    void ImagesDirBtnClick();
    void LUTDirBtnClick();
    void AudioDirBtnClick();
    void LogoDirBtnClick();
    void StretchImageCBClick();
    void PreviewCBClick();

    // The dialog closes only when an OK leaves at least one valid name.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    void ResetFilter();
    void SelectListedFile(const QString& name);
    void ShortcutTo(const QString& folder, bool audio);
    void SetDirectory(const QString& folder);
    void AddToHistory(const QString& name);
    void Inform(const QString& text);
    QString CurrentFolder() const;
    TAppFolders Folders() const;
};

// The dialog of the running program (null before it is made).
extern TOpenMagickImageDlg* OpenMagickImageDlg;

// The dialog of the running program, made on first use (owned by owner)
// when start-up has not made it.
TOpenMagickImageDlg* SharedOpenMagickImageDlg(QWidget* owner);
