#pragma once
// Which colour look-up table serves which view. The tables are images of
// 100 x 256 pixels in the look-up-table folder; the user's choice per view
// is kept under "APT\LUTTables" (its default value "1" marks a saved
// choice), otherwise the shipped default file of the view is used.
#include <QString>

// The registry value of a view's table: "FC_AB" (view 3), "FC_24" (4),
// "FC_ExtremeLowTemps" (5), "IR_ExtremeLowTemps" (7), "FC_IR" (8); empty
// for every other view.
QString LookupTableValueName(int view);

// The shipped table of a view ("test_fcab.jpg", "test_fc24.jpg",
// "test_fc24cold.jpg", "test_irlow.png"); empty when the view has none.
QString DefaultLookupTableName(int view);

// The table file of a view, or empty when the view has none or its file
// does not exist.
QString LookupTableFileName(int view, const QString& lutDir);
