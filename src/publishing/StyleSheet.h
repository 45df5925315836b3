#pragma once
// The fixed texts of the daily page: its built-in style sheet (written into
// the page, or by the user's request into "index.css" beside it) and the
// pop-up script that shows a full-size image.
#include <QByteArray>
#include <QIODevice>

// The style sheet: "<!--", a comment block, the rules, "// -->". Every line
// ends with a line feed.
QByteArray DefaultStyleSheetText();

// Writes the style sheet into an open file; false when the write fails.
bool WriteDefaultStyleSheet(QIODevice& file);

// The body of the page's script element: the global apopup, popUp(url,
// title) and close_apopup(). Never holds "</", which would end the script
// element for an HTML parser.
QByteArray PopupScriptText();
