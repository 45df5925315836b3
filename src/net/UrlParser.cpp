#include "net/UrlParser.h"

#include <QByteArray>
#include <algorithm>

namespace {

// The folder part of a path: up to and including its last "/", "/" when it
// has none.
QString FolderOf(const QString& path)
{
    const int slash = static_cast<int>(path.lastIndexOf(QLatin1Char('/')));
    return slash < 0 ? QStringLiteral("/") : path.left(slash + 1);
}

bool IsSchemeText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.';
        if (!ok)
            return false;
    }
    return true;
}

void SplitAuthority(const QString& authority, QString& User, QString& Pass, QString& Host, QString& Port)
{
    const int at = static_cast<int>(authority.lastIndexOf(QLatin1Char('@')));
    const int colon = static_cast<int>(authority.lastIndexOf(QLatin1Char(':')));
    if (at < 0 && colon < 0) {
        Host = authority;
    } else if (colon > at) {
        Port = authority.mid(colon + 1);
        Host = authority.mid(at + 1, colon - at - 1);
    } else {
        Host = authority.mid(at + 1);
    }
    if (at < 0)
        return;
    const QString userPart = authority.left(at);
    const int sep = static_cast<int>(userPart.indexOf(QLatin1Char(':')));
    if (sep < 0) {
        User = userPart;
    } else {
        User = userPart.left(sep);
        Pass = userPart.mid(sep + 1);
    }
}

}  // namespace

void ParseURL(const QString& URL, QString& Proto, QString& User, QString& Pass, QString& Host, QString& Port,
              QString& Path)
{
    const QString base = Path;
    Proto.clear();
    User.clear();
    Pass.clear();
    Host.clear();
    Port.clear();
    Path.clear();
    if (URL.isEmpty())
        return;

    if (URL.startsWith(QLatin1String("./"))) {
        Path = FolderOf(base) + URL.mid(2);
        return;
    }
    if (URL.startsWith(QLatin1String("../"))) {
        QString folder = FolderOf(base);
        QString rest = URL.mid(3);
        for (;;) {
            folder.chop(1);
            folder = FolderOf(folder);
            if (!rest.startsWith(QLatin1String("../")))
                break;
            rest = rest.mid(3);
        }
        Path = folder + rest;
        return;
    }

    QString examined;
    bool hasScheme = false;
    const int schemeEnd = static_cast<int>(URL.indexOf(QLatin1String("://")));
    if (schemeEnd >= 0) {
        const QString scheme = URL.left(schemeEnd).toLower();
        hasScheme = IsSchemeText(scheme);
        if (hasScheme) {
            Proto = scheme;
            examined = URL.mid(schemeEnd + 3);
        } else {
            Proto = QStringLiteral("http");
        }
    }
    if (!hasScheme) {
        if (URL.startsWith(QLatin1Char('/'))) {
            Proto = QStringLiteral("http");
            if (URL.size() > 1 && URL[1] != QLatin1Char('/')) {
                Path = URL;
                return;
            }
            examined = URL.mid(1);
        } else if (URL.left(5).compare(QLatin1String("http:"), Qt::CaseInsensitive) == 0) {
            Proto = QStringLiteral("http");
            if (URL.size() > 6 && URL[6] != QLatin1Char('/')) {
                Path = URL.mid(5);
                return;
            }
            examined = URL.mid(6);
        } else if (URL.left(7).compare(QLatin1String("mailto:"), Qt::CaseInsensitive) == 0) {
            Proto = QStringLiteral("mailto");
            examined = URL.mid(URL.indexOf(QLatin1Char(':')) + 1);
        } else {
            examined = URL;
        }
    }

    const int slash = static_cast<int>(examined.indexOf(QLatin1Char('/')));
    const int query = static_cast<int>(examined.indexOf(QLatin1Char('?')));
    int pathStart = -1;
    if (slash >= 0 && query >= 0)
        pathStart = std::min(slash, query);
    else
        pathStart = std::max(slash, query);
    if (pathStart >= 0)
        Path = examined.mid(pathStart);
    SplitAuthority(pathStart >= 0 ? examined.left(pathStart) : examined, User, Pass, Host, Port);
}

