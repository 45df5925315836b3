#pragma once
// The satellite operator's status page, read into rows of three texts:
// "NOAA 15", its APT transmitter ("137.620" or "OFF ...") and its HRPT
// transmitter ("1702.5"). A small line scanner, not an HTML parser: a table
// row counts when its text holds "NOAA", "APT" and "HRPT" and its first
// three cells give a satellite number and two transmitter texts. Texts are
// upper-cased (ASCII) before they are looked at.
//
// A row as the page sends it, on one line or spread over several:
//   <TR><TD><FONT SIZE=2>NOAA-15</FONT></TD><TD><FONT>APT 137.620 MHz</FONT></TD>
//       <TD><FONT>HRPT 1702.5 MHz</FONT></TD></TR>
// A cell whose text sits directly in its TD gives no row: the tag search
// takes the previous cell's closing tag for the next opening one.
#include <QByteArray>
#include <QList>
#include <QString>

struct TStatusRow {
    QString Spacecraft;
    QString APT;
    QString HRPT;
};
// The data rows, in page order (the first row of a satellite wins).
using TStatusGrid = QList<TStatusRow>;

struct TStatusPage {
    // Lines longer than this are read as several lines; cell texts are cut to it.
    static constexpr int kMaxLineChars = 1023;
    // A row whose end does not come within this many lines after its start is dropped.
    static constexpr int kMaxRowLines = 10;

    // Reads the file at path into grid (emptied first). False when the file
    // cannot be opened; otherwise true when at least one row was taken.
    static bool ReadStatusPage(const QString& path, TStatusGrid& grid, bool* opened = nullptr);

    // The position after the ">" of an opening tag of name, or the "<" that
    // begins a closing one, from start on; -1 when there is none.
    static int FindTag(const QByteArray& text, int start, const char* name, bool closing);
    // Takes the row into grid when it holds a new satellite and both texts.
    static void ReadStatusRow(const QByteArray& rowText, TStatusGrid& grid);
    // The text of the next TD cell from position; returns where the search
    // for the following cell starts, -1 when there is no non-empty cell.
    static int NextCell(int position, QByteArray& cell, const QByteArray& rowText);
    // The visible text between from and to: markup dropped, entities as one
    // blank, everything before the first letter and trailing white space cut.
    static QByteArray ExtractCellText(int from, int to, const QByteArray& rowText);
    // The first number from start on, when it is 12 or more (NOAA 12 and the
    // ones launched since); else 0.
    static int ReadSatelliteNumber(int start, const QByteArray& text);
    // "OFF..." for a transmitter that is off, the frequency for a cell in
    // MHz, "" otherwise.
    static QByteArray FormatLinkCell(const QByteArray& text);
    // The first decimal number from start on: "%.3f" below 140, "%.1f" below
    // 1800, "" above.
    static QByteArray ReadFrequency(int start, const QByteArray& text);
    // 1-based index of the first row named name exactly; 0 when none.
    static int FindStatusRow(const TStatusGrid& grid, const QString& name);
};
