#include "publishing/WebText.h"

#include <QUrl>

namespace webtext {
namespace {

// Line ends and control characters as blanks: one line, no marker lines.
QString OneLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            c = ' ';
    }
    return out;
}

// Quotes only where they could end a value: double quotes in attribute
// values, both in XML.
QString EscapeMarkup(const QString& text, bool doubleQuote, bool singleQuote)
{
    QString out;
    out.reserve(text.size() + text.size() / 4);
    for (const QChar c : OneLine(text)) {
        switch (c.unicode()) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"':
            out += doubleQuote ? QStringLiteral("&quot;") : QStringLiteral("\"");
            break;
        case '\'':
            out += singleQuote ? QStringLiteral("&#39;") : QStringLiteral("'");
            break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

QString Html(const QString& text) { return EscapeMarkup(text, false, false); }

QString HtmlAttribute(const QString& text) { return EscapeMarkup(text, true, false); }

QString JavaScriptString(const QString& text)
{
    QString out;
    for (const QChar c : OneLine(text)) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '\'' || u == '"' || u == '&' || u == '<' || u == '>')
            out += QString::asprintf("\\u%04X", unsigned(u));
        else
            out += c;
    }
    return out;
}

QString Xml(const QString& text)
{
    // Unpaired surrogates and U+FFFE/U+FFFF are not XML characters either.
    QString clean = OneLine(text);
    for (int i = 0; i < clean.size(); ++i) {
        const QChar c = clean[i];
        if (c.isHighSurrogate() && i + 1 < clean.size() && clean[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || c.unicode() >= 0xFFFE)
            clean[i] = ' ';
    }
    return EscapeMarkup(clean, true, true);
}

QString Url(const QString& address)
{
    // An address the user encoded already keeps its escapes: '%' stays.
    static const QByteArray kept = "-._~:/?#[]@!$&()*+,;=%";
    QString out;
    for (const char byte : OneLine(address).trimmed().toUtf8()) {
        const unsigned char b = static_cast<unsigned char>(byte);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || kept.contains(byte))
            out += QChar(b);
        else
            out += QString::asprintf("%%%02X", unsigned(b));
    }
    return out;
}

QString UrlQueryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(OneLine(value)));
}

}  // namespace webtext
