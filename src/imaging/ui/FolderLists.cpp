#include "imaging/ui/FolderLists.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStorageInfo>

namespace {

constexpr int kPathRole = Qt::UserRole;

QString CleanFolder(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetDirectory(item->data(kPathRole).toString()); });
    SetDirectory(QDir::currentPath());
}

bool TDirectoryListBox::SetDirectory(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString clean = CleanFolder(folder);
    const bool changed = clean != directory_;
    directory_ = clean;
    Update();
    if (changed)
        emit DirectoryChanged(directory_);
    return true;
}

void TDirectoryListBox::Update()
{
    clear();
    static const QFileIconProvider icons;
    const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
    // The ancestors from the root down, then the sub-folders one step in.
    QStringList chain;
    for (QDir dir(directory_);; ) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString name = path == "/" ? QString("/") : QFileInfo(path).fileName();
        auto* item = new QListWidgetItem(folderIcon, QString(depth * 2, ' ') + name, this);
        item->setData(kPathRole, path);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QFileInfoList children =
        QDir(directory_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children) {
        auto* item = new QListWidgetItem(folderIcon, QString(depth * 2, ' ') + child.fileName(), this);
        item->setData(kPathRole, child.absoluteFilePath());
    }
}

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    SetMultiSelect(true);
}

void TFileListBox::SetDirectory(const QString& folder)
{
    directory_ = folder;
    Update();
}

void TFileListBox::SetMask(const QString& mask)
{
    mask_ = mask;
    Update();
}

bool TFileListBox::MultiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TFileListBox::SetMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TFileListBox::Update()
{
    clear();
    if (directory_.isEmpty())
        return;
    // "*.*" means every file, also those without a dot in the name.
    const QString pattern = mask_.isEmpty() || mask_ == "*.*" ? QString("*") : mask_;
    const QStringList names =
        QDir(directory_).entryList({pattern}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    static const QFileIconProvider icons;
    const QIcon fileIcon = icons.icon(QFileIconProvider::File);
    for (const QString& name : names)
        new QListWidgetItem(fileIcon, name, this);
}

QStringList TFileListBox::SelectedNames() const
{
    QStringList names;
    for (int row = 0; row < count(); ++row)
        if (item(row)->isSelected())
            names << item(row)->text();
    return names;
}

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    QStringList roots{"/"};
    const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    if (!home.isEmpty())
        roots << home;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() &&
            (root.startsWith("/media/") || root.startsWith("/mnt/") || root.startsWith("/run/media/")))
            roots << root;
    }
    roots.removeDuplicates();
    addItems(roots);
    connect(this, &QComboBox::activated, this, [this](int index) { emit DriveChosen(itemText(index)); });
}

void TDriveComboBox::ShowVolumeOf(const QString& folder)
{
    int best = 0;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemText(i);
        const bool holds = root == "/" || folder == root || folder.startsWith(root + "/");
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}
