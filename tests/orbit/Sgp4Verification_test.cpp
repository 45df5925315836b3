// The propagator against the standard verification element sets and their
// published positions and velocities (TEME, km and km/s, at the listed
// minutes since epoch).
//
// The published values come from the later revised model, not from the
// report's formulation this propagator follows. Measured worst position
// differences over all listed times:
// - near-earth sets: 16 m at most (asserted: 20 m), except three objects in
//   their last days of decay (perigee 79, 127 and 279 km with extreme drag),
//   where the drag terms amplify the revised model's slightly different
//   constants and semi-major-axis recovery: 0.28, 7.8 and 0.31 km.
// - deep-space sets: 1 to 25 m for most, a few km for the low-inclination
//   (Lyddane) and geosynchronous sets, because the revised model changed the
//   deep-space terms (perturbed inclination in the short-period terms, the
//   low-inclination branch, the resonance integrator stepping from epoch);
//   220 km for the near-parabolic WIND orbit and 28000 km for 20413 at 3.5
//   years from its epoch, where those differences have grown for 1.8 million
//   minutes.
// Every set is held to its own measured worst with a margin (below), so a
// wrong coefficient or sign anywhere fails at once.
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

struct Sample {
    double minutes;
    double r[3], v[3];
};

struct VerificationSet {
    std::string line1, line2;  // as in the file (line 2 cut to 69 columns)
    std::string catalog;
    std::vector<Sample> samples;
};

int Checksum(const std::string& line)
{
    int sum = 0;
    for (int i = 0; i < 68; ++i)
        sum += std::isdigit(static_cast<unsigned char>(line[i])) ? line[i] - '0' : (line[i] == '-');
    return sum % 10;
}

// The file holds hand-edited sets whose checksums were not updated and a 1980
// set without an ephemeris type; the parser rightly rejects those, so the
// propagator test mends these two columns and nothing else.
std::string Mend(std::string line)
{
    if (line[0] == '1' && line[62] == ' ')
        line[62] = '0';
    line[68] = static_cast<char>('0' + Checksum(line));
    return line;
}

std::vector<VerificationSet> LoadSets(const QString& tlePath, const QString& outPath)
{
    std::vector<VerificationSet> sets;
    QFile tle(tlePath);
    if (!tle.open(QIODevice::ReadOnly | QIODevice::Text))
        return sets;
    std::string line1;
    while (!tle.atEnd()) {
        std::string line = tle.readLine().trimmed().toStdString();
        if (line.rfind("1 ", 0) == 0)
            line1 = line.substr(0, 69);
        else if (line.rfind("2 ", 0) == 0)
            sets.push_back({line1, line.substr(0, 69), line.substr(2, 5), {}});
    }
    QFile out(outPath);
    if (!out.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    size_t index = 0;
    VerificationSet* current = nullptr;
    while (!out.atEnd()) {
        const QString text = QString::fromLatin1(out.readLine()).trimmed();
        const QStringList f = text.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 2 && f[1] == "xx") {
            current = index < sets.size() ? &sets[index++] : nullptr;
            if (current) {
                EXPECT_EQ(std::stoi(current->catalog), f[0].toInt()) << "sets out of step";
            }
        } else if (current && f.size() >= 7) {
            Sample s{f[0].toDouble(), {f[1].toDouble(), f[2].toDouble(), f[3].toDouble()},
                     {f[4].toDouble(), f[5].toDouble(), f[6].toDouble()}};
            current->samples.push_back(s);
        }
    }
    return sets;
}

bool Propagate(TSat& sat, double minutes, double r[3], double v[3])
{
    OrbitVector pos, vel;
    sat.PropagationError = PropOk;
    if (sat.IsFlagSet(SatDeepSpace))
        sat.PropagateSDP4(minutes, sat.PropElements, pos, vel);
    else
        sat.PropagateSGP4(minutes, sat.PropElements, pos, vel);
    if (sat.PropagationError != PropOk)
        return false;
    TSat::ScaleStateToKm(pos, vel);
    r[0] = pos.x, r[1] = pos.y, r[2] = pos.z;
    v[0] = vel.x, v[1] = vel.y, v[2] = vel.z;
    return std::isfinite(pos.w) && std::isfinite(vel.w);
}

double Distance(const double a[3], const double b[3])
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

