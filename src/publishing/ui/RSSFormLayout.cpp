// The reader's form: tool bar, tree, splitter, text, status bar, the two
// menus and the tree's three icons, captions and hints word for word.
#include "publishing/ui/RSSForm.h"
#include "publishing/ui/RSSMemo.h"
#include "shell/ui/MagickImage.h"

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kTreeWidth = 225;
constexpr int kIconSide = 16;

// A feed's node reads as its channel's title once a walk has found it; the
// node's own text, which the user edits, stays the feed's URL and is its hint.
class TFeedCaptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || index.parent().isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = TRSSForm::NodeCaption(index);
    }
};

// A feed's page with a corner mark: orange for new, grey for read.
QIcon FeedIcon(const QColor& mark)
{
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 1, 10, 13);
    for (int y = 4; y <= 10; y += 3)
        painter.drawLine(4, y, 10, y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark);
    painter.drawEllipse(QPointF(12, 11), 3.5, 3.5);
    return QIcon(pixmap);
}

// A child line's dot.
QIcon LineIcon()
{
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x50, 0x70, 0xa0));
    painter.drawEllipse(QPointF(8, 8), 2.5, 2.5);
    return QIcon(pixmap);
}

QToolButton* ToolButton(QToolBar* bar, const char* name, const QString& caption, const QString& hint,
                        QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setIcon(QApplication::style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addWidget(button);
    return button;
}

QAction* Action(QObject* owner, const char* name, const QString& caption, const QString& hint,
                const QKeySequence& key = {})
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    action->setStatusTip(hint);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setShortcut(key);
    return action;
}

}  // namespace

