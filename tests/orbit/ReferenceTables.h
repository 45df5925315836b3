#pragma once
// Reads the small reference tables of tests/data/orbit (made by
// tests/tools/orbit_references.py): rows of numbers, '#' lines are comments,
// "# tle <line>" lines carry the element set the table was made from.
#include "support/TestEnv.h"

#include <QFile>
#include <QStringList>
#include <string>
#include <vector>

struct ReferenceTable {
    std::vector<std::vector<double>> rows;
    std::vector<std::string> tle;  // line 1, line 2
};

inline ReferenceTable LoadReferenceTable(const char* name)
{
    ReferenceTable table;
    QFile file(testenv::FixturePath(QString("orbit/") + name));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return table;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.startsWith("# tle "))
            table.tle.push_back(line.mid(6).toStdString());
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        std::vector<double> row;
        for (const QString& field : line.split(' ', Qt::SkipEmptyParts))
            row.push_back(field.toDouble());
        table.rows.push_back(row);
    }
    return table;
}
