#pragma once
// TOLEImage: puts a picture into the reader's text at the caret. The text
// keeps a copy of its own (a resource of the document), so the caller's
// bitmap may change or go away afterwards.
#include <QImage>

class QTextEdit;

class TOLEImage {
public:
    explicit TOLEImage(QTextEdit* richEdit) : RichEdit(richEdit) {}
    ~TOLEImage() { Clear(true); }

    // False, with nothing inserted, without a text control or a picture.
    bool Insert(const QImage& bitmap);
    // With releaseOle, lets go of the text control.
    void Clear(bool releaseOle);

    QTextEdit* RichEdit;  // not owned; null once released

private:
    int inserted_ = 0;  // names each picture's resource
};
