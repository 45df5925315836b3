#pragma once
// Escaping for every place the web log puts a text: the page's HTML text and
// attributes, the JavaScript strings of its thumbnail links, the feed's XML,
// and addresses. Satellite names come from downloaded element sets and the
// blog title, address and e-mail from the user: none of them may break the
// page, the feed, or the marker lines the next run reads the page back by.
//
// Every function also turns line ends and other control characters into
// blanks, so an escaped text is always one line and never a marker line.
#include <QString>

namespace webtext {

// Text between HTML tags: & < > as character references.
QString Html(const QString& text);

// A double-quoted HTML attribute value: & < > " as character references.
QString HtmlAttribute(const QString& text);

// The inside of a single-quoted JavaScript string that stands in an HTML
// attribute: quotes, backslash and the characters HTML would see (& < >)
// as \uXXXX escapes. The result still goes through HtmlAttribute.
QString JavaScriptString(const QString& text);

// Text and attribute values of the feed (XML 1.0): & < > " ' as entities;
// characters XML 1.0 does not allow become blanks.
QString Xml(const QString& text);

// An address the user gave (the log's public URL): characters that may not
// stand in an address (blanks, quotes, angle brackets, non-ASCII) are
// percent-encoded; the address's own syntax (: / ? # & = %) is kept.
QString Url(const QString& address);

// One value of a query string: everything but unreserved characters
// percent-encoded.
QString UrlQueryValue(const QString& value);

}  // namespace webtext
