// A near-geostationary orbit's mean inclination drifts through zero; the
// propagator then describes the same orbit with the inclination turned
// positive and the node turned by half a revolution. The position must not
// notice: minute by minute, the distance moved agrees with the velocity.
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QFile>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct State {
    OrbitVector pos, vel;
};

State StateAt(TSat& sat, double minutes)
{
    State s;
    sat.PropagationError = PropOk;
    sat.PropagateSDP4(minutes, sat.PropElements, s.pos, s.vel);
    TSat::ScaleStateToKm(s.pos, s.vel);
    return s;
}

// How far the move from a to b, dt seconds apart, strays from the
// trapezoid rule on their velocities: a few metres for a smooth orbit at
// these heights and a step of a minute, tens of metres where the
// lunar-solar periodics are renewed.
double StrayKm(const State& a, const State& b, double dt)
{
    const double dx = b.pos.x - a.pos.x - 0.5 * (a.vel.x + b.vel.x) * dt;
    const double dy = b.pos.y - a.pos.y - 0.5 * (a.vel.y + b.vel.y) * dt;
    const double dz = b.pos.z - a.pos.z - 0.5 * (a.vel.z + b.vel.z) * dt;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

struct NamedSet {
    std::string name, line1, line2;
};

std::vector<NamedSet> ReadSets(const QString& path)
{
    std::vector<NamedSet> sets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sets;
    std::vector<std::string> lines;
    for (const QByteArray& line : file.readAll().split('\n'))
        lines.push_back(line.trimmed().toStdString());
    for (size_t i = 0; i + 2 < lines.size(); ++i)
        if (lines[i + 1].rfind("1 ", 0) == 0 && lines[i + 2].rfind("2 ", 0) == 0) {
            sets.push_back({lines[i], lines[i + 1], lines[i + 2]});
            i += 2;
        }
    return sets;
}

}  // namespace

TEST(DeepSpaceContinuity, AMeanInclinationPassingZeroMovesNoSatellite)
{
    const char* const files[] = {"tle/weather-2017-05-02.txt", "tle/weather-2021-10-31-no-final-newline.txt",
                                 "tle/noaa-2016-02-17.txt"};
    int crossings = 0;
    for (const char* name : files) {
        const QString path = testenv::SharedDataPath(name);
        if (path.isEmpty())
            SKIP_MISSING(name << " not found");
        for (NamedSet& set : ReadSets(path)) {
            TSat sat;
            ASSERT_TRUE(sat.ParseTLE(set.name.data(), set.line1.c_str(), set.line2.c_str())) << set.name;
            sat.PrepareElements();
            if (!sat.IsFlagSet(SatDeepSpace))
                continue;
            StateAt(sat, 0);
            // The mean inclination changes linearly: it is zero at this minute.
            const double rate = sat.DeepSpaceState.SSI;
            const double zeroAt = rate == 0 ? -1 : -sat.PropElements.XINCL / rate;
            if (!(zeroAt > 0 && zeroAt < 5 * 365.25 * 1440))
                continue;
            ++crossings;
            double worstKm = 0;
            State before = StateAt(sat, std::floor(zeroAt) - 30);
            for (int m = -29; m <= 30; ++m) {
                const State after = StateAt(sat, std::floor(zeroAt) + m);
                ASSERT_EQ(sat.PropagationError, PropOk) << set.name;
                worstKm = std::max(worstKm, StrayKm(before, after, 60));
                before = after;
            }
            std::printf("%s (%s): mean inclination zero %.0f minutes after epoch, worst stray %.4f km\n",
                        set.name.c_str(), name, zeroAt, worstKm);
            // Reusing the lunar-solar periodics for 30 minutes alone strays
            // up to 80 m in any hour of these orbits; the turn done wrong
            // strayed 1.3 to 31 km.
            EXPECT_LT(worstKm, 0.15) << set.name << " jumps where its mean inclination passes zero";
        }
    }
    EXPECT_GE(crossings, 10) << "the files hold sets that pass zero inclination";
}
