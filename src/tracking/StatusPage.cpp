#include "tracking/StatusPage.h"

#include "platform/CNumbers.h"

#include <QFile>
#include <cstring>

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

QByteArray UpperAscii(QByteArray text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

bool TStatusPage::ReadStatusPage(const QString& path, TStatusGrid& grid, bool* opened)
{
    QFile file(path);
    const bool open = file.open(QIODevice::ReadOnly);
    if (opened)
        *opened = open;
    if (!open)
        return false;
    grid.clear();
    bool inRow = false;
    int rowLines = 0;
    QByteArray rowText;
    while (!file.atEnd()) {
        // A line as a 1024-byte buffer takes it: at most 1023 characters,
        // its line feed kept.
        const QByteArray line = UpperAscii(file.readLine(kMaxLineChars + 1));
        if (!inRow) {
            if (FindTag(line, 0, "TR", false) < 0)
                continue;
            rowText = line;
            rowLines = 0;
            if (FindTag(line, 0, "TR", true) >= 0)
                ReadStatusRow(rowText, grid);
            else
                inRow = true;
            continue;
        }
        if (++rowLines > kMaxRowLines) {
            inRow = false;
            continue;
        }
        rowText += line;
        // A closing TR at the line's first character ends the row too: a
        // "</TR>" line of its own is ordinary HTML.
        if (FindTag(line, 0, "TR", true) >= 0) {
            ReadStatusRow(rowText, grid);
            inRow = false;
        }
    }
    return !grid.isEmpty();
}

int TStatusPage::FindTag(const QByteArray& text, int start, const char* name, bool closing)
{
    const int n = static_cast<int>(text.size());
    const int nameLen = static_cast<int>(std::strlen(name));
    int i = std::max(start, 0);
    while (i < n) {
        if (text[i] != '<') {
            ++i;
            continue;
        }
        const int candidate = i++;
        if (closing) {
            // Everything up to the first "/" is passed over, other "<" included.
            while (i < n && text[i] != '/')
                ++i;
            if (i >= n)
                return -1;
            ++i;
        }
        int matched = 0;
        bool mismatch = false;
        while (i < n && matched < nameLen) {
            const char c = text[i];
            if (!IsLetter(c)) {
                ++i;
                continue;
            }
            if (c != name[matched]) {
                mismatch = true;
                ++i;  // the next candidate is looked for after this letter
                break;
            }
            ++matched;
            ++i;
        }
        if (mismatch)
            continue;
        if (matched < nameLen)
            return -1;  // the text ended inside the name
        if (closing)
            return candidate;
        // Opening: the tag ends at the next ">"; a "<" before it ends the
        // candidate, and neither of them means there is no tag.
        int j = i;
        while (j < n && text[j] != '>' && text[j] != '<')
            ++j;
        if (j >= n)
            return -1;
        if (text[j] == '>')
            return j + 1;
        // i stays after the last matched letter: the scan goes on from there.
    }
    return -1;
}

void TStatusPage::ReadStatusRow(const QByteArray& rowText, TStatusGrid& grid)
{
    if (!rowText.contains("NOAA") || !rowText.contains("APT") || !rowText.contains("HRPT"))
        return;
    QByteArray cell;
    int position = NextCell(0, cell, rowText);
    if (position < 0)
        return;
    const int number = ReadSatelliteNumber(5, cell);
    if (number == 0)
        return;
    const QString name = QStringLiteral("NOAA %1").arg(number);
    if (FindStatusRow(grid, name) > 0)
        return;
    position = NextCell(position, cell, rowText);
    if (position < 0)
        return;
    const QByteArray apt = FormatLinkCell(cell);
    if (apt.isEmpty())
        return;
    position = NextCell(position, cell, rowText);
    if (position < 0)
        return;
    const QByteArray hrpt = FormatLinkCell(cell);
    if (hrpt.isEmpty())
        return;
    grid.append({name, QString::fromLatin1(apt), QString::fromLatin1(hrpt)});
}

int TStatusPage::NextCell(int position, QByteArray& cell, const QByteArray& rowText)
{
    cell.clear();
    const int a = FindTag(rowText, position, "TD", false);
    if (a < 0)
        return -1;
    const int b = FindTag(rowText, a, "TD", true);
    if (b < 0)
        return -1;
    cell = ExtractCellText(a, b, rowText);
    return cell.isEmpty() ? -1 : b;
}

QByteArray TStatusPage::ExtractCellText(int from, int to, const QByteArray& rowText)
{
    QByteArray out;
    const int end = std::min<int>(to, static_cast<int>(rowText.size()));
    for (int i = std::max(from, 0); i < end && out.size() < kMaxLineChars;) {
        const char c = rowText[i];
        if (c == '<' || c == '&') {
            const int close = static_cast<int>(rowText.indexOf(c == '<' ? '>' : ';', i + 1));
            if (close >= 0 && close < end) {
                if (c == '&')
                    out += ' ';
                i = close + 1;
            } else {
                ++i;  // only the "<" or "&" itself is dropped
            }
            continue;
        }
        out += c == '\n' ? ' ' : c;
        ++i;
    }
    int first = 0;
    while (first < out.size() && !IsLetter(out[first]))
        ++first;
    out = out.mid(first);
    while (!out.isEmpty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r' || out.back() == '\n'))
        out.chop(1);
    return out;
}

int TStatusPage::ReadSatelliteNumber(int start, const QByteArray& text)
{
    int i = std::max(start, 0);
    const int n = static_cast<int>(text.size());
    while (i < n && !IsDigitChar(text[i]))
        ++i;
    qint64 value = 0;
    for (int digits = 0; i < n && IsDigitChar(text[i]) && digits < 10; ++i, ++digits)
        value = value * 10 + (text[i] - '0');
    return value >= 12 && value <= 999 ? static_cast<int>(value) : 0;
}

QByteArray TStatusPage::FormatLinkCell(const QByteArray& text)
{
    const int off = static_cast<int>(text.indexOf("OFF"));
    if (off >= 0)
        return text.mid(off);
    if (text.contains("MHZ"))
        return ReadFrequency(0, text);  // the cell's first number: "ON 137.620 MHZ" is 137.620
    return {};
}

QByteArray TStatusPage::ReadFrequency(int start, const QByteArray& text)
{
    int i = std::max(start, 0);
    const int n = static_cast<int>(text.size());
    while (i < n && !IsDigitChar(text[i]))
        ++i;
    QByteArray number;
    for (; i < n && number.size() < 20 && (IsDigitChar(text[i]) || text[i] == '.'); ++i)
        number += text[i];
    const double mhz = cnum::ParseFloat(std::string_view(number.constData(), static_cast<size_t>(number.size())));
    if (mhz < 140)
        return QByteArray::fromStdString(cnum::Format("%.3f", mhz));
    if (mhz < 1800)
        return QByteArray::fromStdString(cnum::Format("%.1f", mhz));
    return {};
}

int TStatusPage::FindStatusRow(const TStatusGrid& grid, const QString& name)
{
    for (int i = 0; i < grid.size(); ++i)
        if (grid[i].Spacecraft == name)
            return i + 1;
    return 0;
}