// Worst position difference allowed per set, km.
const std::map<std::string, double> BoundKm = {
    {"00005", 0.02},  {"04632", 10.0},  {"06251", 0.02},  {"08195", 0.02},  {"09880", 0.02},
    {"09998", 11.0},  {"11801", 0.035}, {"14128", 2.5},   {"16925", 0.02},  {"20413", 35000},
    {"21897", 0.035}, {"22312", 0.4},   {"22674", 0.035}, {"23177", 8.0},   {"23333", 300.0},
    {"23599", 0.03},  {"24208", 1.3},   {"25954", 35.0},  {"26900", 3.0},   {"26975", 0.03},
    {"28057", 0.02},  {"28129", 0.02},  {"28350", 10.0},  {"28623", 0.02},  {"28626", 1.5},
    {"28872", 0.02},  {"29141", 0.4},   {"29238", 0.02},  {"88888", 0.02},  {"33333", 4500},
    {"33335", 1.5},
};

}  // namespace

TEST(Sgp4Verification, EverySetAtEveryListedTime)
{
    const QString tlePath = testenv::SharedDataPath("sgp4/SGP4-VER.TLE");
    const QString outPath = testenv::SharedDataPath("sgp4/tcppver.out");
    if (tlePath.isEmpty() || outPath.isEmpty())
        SKIP_MISSING("sgp4/SGP4-VER.TLE or sgp4/tcppver.out not found");
    const std::vector<VerificationSet> sets = LoadSets(tlePath, outPath);
    ASSERT_EQ(sets.size(), 33u);

    double worstNearKm = 0, worstDeepKm = 0;
    int nearSets = 0, deepSets = 0;
    for (const VerificationSet& set : sets) {
        TSat sat;
        char name[2] = "";
        const std::string l1 = Mend(set.line1), l2 = Mend(set.line2);
        ASSERT_TRUE(sat.ParseTLE(name, l1.c_str(), l2.c_str())) << set.catalog;
        sat.PrepareElements();
        const bool deep = sat.IsFlagSet(SatDeepSpace);

        if (set.catalog == "33334") {
            // Its "expected" line repeats another set's values: the right
            // answer is an error, not numbers.
            double r[3], v[3];
            EXPECT_FALSE(Propagate(sat, 0, r, v)) << "33334 must fail";
            EXPECT_NE(sat.PropagationError, PropOk);
            continue;
        }
        double worstKm = 0, worstKmPerS = 0;
        for (const Sample& s : set.samples) {
            double r[3], v[3];
            ASSERT_TRUE(Propagate(sat, s.minutes, r, v)) << set.catalog << " at " << s.minutes;
            worstKm = std::max(worstKm, Distance(r, s.r));
            worstKmPerS = std::max(worstKmPerS, Distance(v, s.v));
        }
        ASSERT_TRUE(BoundKm.count(set.catalog)) << set.catalog;
        EXPECT_LE(worstKm, BoundKm.at(set.catalog)) << set.catalog;
        std::printf("%s %s %3zu samples: worst position %.6f km, velocity %.9f km/s\n",
                    set.catalog.c_str(), deep ? "SDP4" : "SGP4", set.samples.size(), worstKm,
                    worstKmPerS);
        (deep ? worstDeepKm : worstNearKm) = std::max(deep ? worstDeepKm : worstNearKm, worstKm);
        ++(deep ? deepSets : nearSets);
    }
    std::printf("near-earth: %d sets, worst %.6f km; deep-space: %d sets, worst %.3f km\n",
                nearSets, worstNearKm, deepSets, worstDeepKm);
    EXPECT_EQ(nearSets, 9);
    EXPECT_EQ(deepSets, 23) << "every set but the one meant to fail is compared (20413 twice)";
}

TEST(Sgp4Verification, HandEditedSetsAreRejectedAsTheyStand)
{
    const QString tlePath = testenv::SharedDataPath("sgp4/SGP4-VER.TLE");
    const QString outPath = testenv::SharedDataPath("sgp4/tcppver.out");
    if (tlePath.isEmpty() || outPath.isEmpty())
        SKIP_MISSING("sgp4/SGP4-VER.TLE or sgp4/tcppver.out not found");
    int rejected = 0;
    for (const VerificationSet& set : LoadSets(tlePath, outPath)) {
        TSat sat;
        char name[2] = "";
        const bool taken = sat.ParseTLE(name, set.line1.c_str(), set.line2.c_str());
        EXPECT_EQ(taken, Mend(set.line1) == set.line1 && Mend(set.line2) == set.line2)
            << set.catalog;
        rejected += !taken;
    }
    EXPECT_EQ(rejected, 4) << "11801 (no ephemeris type) and 33333-33335 (stale checksums)";
}
