#include "imaging/LookupTables.h"

#include "shell/RegistryHelpers.h"

#include <QFileInfo>

namespace {

const char kTablesKey[] = "APT\\LUTTables";

struct TableRow {
    int view;
    const char* valueName;
    const char* defaultFile;  // null: no shipped table
};
const TableRow kRows[] = {
    {3, "FC_AB", "test_fcab.jpg"},
    {4, "FC_24", "test_fc24.jpg"},
    {5, "FC_ExtremeLowTemps", "test_fc24cold.jpg"},
    {7, "IR_ExtremeLowTemps", "test_irlow.png"},
    {8, "FC_IR", nullptr},
};

const TableRow* FindRow(int view)
{
    for (const TableRow& row : kRows)
        if (row.view == view)
            return &row;
    return nullptr;
}

}  // namespace

QString LookupTableValueName(int view)
{
    const TableRow* row = FindRow(view);
    return row ? row->valueName : QString();
}

QString DefaultLookupTableName(int view)
{
    const TableRow* row = FindRow(view);
    return row && row->defaultFile ? row->defaultFile : QString();
}

QString LookupTableFileName(int view, const QString& lutDir)
{
    const TableRow* row = FindRow(view);
    if (!row)
        return {};
    const QString marker = ReadRegistryString(kTablesKey, QString());
    QString path;
    if (marker.isEmpty() || marker == "0")
        path = row->defaultFile ? lutDir + "/" + row->defaultFile : QString();
    else
        path = ReadRegistryString(kTablesKey, row->valueName).replace('\\', '/');
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}
