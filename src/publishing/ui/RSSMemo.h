#pragma once
// TFeedMemo: the feed reader's text area. Lines go in as plain text (a tag
// in a feed shows as a tag), web addresses in them become links, and each
// line takes the paragraph style last set: 0x400 left without bullets,
// 1 centred, 2 bulleted; 0x401 and 0x402 first end the previous block's
// style (a new bullet list begins). A left press on a link reports the
// link's text; what may be opened is the reader's decision.
#include <QTextEdit>

class QTextList;

class TFeedMemo : public QTextEdit {
    Q_OBJECT
public:
    explicit TFeedMemo(QWidget* parent = nullptr);

    void SetParaStyle(int style);
    // One line (line breaks inside it make further paragraphs of its style).
    void AppendLine(const QString& line);
    // Empties the text; the next line is the first paragraph.
    void ClearLines();
    int LineCount() const { return appended_; }

signals:
    void LinkClicked(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool centred_ = false;
    bool bulleted_ = false;
    QTextList* list_ = nullptr;  // the bullet list being continued; owned by the document
    int appended_ = 0;
};
