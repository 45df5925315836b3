#pragma once
// What every soak run checks once its day is over, pass by pass and for the
// day as a whole, as GoogleTest expectations (the slice) or as a table (the
// whole day prints it either way).
#include "soak/SoakDay.h"

#include <QString>
#include <QStringList>
#include <cstdio>

namespace soak {

struct TDayTable {
    int Expected = 0, Recorded = 0, Decoded = 0, Logged = 0, Uploaded = 0, FaultsSurvived = 0, Faults = 0;
    QStringList Problems;  // one line per thing the day got wrong
};

// Judges the day; a pass with a fault is judged by what that fault allows.
TDayTable JudgeDay(TSoakDay& day);
void PrintTable(const TSoakDay& day, const TDayTable& table, std::FILE* out);

}  // namespace soak
