// The reader's life (creation, closing, destruction), its tree of feeds and
// the commands that change it. Downloading and showing a feed are in
// RSSFormFetch.cpp.
#include "publishing/ui/RSSForm.h"

#include "publishing/FeedLinks.h"
#include "publishing/FeedList.h"
#include "publishing/ui/RSSBusy.h"
#include "publishing/ui/RSSMemo.h"
#include "publishing/ui/RSSOleImage.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MagickImage.h"
#include "shell/ui/ShellHelpers.h"
#include "shell/ui/WindowState.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QKeyEvent>
#include <QModelIndex>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

TRSSForm* RSSForm = nullptr;

namespace {

const char kKey[] = "APT\\RSS";
const char kPathsKey[] = "APT\\Paths";
constexpr int kIconNew = 0, kIconRead = 1, kIconLine = 2;
constexpr int kIconSide = 16;

// A TColor (0x00BBGGRR) and back.
QColor FromTColor(unsigned value)
{
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}
unsigned ToTColor(const QColor& colour)
{
    return static_cast<unsigned>(colour.red()) | static_cast<unsigned>(colour.green()) << 8 |
           static_cast<unsigned>(colour.blue()) << 16;
}

}  // namespace

TRSSForm::TRSSForm(QWidget* parent) : QDialog(parent), HttpCli(std::make_unique<THttpCli>())
{
    RSSForm = this;
    BuildLayout();
    HttpCli->SetRequestVer("1.0");
    HttpCli->FollowRelocation = true;
    HttpCli->Proxy.clear();
    HttpCli->LocalAddr = "0.0.0.0";
    HttpCli->OnHeaderEnd = [this](THttpCli* sender) { HttpCliHeaderEnd(sender); };
    HttpCli->OnDocBegin = [this](THttpCli* sender) { HttpCliDocBegin(sender); };
    HttpCli->OnDocEnd = [this](THttpCli* sender) { HttpCliDocEnd(sender); };
    OpenLink = [this](const QString& link) { OpenURL(this, QString(), link, false); };
    FormCreate();
}

TRSSForm::~TRSSForm()
{
    FormDestroy();
    if (RSSForm == this)
        RSSForm = nullptr;
}

// --- life ------------------------------------------------------------------------------

void TRSSForm::FormCreate()
{
    RestoreFormPlacement(this, kKey);
    if (!ReadRegistryString(kKey, QString()).isEmpty()) {
        // A width saved below the minimum (dragged narrow) comes back as the minimum.
        const int treeWidth = std::max(ReadRegistryString(kKey, "twWidth").toInt(), kMinTreeWidth);
        if (treeWidth < width())
            Splitter1->setSizes({treeWidth, width() - treeWidth});
        QFont font = memo->font();
        const QString name = ReadRegistryString(kKey, "FontName");
        if (!name.isEmpty())
            font.setFamily(name);
        const int size = ReadRegistryString(kKey, "FontSize").toInt();
        if (size > 0)
            font.setPointSize(size);
        memo->setFont(font);
        bool colourOk = false;
        const unsigned colour = ReadRegistryString(kKey, "FontColor").toUInt(&colourOk);
        if (colourOk) {
            QPalette palette = memo->palette();
            palette.setColor(QPalette::Text, FromTColor(colour));
            memo->setPalette(palette);
            memo->setTextColor(FromTColor(colour));
        }
    }
    TBusy busy(State);
    ConfigDir = ReadRegistryString(kPathsKey, "Config");
    RssDir = ReadRegistryString(kPathsKey, "RSS");
    OleImage = std::make_unique<TOLEImage>(memo);
    MagickImage1->hide();
    FeedNode = nullptr;
    Feed = nullptr;
    FreeReceiveStream();
    const TFeedReceiver add = [this](std::unique_ptr<TFeedInfo> record) { AddFeedNode(std::move(record)); };
    QStringList ignored;
    const int read =
        ConfigDir.isEmpty() ? 0 : ReadFeedList(QDir(ConfigDir).filePath(kFeedListFileName), RssDir, add, &ignored);
    if (read < kFeedListMinimum)
        AddBuiltInFeeds(add);
    if (!ignored.isEmpty() && LogForm)
        LogForm->AddEntry("Feed list: cached files ignored", ignored);
}

void TRSSForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TRSSForm::FormClose()
{
    if (State & rsFetching) {
        // The fetch ends at once as aborted; what waited for it, and the
        // list once more, follow when it has unwound.
        stopFetching_ = true;
        HttpCli->Abort();
    }
    if (ConfigDir.isEmpty())
        return;
    TBusy busy(State);
    QList<TFeedListEntry> entries;
    for (int i = 0; i < tw->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = tw->topLevelItem(i);
        if (!node->isHidden())
            entries.append({RecordOf(node), node->text(0)});
    }
    QString error;
    if (!WriteFeedList(QDir(ConfigDir).filePath(kFeedListFileName), entries,
                       ReadRegistryString("APT", "VersionStr"), error))
        ShowError(error + "\n\nThe list saved before is kept.", "Error: Unable to save the feed list!");
}

void TRSSForm::FormDestroy()
{
    WriteRegistryString(kKey, QString(), "1");
    SaveFormPlacement(this, kKey);
    WriteRegistryString(kKey, "twWidth", QString::number(tw->width()));
    WriteRegistryString(kKey, "FontName", memo->font().family());
    WriteRegistryString(kKey, "FontSize", QString::number(memo->font().pointSize()));
    WriteRegistryString(kKey, "FontColor", QString::number(ToTColor(memo->palette().color(QPalette::Text))));
    State |= rsTreeBusy;
    FreeReceiveStream();
    for (int i = 0; i < tw->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = tw->topLevelItem(i);
        delete RecordOf(node);
        node->setData(0, Qt::UserRole, QVariant());
    }
    Feed = nullptr;
    FeedNode = nullptr;
    OleImage.reset();
}

void TRSSForm::FileExit1Execute()
{
    close();
}

bool TRSSForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        StatusBar->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

bool TRSSForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tw && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            twKeyUp(key->key());
    }
    return QDialog::eventFilter(watched, event);
}

// --- the walker's output -----------------------------------------------------------------

void TRSSForm::SetParaStyle(int style)
{
    memo->SetParaStyle(style);
}

void TRSSForm::AppendLine(const QString& line)
{
    memo->AppendLine(line);
}

void TRSSForm::ShowError(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.exec();
}

// --- the tree -----------------------------------------------------------------------------

