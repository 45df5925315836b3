#pragma once
// "Zuv AVI Raza Rodudi": the feed reader. The subscribed feeds are a tree on
// the left (one top-level node per feed, owning its TFeedInfo, with three
// child lines: link, stories, Last-Modified); the chosen feed's channel and
// items are the text on the right, the channel picture on top. Feeds are
// fetched over HTTP only when they changed, into the cache folder RssDir;
// the subscriptions live in ConfigDir/"rss_links.txt".
//
// GUI thread only. THttpCli::Get pumps messages, so the user's commands run
// while a download is in progress: State keeps a second fetch and selection
// changes out, and Delete and Clear of the feed in use wait until the fetch
// has ended, so the record and node a fetch works on stay alive.
#include "net/HttpCli.h"
#include "publishing/FeedInfo.h"
#include "publishing/FeedWalker.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <functional>
#include <memory>

class QAction;
class QFontDialog;
class QMenu;
class QModelIndex;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TFeedMemo;
class TMagickImage;
class TOLEImage;

// The tree is kept at least this wide, so a feed's title stays readable
// however narrow it was dragged or saved.
inline constexpr int kMinTreeWidth = 150;

// Bits of TRSSForm::State.
enum : int {
    rsTreeBusy = 1,        // the program changes the tree or the list
    rsFetching = 2,        // a fetch command is running
    rsImageDownload = 4,   // the next finished download is the channel picture
    rsFailed = 0x400,      // the last download, parse or validity check failed
};

class TRSSForm : public QDialog, public TFeedSink {
    Q_OBJECT
public:
    explicit TRSSForm(QWidget* parent = nullptr);
    ~TRSSForm() override;

    // The components.
    QToolBar* ToolBar1;
    QAction* FileExit1;
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QToolButton* FontToolButton;
    QToolButton* DelFeedToolButton;
    QToolButton* AddFeedToolButton;
    QToolButton* ReceiveToolButton;
    QMenu* ReceivePopup;
    QAction* Fetchall1;
    QAction* Fetchselected1;
    QTreeWidget* tw;
    QMenu* FeedPopup;
    QSplitter* Splitter1;
    TFeedMemo* memo;
    QStatusBar* StatusBar;
    TMagickImage* MagickImage1;  // hidden; loads the channel picture
    std::unique_ptr<THttpCli> HttpCli;
    QFontDialog* FontDialog;

    std::unique_ptr<TOLEImage> OleImage;
    QTreeWidgetItem* FeedNode = nullptr;  // the feed worked on; owned by tw
    TFeedInfo* Feed = nullptr;            // the record fetched, walked or shown; owned by its node
    int DocKind = -1;                     // of the last walk: -1 unknown, 0 RSS, 1 RDF
    int State = 0;                        // rs... bits
    QString RssDir;                       // the feed cache
    QString ConfigDir;                    // where "rss_links.txt" is kept

    // Opens a link from a feed (already checked to be a web or FTP address).
    // The desktop's browser by default; tests record instead.
    std::function<void(const QString& link)> OpenLink;

    // mode 1 shows the selected feed, 3 only scans it.
    void ShowFeed(int mode);
    void UpdateFeedNode();
    void ShowChannelImage();
    // Downloads the feed and its picture; mode 1 also shows it. True when
    // the feed was fetched (or found unchanged) and is valid.
    bool FetchFeed(TFeedInfo* record, int mode);
    // flags 1: a selection-less lookup of the current record's URL; 2: only
    // that lookup. The top-level node, or null.
    QTreeWidgetItem* FindFeedNode(int flags);
    // flags 1: the record of the selected feed; 0: that of FeedNode.
    TFeedInfo* GetSelectedFeed(int flags);
    // Deletes FeedNode's child lines; flags 1: also the node, its record and
    // the record's cached files.
    void DeleteFeedNode(int flags);
    void AddFeedNode(std::unique_ptr<TFeedInfo> record);
    void EnableButtons(bool enable);
    void FreeReceiveStream();

    // Commands.
    void FileExit1Execute();
    void Fetchall1Click();
    void DownloadFeedClick();
    void Clearfeedfromcache1Click();
    void AddFeedToolButtonClick();
    void DelFeedToolButtonClick();
    void FontToolButtonClick();
    void ReceivePopupPopup();
    // A link clicked in the text: opened when it is a web or FTP address.
    void MemoLinkClick(const QString& link);

    // Tree events.
    bool twEditing(QTreeWidgetItem* node) const;
    void twEdited(QTreeWidgetItem* node);
    void twChange();
    void twDblClick(QTreeWidgetItem* node);
    void twKeyUp(int key);
    int twGetImageIndex(const QTreeWidgetItem* node) const;
    int twGetSelectedIndex(const QTreeWidgetItem* node) const { return twGetImageIndex(node); }

    // The walker's output (TFeedSink).
    void SetParaStyle(int style) override;
    void AppendLine(const QString& line) override;
    void ShowError(const QString& text, const QString& caption) override;

    static TFeedInfo* RecordOf(const QTreeWidgetItem* node);
    // What the tree shows for a node: a feed's channel title when known,
    // else its text (the URL, or a child's line).
    static QString NodeCaption(const QModelIndex& index);

protected:
    // Every way of closing (Exit, the close box, Escape) writes the list.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;  // the tree's key releases
    bool event(QEvent* event) override;                          // hints to the status bar

private:
    void BuildLayout();
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void HttpCliHeaderEnd(THttpCli* sender);
    void HttpCliDocBegin(THttpCli* sender);
    void HttpCliDocEnd(THttpCli* sender);
    void ReportDownloadFailure();
    // The window closed or the feed was deleted while it was being fetched:
    // it is neither scanned nor shown any more.
    bool Abandoned(const TFeedInfo* record) const;
    // Parses and walks record's cached document (ShowFeed's work).
    void ShowFeedOf(TFeedInfo* record, int mode);
    // Shows the selected record's cached document, or says that it has none
    // yet: a document that never arrived is not parsed.
    void ShowSelectedFeed(TFeedInfo* record);
    void AddChildLines(QTreeWidgetItem* node, const TFeedInfo& record);
    QTreeWidgetItem* NodeOf(const TFeedInfo* record) const;
    // The node's icons by twGetImageIndex and twGetSelectedIndex.
    QIcon NodeIcon(const QTreeWidgetItem* node) const;
    void RefreshIcons();
    // Ends what waited for the fetch command: deletes and cache clears.
    void FinishFetchCommand();
    void DeleteNodeNow(QTreeWidgetItem* node);
    void ClearNodeCache(QTreeWidgetItem* node);

    std::unique_ptr<TFileStream> receiveStream_;  // the download, while it comes
    QString downloadPath_;                        // its fixed name in RssDir
    TFeedInfo* fetching_ = nullptr;               // the record FetchFeed works on
    QList<TFeedInfo*> deleteAfterFetch_;          // their nodes are hidden meanwhile
    QList<TFeedInfo*> clearAfterFetch_;
    bool stopFetching_ = false;                   // the window closed during a fetch
    QIcon icons_[3];                              // new feed, read feed, child line
};

// The reader of the running program (null before it is made).
extern TRSSForm* RSSForm;
