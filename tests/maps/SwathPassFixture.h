#pragma once
// Two NOAA 18 passes with skyfield's sub-satellite points
// (tests/data/maps/swath_passes.txt, made by tests/tools/swath_references.py):
// over Tromso (69.65 N), whose track turns round near 81 N, and over Fiji
// (17.7 S 178.0 E), whose track crosses 180 degrees.
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "orbit/Station.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QString>
#include <QTextStream>
#include <gtest/gtest.h>
#include <vector>

namespace swathpasses {

struct SubPoint {
    double dayNumber, lat, lonEast;
};

struct Pass {
    QString name;
    double lat = 0, lonEast = 0, searchStart = 0, rise = 0, set = 0;
    std::vector<SubPoint> points;
};

inline std::vector<Pass> ReadPasses()
{
    std::vector<Pass> passes;
    QFile file(testenv::FixturePath("maps/swath_passes.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    QTextStream in(&file);
    while (!in.atEnd()) {
        QString line = in.readLine();
        if (line.startsWith('#') || line.trimmed().isEmpty())
            continue;
        QTextStream fields(&line, QIODevice::ReadOnly);
        if (line.startsWith("pass ")) {
            QString word;
            Pass pass;
            fields >> word >> pass.name >> pass.lat >> pass.lonEast >> pass.searchStart >> pass.rise >> pass.set;
            passes.push_back(pass);
        } else if (!passes.empty()) {
            SubPoint p{};
            fields >> p.dayNumber >> p.lat >> p.lonEast;
            passes.back().points.push_back(p);
        }
    }
    EXPECT_EQ(passes.size(), 2u);
    return passes;
}

// NOAA 18's element set of 31 October 2021.
inline void ParseNoaa18(TSat& sat)
{
    char name[32] = "NOAA 18";
    ASSERT_TRUE(sat.ParseTLE(name, "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
                             "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"));
}

// The station and the satellite on the pass, its recording window from AOS
// to LOS as the program predicts them.
inline void PredictPass(const Pass& pass, TStation& station, TSat& sat)
{
    station = {pass.name, -pass.lonEast, pass.lat, 0};
    ASSERT_NO_FATAL_FAILURE(ParseNoaa18(sat));
    ASSERT_TRUE(sat.PredictPass(&station, pass.searchStart, 0));
    ASSERT_NEAR(sat.AOS, pass.rise, 30.0 / 86400) << pass.name.toStdString() << ": the same pass as skyfield's";
    sat.WindowStart = sat.AOS;
    sat.WindowStop = sat.LOS;
}

// A NOAA 18 pass over a station in Berlin on the morning of 31 October
// 2021, its recording window from AOS to LOS.
inline void PredictBerlinPass(TStation& station, TSat& sat)
{
    station = {"Berlin", -13.4, 52.5, 40};
    ASSERT_NO_FATAL_FAILURE(ParseNoaa18(sat));
    ASSERT_TRUE(sat.PredictPass(&station, DateTimeToDayNumber(EncodeDateTime(2021, 10, 31, 8)), 0));
    sat.WindowStart = sat.AOS;
    sat.WindowStop = sat.LOS;
}

}  // namespace swathpasses