TFeedInfo* TRSSForm::RecordOf(const QTreeWidgetItem* node)
{
    return node ? static_cast<TFeedInfo*>(node->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

QString TRSSForm::NodeCaption(const QModelIndex& index)
{
    const auto* record = static_cast<const TFeedInfo*>(index.data(Qt::UserRole).value<void*>());
    const QString title = record && !index.parent().isValid() ? record->Title.simplified() : QString();
    return title.isEmpty() ? index.data(Qt::DisplayRole).toString() : title;
}

QTreeWidgetItem* TRSSForm::NodeOf(const TFeedInfo* record) const
{
    for (int i = 0; record && i < tw->topLevelItemCount(); ++i)
        if (RecordOf(tw->topLevelItem(i)) == record)
            return tw->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* TRSSForm::FindFeedNode(int flags)
{
    QTreeWidgetItem* node = nullptr;
    if (!(flags & 2)) {
        const QList<QTreeWidgetItem*> selected = tw->selectedItems();
        node = selected.isEmpty() ? nullptr : selected.first();
    }
    const bool byURL = (flags & 2) || ((flags & 1) && !node);
    if (byURL && Feed && !Feed->URL.isEmpty()) {
        for (int i = 0; i < tw->topLevelItemCount(); ++i) {
            QTreeWidgetItem* candidate = tw->topLevelItem(i);
            if (candidate->text(0) != Feed->URL)
                continue;
            node = candidate;
            if (flags & 2)
                break;  // the first; flags 1 takes the last
        }
    }
    while (node && node->parent())
        node = node->parent();
    return node;
}

TFeedInfo* TRSSForm::GetSelectedFeed(int flags)
{
    return RecordOf(flags & 1 ? FindFeedNode(0) : FeedNode);
}

void TRSSForm::AddChildLines(QTreeWidgetItem* node, const TFeedInfo& record)
{
    for (const QString& line : {"Link: " + record.GetLink(), "Stories: " + QString::number(record.Stories),
                                record.GetLastModified()}) {
        auto* child = new QTreeWidgetItem(node, {line});
        child->setFlags(child->flags() & ~Qt::ItemIsEditable);
        child->setIcon(0, NodeIcon(child));
    }
}

void TRSSForm::AddFeedNode(std::unique_ptr<TFeedInfo> record)
{
    TBusy busy(State);
    TFeedInfo* feed = record.release();  // the node owns it from here
    auto* node = new QTreeWidgetItem(tw, {feed->GetURL()});
    node->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(feed)));
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    AddChildLines(node, *feed);
    if (feed->CheckCache()) {
        feed->Flags |= TFeedInfo::Read;
        feed->Title = ReadFeedTitle(feed->DocFile);  // the list keeps no title
    }
    node->setIcon(0, NodeIcon(node));
}

void TRSSForm::DeleteFeedNode(int flags)
{
    if (!FeedNode)
        return;
    TBusy busy(State);
    qDeleteAll(FeedNode->takeChildren());
    if (!(flags & 1))
        return;
    if (TFeedInfo* record = RecordOf(FeedNode)) {
        if (!record->DocFile.isEmpty())
            QFile::remove(record->DocFile);
        // A picture is only known to be this feed's once a walk has found it.
        if ((record->Flags & TFeedInfo::ImageKnown) && !record->ImageFile.isEmpty())
            QFile::remove(record->ImageFile);
        delete record;
    }
    FeedNode->setData(0, Qt::UserRole, QVariant());
    delete FeedNode;
    FeedNode = nullptr;
    Feed = nullptr;
}

int TRSSForm::twGetImageIndex(const QTreeWidgetItem* node) const
{
    if (!node || node->parent())
        return kIconLine;
    const TFeedInfo* record = RecordOf(node);
    return record && (record->Flags & TFeedInfo::Read) ? kIconRead : kIconNew;
}

QIcon TRSSForm::NodeIcon(const QTreeWidgetItem* node) const
{
    QIcon icon;
    icon.addPixmap(icons_[twGetImageIndex(node)].pixmap(kIconSide), QIcon::Normal);
    icon.addPixmap(icons_[twGetSelectedIndex(node)].pixmap(kIconSide), QIcon::Selected);
    return icon;
}

void TRSSForm::RefreshIcons()
{
    for (int i = 0; i < tw->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = tw->topLevelItem(i);
        node->setIcon(0, NodeIcon(node));
    }
}

void TRSSForm::EnableButtons(bool enable)
{
    for (QToolButton* button : {AddFeedToolButton, DelFeedToolButton, ReceiveToolButton, FontToolButton})
        button->setEnabled(enable);
}

void TRSSForm::FreeReceiveStream()
{
    receiveStream_.reset();
    if (HttpCli)
        HttpCli->ReceiveStream = nullptr;
}

// --- commands on the tree -------------------------------------------------------------------

void TRSSForm::AddFeedToolButtonClick()
{
    TBusy busy(State);
    tw->clearSelection();
    AddFeedNode(std::make_unique<TFeedInfo>());
    tw->setCurrentItem(tw->topLevelItem(tw->topLevelItemCount() - 1));
}

void TRSSForm::DelFeedToolButtonClick()
{
    TBusy busy(State);
    QTreeWidgetItem* node = FindFeedNode(0);
    if (!node)
        return;
    if (State & rsFetching) {
        // A fetch may be working on this node or on one after it: the node
        // goes out of sight now and out of the tree when the fetch is over.
        if (TFeedInfo* record = RecordOf(node))
            deleteAfterFetch_.append(record);
        tw->clearSelection();
        node->setHidden(true);
        return;
    }
    FeedNode = node;
    DeleteFeedNode(1);
    // The tree moved its current item to a neighbour; it becomes the selection.
    if (tw->selectedItems().isEmpty() && tw->currentItem())
        tw->currentItem()->setSelected(true);
    FeedNode = FindFeedNode(0);
    if (TFeedInfo* record = RecordOf(FeedNode))
        ShowSelectedFeed(record);
}

void TRSSForm::Clearfeedfromcache1Click()
{
    QTreeWidgetItem* node = FindFeedNode(1);
    TFeedInfo* record = RecordOf(node);
    if (!node || !record)
        return;
    if ((State & rsFetching) && record == fetching_) {
        clearAfterFetch_.append(record);
        return;
    }
    if (!(State & rsFetching)) {
        FeedNode = node;
        Feed = record;
    }
    ClearNodeCache(node);
}

void TRSSForm::ClearNodeCache(QTreeWidgetItem* node)
{
    TFeedInfo* record = RecordOf(node);
    if (!record)
        return;
    TBusy busy(State);
    qDeleteAll(node->takeChildren());
    if (!record->DocFile.isEmpty())
        QFile::remove(record->DocFile);
    if (!record->ImageFile.isEmpty())
        QFile::remove(record->ImageFile);
    record->DocFile.clear();
    record->DocLastModified.clear();
    record->ImageFile.clear();
    record->ImageLastModified.clear();
    record->Flags &= ~TFeedInfo::Read;
    memo->ClearLines();
    RefreshIcons();
}

bool TRSSForm::twEditing(QTreeWidgetItem* node) const
{
    return node && !node->parent();
}

void TRSSForm::twEdited(QTreeWidgetItem* node)
{
    if (!twEditing(node))
        return;
    TBusy busy(State);
    QString text = node->text(0).trimmed();
    if (text.isEmpty())
        text = kPlaceholderFeedURL;
    TFeedInfo* record = RecordOf(node);
    if (!record) {
        record = new TFeedInfo;
        node->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(record)));
    }
    if (record->URL != text)
        record->Title.clear();  // the old feed's, until the new one is walked
    node->setText(0, text);
    record->URL = text;
}

