#include "publishing/ui/RSSMemo.h"

#include "publishing/FeedLinks.h"

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

namespace {

constexpr int kStyleReset = 0x400, kStyleCentre = 1, kStyleBullet = 2;

QTextCharFormat LinkFormat(const QString& href)
{
    QTextCharFormat format;
    format.setAnchor(true);
    format.setAnchorHref(href);
    format.setForeground(QColor(Qt::blue));
    format.setFontUnderline(true);
    return format;
}

// The whole run of text carrying the anchor at position.
QTextCursor AnchorRange(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    const QTextBlock block = document->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(position) && fragment.charFormat().isAnchor()) {
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            break;
        }
    }
    return cursor;
}

}  // namespace

TFeedMemo::TFeedMemo(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TFeedMemo::SetParaStyle(int style)
{
    if (style & kStyleReset) {
        centred_ = false;
        bulleted_ = false;
        list_ = nullptr;
    }
    if (style & kStyleCentre)
        centred_ = true;
    if (style & kStyleBullet)
        bulleted_ = true;
}

void TFeedMemo::AppendLine(const QString& line)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat block;
    block.setAlignment(centred_ ? Qt::AlignHCenter : Qt::AlignLeft);
    if (appended_++ == 0)
        cursor.setBlockFormat(block);
    else
        cursor.insertBlock(block, QTextCharFormat());
    if (bulleted_) {
        if (list_)
            list_->add(cursor.block());
        else
            list_ = cursor.createList(QTextListFormat::ListDisc);
    }
    // Plain text: nothing in a feed line is taken as markup.
    int done = 0;
    for (const TTextSpan& span : FindWebAddresses(line)) {
        cursor.insertText(line.mid(done, span.Start - done), QTextCharFormat());
        const QString address = line.mid(span.Start, span.Length);
        cursor.insertText(address, LinkFormat(address));
        done = span.Start + span.Length;
    }
    cursor.insertText(line.mid(done), QTextCharFormat());
}

void TFeedMemo::ClearLines()
{
    clear();
    list_ = nullptr;
    appended_ = 0;
}

void TFeedMemo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !anchorAt(event->pos()).isEmpty()) {
        // The link's own characters are what is opened, as shown.
        const QTextCursor range = AnchorRange(document(), cursorForPosition(event->pos()).position());
        if (range.hasSelection()) {
            setTextCursor(range);
            emit LinkClicked(range.selectedText());
        }
    }
    QTextEdit::mousePressEvent(event);
}
