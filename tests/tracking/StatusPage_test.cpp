// The status page reader on small pages, one per rule: which rows, cells
// and texts it takes.
#include "support/TestEnv.h"
#include "tracking/StatusPage.h"

#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

struct PageCase {
    const char* file;
    QList<QStringList> rows;  // Spacecraft, APT, HRPT
};

QList<QStringList> Rows(const TStatusGrid& grid)
{
    QList<QStringList> rows;
    for (const TStatusRow& r : grid)
        rows << QStringList{r.Spacecraft, r.APT, r.HRPT};
    return rows;
}

TEST(StatusPage, EachPageGivesItsRows)
{
    const QStringList noaa15 = {"NOAA 15", "137.620", "1702.5"};
    const PageCase cases[] = {
        {"font-one-line.html", {noaa15}},
        {"font-five-lines.html", {noaa15}},
        {"plain-cells.html", {}},  // the second cell's text comes out empty
        {"apt-off.html", {{"NOAA 12", "OFF SINCE 2007", "1698.0"}}},
        {"noaa-18.html", {{"NOAA 18", "137.912", "1707.0"}}},  // NOAA 11 is older than the program's satellites
        {"no-apt-word.html", {}},
        {"on-frequency.html", {noaa15}},  // the first number of the cell, not the one after its fifth character
        {"duplicate.html", {noaa15}},     // the first row of a satellite wins
        {"ten-lines.html", {{"NOAA 17", "137.620", "1698.0"}}},
        {"eleven-lines.html", {}},
        {"closing-tr-own-line.html", {{"NOAA 14", "137.620", "1707.0"}, {"NOAA 15", "137.500", "1702.5"}}},
        {"long-cell.html", {noaa15}},  // cut at 1023 characters, before the "OFF" at its end
        {"split-tr-tag.html", {}},     // "<TR" with neither ">" nor "<" after it: no row starts there
        {"no-table.html", {}},
        {"status.html",
         {{"NOAA 12", "OFF", "1698.0"}, noaa15, {"NOAA 17", "137.500", "1698.0"}, {"NOAA 18", "OFF", "1707.0"},
          {"NOAA 19", "137.100", "1698.0"}}},
    };
    for (const auto& c : cases) {
        TStatusGrid grid{{"stale", "row", "kept?"}};
        bool opened = false;
        const bool taken = TStatusPage::ReadStatusPage(testenv::FixturePath(QString("statuspage/") + c.file), grid, &opened);
        EXPECT_TRUE(opened) << c.file;
        EXPECT_EQ(Rows(grid), c.rows) << c.file;
        EXPECT_EQ(taken, !c.rows.isEmpty()) << c.file;
    }
}

TEST(StatusPage, AMissingFileLeavesTheGridAlone)
{
    TStatusGrid grid{{"NOAA 15", "137.620", "1702.5"}};
    bool opened = true;
    EXPECT_FALSE(TStatusPage::ReadStatusPage("/nonexistent/status.html", grid, &opened));
    EXPECT_FALSE(opened);
    EXPECT_EQ(grid.size(), 1);
}

TEST(StatusPage, TagSearch)
{
    struct Case { const char* text; int start; const char* name; bool closing; int expected; };
    const Case cases[] = {
        {"<TD>X", 0, "TD", false, 4},
        {"A</TD>B", 0, "TD", false, 6},      // a closing tag satisfies an opening search
        {"<THEAD>", 0, "TH", false, 7},      // a longer name that starts with it
        {"<!-- TR -->", 0, "TR", false, 11},  // inside a comment
        {"<TX><TD>", 0, "TD", false, 8},     // a mismatch ends the candidate
        {"<TD", 0, "TD", false, -1},         // neither ">" nor "<" after the name
        {"<TD <B>", 0, "TD", false, -1},     // a "<" ends the candidate, the scan goes on
        {"<TD <TD>", 0, "TD", false, 8},
        {"X</TD>", 0, "TD", true, 1},
        {"<B>X</TD>", 0, "TD", true, 0},     // the "<" that began the run up to the "/"
        {"<TD>X</B></TD>", 0, "TD", true, 9},
        {"<TD>X", 0, "TD", true, -1},        // no "/"
        {"</TR>", 0, "TR", true, 0},
        {"</TD>", 1, "TD", true, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TStatusPage::FindTag(c.text, c.start, c.name, c.closing), c.expected)
            << c.text << " " << c.name << (c.closing ? " closing" : " opening");
}

TEST(StatusPage, CellTextsAndNumbers)
{
    const QByteArray row = "<TD> <B>NOAA&NBSP;15</B> \n</TD>";
    EXPECT_EQ(TStatusPage::ExtractCellText(4, static_cast<int>(row.indexOf("</TD>")), row), "NOAA 15");
    EXPECT_EQ(TStatusPage::ExtractCellText(0, 12, "12: A<B C&D"), "AB CD") << "unterminated: only the < and & go";
    EXPECT_EQ(TStatusPage::ExtractCellText(0, 10, " \t\r\n--  "), "");

    EXPECT_EQ(TStatusPage::ReadSatelliteNumber(5, "NOAA-15"), 15);
    EXPECT_EQ(TStatusPage::ReadSatelliteNumber(5, "NOAA 11"), 0);
    EXPECT_EQ(TStatusPage::ReadSatelliteNumber(5, "NOAA 19 (PM)"), 19);
    EXPECT_EQ(TStatusPage::ReadSatelliteNumber(5, "NOAA 99999999999"), 0) << "ten digits at most, and a bound";
    EXPECT_EQ(TStatusPage::ReadSatelliteNumber(5, "NOAA"), 0);

    EXPECT_EQ(TStatusPage::FormatLinkCell("APT OFF"), "OFF");
    EXPECT_EQ(TStatusPage::FormatLinkCell("APT 137.5 MHZ"), "137.500");
    EXPECT_EQ(TStatusPage::FormatLinkCell("HRPT 1702.5 MHZ"), "1702.5");
    EXPECT_EQ(TStatusPage::FormatLinkCell("S-BAND 2247.5 MHZ"), "");
    EXPECT_EQ(TStatusPage::FormatLinkCell("APT 137.62"), "") << "no MHZ";
    EXPECT_EQ(TStatusPage::ReadFrequency(0, "MHZ"), "0.000");

    const TStatusGrid grid{{"NOAA 15", "137.620", "1702.5"}, {"NOAA 18", "OFF", "1707.0"}};
    EXPECT_EQ(TStatusPage::FindStatusRow(grid, "NOAA 18"), 2);
    EXPECT_EQ(TStatusPage::FindStatusRow(grid, "NOAA-15"), 0);
}

}  // namespace