void TRSSForm::twChange()
{
    if (State & (rsTreeBusy | rsFetching))
        return;
    QTreeWidgetItem* node = tw->currentItem();
    if (!node || node->parent() || !node->isSelected() || node->text(0).isEmpty())
        return;
    if (TFeedInfo* record = RecordOf(node))
        ShowSelectedFeed(record);
}

void TRSSForm::ShowSelectedFeed(TFeedInfo* record)
{
    Feed = record;
    if (!record->DocFile.isEmpty() && QFile::exists(record->DocFile)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ShowFeed(1);
        QApplication::restoreOverrideCursor();
        return;
    }
    record->DocFile.clear();
    record->DocLastModified.clear();
    record->Flags &= ~TFeedInfo::Read;
    memo->ClearLines();
    SetParaStyle(0x400);
    AppendLine("The feed has not yet been downloaded!");
    RefreshIcons();
}

void TRSSForm::twDblClick(QTreeWidgetItem* node)
{
    if (!node || !node->isSelected() || node->text(0).isEmpty())
        return;
    if (!node->parent()) {
        DownloadFeedClick();
        return;
    }
    TBusy busy(State);
    if (!node->text(0).contains("Link: "))
        return;
    const TFeedInfo* record = RecordOf(node->parent());
    if (record && !record->Link.isEmpty())
        MemoLinkClick(record->Link);
}

void TRSSForm::MemoLinkClick(const QString& link)
{
    if (IsOpenableFeedLink(link)) {
        OpenLink(link);
        return;
    }
    StatusBar->showMessage("Not opened: only web and FTP addresses are opened from a feed (" + link + ")");
}

void TRSSForm::twKeyUp(int key)
{
    if (key == Qt::Key_F5)
        Fetchall1Click();
    else if (key == Qt::Key_F6)
        DownloadFeedClick();
}

void TRSSForm::FontToolButtonClick()
{
    FontDialog->setCurrentFont(memo->font());
    if (FontDialog->exec() == QDialog::Accepted)
        memo->setFont(FontDialog->selectedFont());
}

void TRSSForm::ReceivePopupPopup()
{
    ReceiveToolButton->setDown(false);
}