void TRSSForm::BuildLayout()
{
    setObjectName("RSSForm");
    setWindowTitle("Zuv AVI Raza Rodudi");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(758, 547);
    icons_[0] = FeedIcon(QColor(0xf0, 0x80, 0x10));
    icons_[1] = FeedIcon(QColor(0xa0, 0xa0, 0xa0));
    icons_[2] = LineIcon();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setMinimumHeight(36);
    QStyle* style = QApplication::style();
    FileExit1 = Action(this, "FileExit1", "Exit", "Exit application");
    FileExit1->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));
    EditCut1 = Action(this, "EditCut1", "Cut", "Cut", QKeySequence::Cut);
    EditCopy1 = Action(this, "EditCopy1", "Copy", "Copy", QKeySequence::Copy);
    EditPaste1 = Action(this, "EditPaste1", "Paste", "Paste", QKeySequence::Paste);
    // The text area has these keys of its own; the buttons act on it.
    for (QAction* edit : {EditCut1, EditCopy1, EditPaste1})
        edit->setShortcutContext(Qt::WidgetShortcut);
    EditCut1->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    EditCopy1->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    EditPaste1->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    ToolBar1->addAction(FileExit1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(EditCut1);
    ToolBar1->addAction(EditCopy1);
    ToolBar1->addAction(EditPaste1);
    ToolBar1->addSeparator();
    FontToolButton = ToolButton(ToolBar1, "FontToolButton", "Font...", "Select blog font...",
                                QStyle::SP_FileDialogDetailedView);
    ToolBar1->addSeparator();
    DelFeedToolButton = ToolButton(ToolBar1, "DelFeedToolButton", "Delete link", "Delete selected link",
                                   QStyle::SP_TrashIcon);
    ToolBar1->addSeparator();
    AddFeedToolButton = ToolButton(ToolBar1, "AddFeedToolButton", "Add link", "Add a new link to a XML RSS feed",
                                   QStyle::SP_FileDialogNewFolder);
    ToolBar1->addSeparator();
    ReceiveToolButton = ToolButton(ToolBar1, "ReceiveToolButton", "Fetch", "Download all XML RSS blogs (F5)",
                                   QStyle::SP_BrowserReload);
    ReceivePopup = new QMenu(this);
    ReceivePopup->setObjectName("ReceivePopup");
    Fetchall1 = Action(ReceivePopup, "Fetchall1", "Fetch all", "Receive all XML RSS feeds", Qt::Key_F5);
    Fetchselected1 = Action(ReceivePopup, "Fetchselected1", "Fetch selected", "Receive selected XML RSS feed",
                            Qt::Key_F6);
    ReceivePopup->addAction(Fetchall1);
    ReceivePopup->addAction(Fetchselected1);
    ReceiveToolButton->setMenu(ReceivePopup);
    ReceiveToolButton->setPopupMode(QToolButton::MenuButtonPopup);
    layout->addWidget(ToolBar1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    tw = new QTreeWidget(Splitter1);
    tw->setObjectName("tw");
    tw->setMinimumWidth(kMinTreeWidth);
    tw->setItemDelegate(new TFeedCaptionDelegate(tw));
    tw->setHeaderHidden(true);
    tw->setColumnCount(1);
    tw->setMouseTracking(true);  // hot tracking
    tw->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    tw->setExpandsOnDoubleClick(false);
    tw->setContextMenuPolicy(Qt::CustomContextMenu);
    tw->installEventFilter(this);
    FeedPopup = new QMenu(this);
    FeedPopup->setObjectName("FeedPopup");
    QAction* fetchAll = Action(FeedPopup, "Fetchall2", "Fetch all", {}, Qt::Key_F5);
    QAction* fetchFeed = Action(FeedPopup, "Fetchfeed1", "Fetch feed", {}, Qt::Key_F6);
    QAction* addFeed = Action(FeedPopup, "Addfeed1", "Add feed", {});
    QAction* deleteFeed = Action(FeedPopup, "Deletefeed1", "Delete feed", {});
    QAction* clearFeed = Action(FeedPopup, "Clearfeedfromcache1", "Clear feed from cache", {});
    FeedPopup->addAction(fetchAll);
    FeedPopup->addAction(fetchFeed);
    FeedPopup->addSeparator();
    FeedPopup->addAction(addFeed);
    FeedPopup->addAction(deleteFeed);
    FeedPopup->addSeparator();
    FeedPopup->addAction(clearFeed);

    memo = new TFeedMemo(Splitter1);
    memo->setObjectName("memo");
    QFont font("MS Sans Serif");
    font.setPixelSize(13);
    memo->setFont(font);
    memo->setTextColor(QColor(0x80, 0x00, 0x80));  // purple
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Text, QColor(0x80, 0x00, 0x80));
    memo->setPalette(palette);
    Splitter1->addWidget(tw);
    Splitter1->addWidget(memo);
    Splitter1->setSizes({kTreeWidth, 758 - kTreeWidth});
    layout->addWidget(Splitter1, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    layout->addWidget(StatusBar);

    MagickImage1 = new TMagickImage(this);
    MagickImage1->setObjectName("MagickImage1");
    MagickImage1->hide();
    FontDialog = new QFontDialog(this);
    FontDialog->setObjectName("FontDialog");

    connect(FileExit1, &QAction::triggered, this, &TRSSForm::FileExit1Execute);
    connect(EditCut1, &QAction::triggered, memo, &QTextEdit::cut);
    connect(EditCopy1, &QAction::triggered, memo, &QTextEdit::copy);
    connect(EditPaste1, &QAction::triggered, memo, &QTextEdit::paste);
    connect(FontToolButton, &QToolButton::clicked, this, &TRSSForm::FontToolButtonClick);
    connect(DelFeedToolButton, &QToolButton::clicked, this, &TRSSForm::DelFeedToolButtonClick);
    connect(AddFeedToolButton, &QToolButton::clicked, this, &TRSSForm::AddFeedToolButtonClick);
    connect(ReceiveToolButton, &QToolButton::clicked, this, &TRSSForm::Fetchall1Click);
    connect(ReceivePopup, &QMenu::aboutToShow, this, &TRSSForm::ReceivePopupPopup);
    connect(Fetchall1, &QAction::triggered, this, &TRSSForm::Fetchall1Click);
    connect(Fetchselected1, &QAction::triggered, this, &TRSSForm::DownloadFeedClick);
    connect(fetchAll, &QAction::triggered, this, &TRSSForm::Fetchall1Click);
    connect(fetchFeed, &QAction::triggered, this, &TRSSForm::DownloadFeedClick);
    connect(addFeed, &QAction::triggered, this, &TRSSForm::AddFeedToolButtonClick);
    connect(deleteFeed, &QAction::triggered, this, &TRSSForm::DelFeedToolButtonClick);
    connect(clearFeed, &QAction::triggered, this, &TRSSForm::Clearfeedfromcache1Click);
    connect(tw, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FeedPopup->popup(tw->viewport()->mapToGlobal(at)); });
    connect(tw, &QTreeWidget::itemSelectionChanged, this, &TRSSForm::twChange);
    connect(tw, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) { twDblClick(node); });
    // The end of the user's own editing only; the program's changes of a
    // node's text do not come this way.
    connect(tw->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { twEdited(tw->currentItem()); });
    connect(memo, &TFeedMemo::LinkClicked, this, &TRSSForm::MemoLinkClick);
    // Hints go to the status bar; a menu is a window of its own, so its
    // items' hints do not travel up to the form.
    for (QMenu* menu : {ReceivePopup, FeedPopup})
        connect(menu, &QMenu::hovered, this, [this](QAction* item) { StatusBar->showMessage(item->statusTip()); });
}
