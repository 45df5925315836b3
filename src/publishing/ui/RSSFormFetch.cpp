// The reader's downloads and walks: fetching one feed or all of them over
// HTTP (conditionally, by the cached document's "Last-Modified" line),
// walking a cached document into the text and putting the channel picture
// on top.
//
// Every download is written to one fixed name in the cache folder (see
// FeedDownloadPath) and moved to its time-stamped cache name by the feed's
// record; the name a server or a URL gives never becomes a file name.
#include "net/UrlParser.h"
#include "publishing/FeedLinks.h"
#include "publishing/ui/RSSBusy.h"
#include "publishing/ui/RSSForm.h"
#include "publishing/ui/RSSMemo.h"
#include "publishing/ui/RSSOleImage.h"
#include "shell/ui/MagickImage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTreeWidget>
#include <libxml/tree.h>

namespace {

constexpr int kShow = 1, kScan = 3;

bool Exists(const QString& path)
{
    return !path.isEmpty() && QFile::exists(path);
}

}  // namespace

// --- showing ---------------------------------------------------------------------------

void TRSSForm::ShowFeed(int mode)
{
    ShowFeedOf(GetSelectedFeed(1), mode);
}

void TRSSForm::ShowFeedOf(TFeedInfo* record, int mode)
{
    TBusy busy(State);
    if (!record)
        return;
    Feed = record;
    TXmlDocument doc = ReadFeedDocument(record->DocFile);
    xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root) {
        ShowError(record->GetURL(), doc ? "Error: Failed get root element!" : "Error: Failed to parse file!");
        State |= rsFailed;
        record->ClearCache();
        RefreshIcons();
        return;
    }
    record->ClearChannel();
    if (mode == kShow) {
        memo->ClearLines();
        SetParaStyle(0x401);
        AppendLine(QString());
        tw->setFocus();
    }
    TFeedWalker walker(*this);
    walker.Feed = record;
    walker.WalkNodes(root, mode == kShow ? kWalkShow : kWalkScanRoot);
    DocKind = walker.DocKind;
    doc.reset();

    if (!record->IsValid(1)) {
        State |= rsFailed;
        SetParaStyle(0x400);
        AppendLine(QString());
        AppendLine("Invalid RSS Feed!");
        AppendLine("URL: " + UrlWithoutPassword(record->GetURL()));
        record->ClearCache();
    } else if (mode == kShow) {
        SetParaStyle(0x400);
        UpdateFeedNode();
        if (record->Flags & TFeedInfo::ImageKnown) {
            ShowChannelImage();
        } else {
            memo->moveCursor(QTextCursor::Start);
            memo->verticalScrollBar()->setValue(0);
        }
        record->Flags |= TFeedInfo::Read;
    }
    RefreshIcons();
}

void TRSSForm::UpdateFeedNode()
{
    if (!Feed)
        return;
    TBusy busy(State);
    // The node that owns the record, wherever the selection went meanwhile.
    FeedNode = NodeOf(Feed);
    const bool found = FeedNode != nullptr;
    tw->clearSelection();
    if (found) {
        DeleteFeedNode(0);
    } else {
        FeedNode = new QTreeWidgetItem(tw, {Feed->GetURL()});
        FeedNode->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(Feed)));
        FeedNode->setFlags(FeedNode->flags() | Qt::ItemIsEditable);
    }
    AddChildLines(FeedNode, *Feed);
    if (found)
        tw->setCurrentItem(FeedNode);
    RefreshIcons();
}

void TRSSForm::ShowChannelImage()
{
    if (!Feed || memo->LineCount() == 0)
        return;
    if (MagickImage1->LoadMagickImage(Feed->ImageFile, false)) {
        memo->moveCursor(QTextCursor::Start);
        SetParaStyle(0x401);
        QTextCursor caret = memo->textCursor();
        QTextBlockFormat centred = caret.blockFormat();
        centred.setAlignment(Qt::AlignHCenter);
        caret.setBlockFormat(centred);
        OleImage->Insert(MagickImage1->GetBitmap());
        memo->moveCursor(QTextCursor::Start);
        memo->verticalScrollBar()->setValue(0);
        return;
    }
    if (!Feed->ImageFile.isEmpty())
        QFile::remove(Feed->ImageFile);
    Feed->Flags &= ~TFeedInfo::ImageKnown;
    Feed->ImageFile.clear();
    Feed->ImageLastModified.clear();
}

// --- downloading ---------------------------------------------------------------------------

bool TRSSForm::FetchFeed(TFeedInfo* record, int mode)
{
    if (!record)
        return false;
    Feed = record;
    fetching_ = record;
    State &= ~(rsImageDownload | rsFailed);
    TBusy busy(State);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    if (!Exists(record->DocFile))
        record->DocLastModified.clear();
    bool reportFailure = false;
    downloadPath_.clear();
    HttpCli->URL = record->URL;
    HttpCli->ModifiedSince = TFeedInfo::GetModifiedSince(record->DocLastModified);
    int status = 0;
    try {
        status = HttpCli->Get();
    } catch (const std::exception&) {
        State |= rsFailed;
        reportFailure = true;
    }
    FreeReceiveStream();
    if (!(State & rsFailed) && status != 200 && status != 304) {
        State |= rsFailed;
        reportFailure = true;
    }
    if (State & rsFailed)
        QFile::remove(downloadPath_);  // a failed download's body is no feed

    if (!(State & rsFailed) && !Abandoned(record))
        ShowFeedOf(record, kScan);
    if (!(State & rsFailed) && (record->Flags & TFeedInfo::ImageKnown) && !Abandoned(record)) {
        State |= rsImageDownload;
        if (!Exists(record->ImageFile))
            record->ImageLastModified.clear();
        downloadPath_.clear();
        HttpCli->URL = record->ImageURL;
        HttpCli->ModifiedSince = TFeedInfo::GetModifiedSince(record->ImageLastModified);
        try {
            HttpCli->Get();
        } catch (const std::exception&) {
            // A feed is shown without its picture rather than not at all.
        }
        FreeReceiveStream();
        QFile::remove(downloadPath_);  // left only when the picture was not cached
        State &= ~rsFailed;
    }
    if (!(State & rsFailed) && mode == kShow && !Abandoned(record))
        ShowFeedOf(record, kShow);

    QApplication::restoreOverrideCursor();
    const bool fetched = !(State & rsFailed);
    State &= ~(rsImageDownload | rsFailed);
    if (reportFailure)
        ReportDownloadFailure();
    fetching_ = nullptr;
    RefreshIcons();
    return fetched;
}

