#pragma once
// The open dialog's folder and file lists: the folder list shows the current
// folder's ancestors and its sub-folders (a double click enters one), the
// file list the files of the folder that match a mask. The drive box lists
// the mounted volumes a user would browse.
#include <QComboBox>
#include <QListWidget>

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The current folder, absolute, without a trailing '/' (except "/").
    QString Directory() const { return directory_; }
    // False, and nothing changes, when the folder does not exist.
    bool SetDirectory(const QString& folder);
    // Reads the sub-folders again.
    void Update();

signals:
    void DirectoryChanged(const QString& folder);

private:
    QString directory_;
};

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory_; }
    void SetDirectory(const QString& folder);
    // "*.png"; "*.*" lists every file. Case does not count.
    QString Mask() const { return mask_; }
    void SetMask(const QString& mask);
    bool MultiSelect() const;
    void SetMultiSelect(bool on);
    // Reads the folder again.
    void Update();
    // The names of the selected files, in list order.
    QStringList SelectedNames() const;

private:
    QString directory_;
    QString mask_ = "*.*";
};

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    // Shows the volume that holds folder.
    void ShowVolumeOf(const QString& folder);

signals:
    void DriveChosen(const QString& root);
};