QString UrlWithoutPassword(const QString& URL)
{
    // The authority is found as ParseURL finds it: after "://" when a scheme
    // comes first, up to the path or the query.
    const int schemeEnd = static_cast<int>(URL.indexOf(QLatin1String("://")));
    const int from = schemeEnd >= 0 && IsSchemeText(URL.left(schemeEnd).toLower()) ? schemeEnd + 3 : 0;
    int end = static_cast<int>(URL.size());
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?')}) {
        const int at = static_cast<int>(URL.indexOf(stop, from));
        if (at >= 0)
            end = std::min(end, at);
    }
    if (end <= from)
        return URL;
    const int at = static_cast<int>(URL.lastIndexOf(QLatin1Char('@'), end - 1));
    if (at < from)
        return URL;
    const int colon = static_cast<int>(URL.indexOf(QLatin1Char(':'), from));
    if (colon < 0 || colon > at)
        return URL;
    return URL.left(colon) + URL.mid(at);
}

int Posn(const QString& Sub, const QString& S, int n)
{
    if (n == -1)
        return static_cast<int>(S.lastIndexOf(Sub)) + 1;
    if (n <= 0)
        return 0;
    int found = 0;
    int failures = 0;
    qsizetype from = 0;
    for (int i = 0; i < n; ++i) {
        const qsizetype at = from <= S.size() ? S.indexOf(Sub, from) : -1;
        if (at < 0) {
            ++failures;
            from = S.size() + 1;
            continue;
        }
        found = static_cast<int>(at) + 1;
        from = at + 1;
    }
    return failures > 0 ? static_cast<int>(S.size()) + failures : found;
}

QString UrlEncode(const QString& S)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const char c : S.toUtf8()) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
            out += c;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return QString::fromLatin1(out);
}

QString UrlDecode(const QString& S)
{
    const QByteArray in = S.toUtf8();
    QByteArray out;
    const int n = static_cast<int>(in.size());
    for (int i = 0; i < n && in[i] != '&'; ++i) {
        const char c = in[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            // Only the characters that are there: "%" or "%4" at the end
            // must not read past it.
            const int available = std::min(2, n - i - 1);
            int k = 0;
            while (k < available && in[i + 1 + k] == ' ')
                ++k;
            if (k < available && IsXDigit(in[i + 1 + k])) {
                out += static_cast<char>(htoin(in.constData() + i + 1, available));
                i += available;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return QString::fromUtf8(out);
}

bool IsDigit(char Ch) { return Ch >= '0' && Ch <= '9'; }

bool IsXDigit(char Ch) { return IsDigit(Ch) || (Ch >= 'a' && Ch <= 'f') || (Ch >= 'A' && Ch <= 'F'); }

int XDigit(char Ch) { return IsDigit(Ch) ? Ch - '0' : (Ch & 15) + 9; }

int htoin(const char* Value, int Len)
{
    int i = 0;
    while (i < Len && Value[i] == ' ')
        ++i;
    unsigned result = 0;  // unsigned: a long run of digits wraps instead of overflowing
    for (; i < Len && IsXDigit(Value[i]); ++i)
        result = result * 16 + static_cast<unsigned>(XDigit(Value[i]));
    return static_cast<int>(result);
}

int htoi2(const char* Value) { return htoin(Value, 2); }

int PortNumber(const QString& Port)
{
    if (Port.isEmpty() || Port.size() > 5)
        return 0;
    int number = 0;
    for (const QChar c : Port) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return 0;
        number = number * 10 + (c.unicode() - '0');
    }
    return number <= 65535 ? number : 0;
}

QString DefaultPort(const QString& Proto)
{
    return Proto == QLatin1String("https") ? QStringLiteral("443") : QStringLiteral("80");
}
