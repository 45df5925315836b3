#pragma once
// Which colour look-up table serves which view. The tables are images of
// 100 x 256 pixels in the look-up-table folder. The chooser keeps the running
// choice, one row a view; across runs it is kept under "APT\LUTTables",
// whose default value "1" marks a saved choice. Without one the shipped
// default file of each view is used.
#include <QString>
#include <QStringList>

// One row of the choice: the view it serves, its registry value and the
// shipped table (null: none).
struct TLookupTableRow {
    int View;
    const char* ValueName;
    const char* DefaultFile;
};
inline constexpr int kLookupTableRows = 5;
// Rows by tag 0..4: views 3, 4, 5, 7 and 8 ("FC_AB", "FC_24",
// "FC_ExtremeLowTemps", "IR_ExtremeLowTemps", "FC_IR").
const TLookupTableRow& LookupTableRow(int tag);
// The tag of a view's row, -1 for a view without a table.
int LookupTableTag(int view);

// The choice a run starts with, one path a row: the saved record as it
// stands (no existence check), or without one the shipped tables that exist.
QStringList SavedLookupTableChoice(const QString& lutDir);
// Saves the rows' paths; the last row ("FC_IR") is always saved empty.
void SaveLookupTableChoice(const QStringList& paths);

// The saved choice of a view when its file exists, else empty: what the
// views use when no chooser runs.
QString LookupTableFileName(int view, const QString& lutDir);
