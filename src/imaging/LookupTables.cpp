#include "imaging/LookupTables.h"

#include "shell/RegistryHelpers.h"

#include <QFileInfo>

namespace {

const char kTablesKey[] = "APT\\LUTTables";

const TLookupTableRow kRows[kLookupTableRows] = {
    {3, "FC_AB", "test_fcab.jpg"},
    {4, "FC_24", "test_fc24.jpg"},
    {5, "FC_ExtremeLowTemps", "test_fc24cold.jpg"},
    {7, "IR_ExtremeLowTemps", "test_irlow.png"},
    {8, "FC_IR", nullptr},
};

}  // namespace

const TLookupTableRow& LookupTableRow(int tag)
{
    return kRows[tag];
}

int LookupTableTag(int view)
{
    for (int tag = 0; tag < kLookupTableRows; ++tag)
        if (kRows[tag].View == view)
            return tag;
    return -1;
}

QStringList SavedLookupTableChoice(const QString& lutDir)
{
    QStringList paths;
    const QString marker = ReadRegistryString(kTablesKey, QString());
    const bool saved = !marker.isEmpty() && marker != "0";
    for (const TLookupTableRow& row : kRows) {
        QString path;
        if (saved) {
            path = ReadRegistryString(kTablesKey, row.ValueName).replace('\\', '/');
        } else if (row.DefaultFile) {
            const QString shipped = lutDir + "/" + row.DefaultFile;
            if (QFileInfo(shipped).isFile())
                path = shipped;
        }
        paths << path;
    }
    return paths;
}

void SaveLookupTableChoice(const QStringList& paths)
{
    WriteRegistryString(kTablesKey, QString(), "1");
    for (int tag = 0; tag < kLookupTableRows; ++tag) {
        const bool keep = tag < kLookupTableRows - 1 && tag < paths.size();
        WriteRegistryString(kTablesKey, kRows[tag].ValueName, keep ? paths[tag] : QString());
    }
}

QString LookupTableFileName(int view, const QString& lutDir)
{
    const int tag = LookupTableTag(view);
    if (tag < 0)
        return {};
    const QString path = SavedLookupTableChoice(lutDir).value(tag);
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}