bool TRSSForm::Abandoned(const TFeedInfo* record) const
{
    return stopFetching_ || deleteAfterFetch_.contains(record);
}

void TRSSForm::ReportDownloadFailure()
{
    memo->ClearLines();
    SetParaStyle(0x400);
    AppendLine("Download failed !");
    AppendLine("URL: " + UrlWithoutPassword(HttpCli->URL));
    AppendLine("Reason: " + HttpCli->ResponseText);
}

void TRSSForm::HttpCliHeaderEnd(THttpCli* sender)
{
    if (sender->ResponseCode == 304)
        HttpCliDocEnd(sender);  // no body follows
}

void TRSSForm::HttpCliDocBegin(THttpCli* sender)
{
    FreeReceiveStream();
    QDir().mkpath(RssDir);
    downloadPath_ = FeedDownloadPath(RssDir, sender->URL, State & rsImageDownload);
    receiveStream_ = std::make_unique<TFileStream>(downloadPath_, TFileStream::fmCreate);
    sender->ReceiveStream = receiveStream_.get();
}

void TRSSForm::HttpCliDocEnd(THttpCli* sender)
{
    FreeReceiveStream();
    const bool picture = State & rsImageDownload;
    if (sender->ResponseCode == 200) {
        if (!fetching_ || downloadPath_.isEmpty())
            return;
        QString line;
        for (const QString& header : sender->ResponseHeaders)
            if (header.contains("Last-Modified")) {
                line = header;
                break;
            }
        (picture ? fetching_->ImageLastModified : fetching_->DocLastModified) = line;
        fetching_->CacheFile(downloadPath_, picture ? TFeedInfo::ImageKind : TFeedInfo::DocumentKind);
        return;
    }
    if (sender->ResponseCode == 304)
        return;  // the cached file and its line stay
    State |= rsFailed;
    if (!picture)
        ReportDownloadFailure();
}

// --- the fetch commands -------------------------------------------------------------------------

void TRSSForm::Fetchall1Click()
{
    if (State & rsFetching)
        return;
    EnableButtons(false);
    State |= rsTreeBusy | rsFetching;
    stopFetching_ = false;
    FeedNode = nullptr;
    Feed = nullptr;
    tw->setFocus();
    // By index: Add appends during a fetch, and Delete only hides a node
    // until the fetch is over, so no node moves under the loop.
    bool lastFetched = false;
    for (int i = 0; i < tw->topLevelItemCount() && !stopFetching_; ++i) {
        QTreeWidgetItem* node = tw->topLevelItem(i);
        TFeedInfo* record = RecordOf(node);
        if (!record || node->text(0).isEmpty() || node->isHidden())
            continue;
        Feed = record;
        const QString before = record->DocLastModified;
        record->Flags &= ~TFeedInfo::Read;
        FeedNode = node;
        tw->setCurrentItem(node);
        lastFetched = FetchFeed(record, 0);
        if (lastFetched) {
            if (before == record->DocLastModified)
                record->Flags |= TFeedInfo::Read;  // unchanged since it was read
            UpdateFeedNode();
        }
    }
    // The last feed is shown when it arrived; after a failure the memo keeps
    // the report of it, and nothing that never came is read.
    if (lastFetched && FeedNode && Feed && !Abandoned(Feed))
        ShowFeedOf(Feed, kShow);
    State &= ~(rsTreeBusy | rsFetching);
    EnableButtons(true);
    FinishFetchCommand();
}

void TRSSForm::DownloadFeedClick()
{
    if (State & rsFetching)
        return;
    FeedNode = FindFeedNode(1);
    Feed = RecordOf(FeedNode);
    if (!FeedNode || !Feed)
        return;
    EnableButtons(false);
    State |= rsTreeBusy | rsFetching;
    stopFetching_ = false;
    FetchFeed(Feed, kShow);
    State &= ~(rsTreeBusy | rsFetching);
    EnableButtons(true);
    FinishFetchCommand();
}

void TRSSForm::FinishFetchCommand()
{
    for (TFeedInfo* record : std::as_const(clearAfterFetch_))
        if (QTreeWidgetItem* node = NodeOf(record))
            ClearNodeCache(node);
    clearAfterFetch_.clear();
    for (TFeedInfo* record : std::as_const(deleteAfterFetch_)) {
        if (QTreeWidgetItem* node = NodeOf(record)) {
            FeedNode = node;
            DeleteFeedNode(1);
        }
    }
    deleteAfterFetch_.clear();
    RefreshIcons();
    if (stopFetching_) {
        // Closed during the fetch: the list written then is written again
        // with what the fetch and the waiting commands changed.
        stopFetching_ = false;
        FormClose();
    }
}
