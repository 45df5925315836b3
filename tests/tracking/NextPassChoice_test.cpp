// The next-pass choice on real element sets: the earliest pass in progress
// or to come, the overlap rule with and without its warning, and the cases
// without a pass. Each result is checked against passes listed the slow way.
#include "shell/Setting.h"
#include "tracking/NextPassChoice.h"
#include "tracking/TrackingFixtures.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

constexpr double kSecond = 1 / 86400.0;
const TDateTime kStart = EncodeDateTime(2021, 11, 1, 0, 0, 0);

struct ChoiceBench : ::testing::Test {
    void SetUp() override
    {
        if (!LoadWeatherCatalogue(catalogue))
            SKIP_MISSING("missing " << kElementFile);
        settings.LogModes = 0;
        settings.PassModes = 0;
    }
    std::vector<TPassTimes> AllPasses(double from, double days)
    {
        std::vector<TPassTimes> all;
        for (const TAptSat& apt : kAptSats) {
            const auto passes = ListPasses(*FindSatellite(&catalogue, apt.Name), &station, from, days);
            all.insert(all.end(), passes.begin(), passes.end());
        }
        std::sort(all.begin(), all.end(), [](const TPassTimes& a, const TPassTimes& b) { return a.AOS < b.AOS; });
        return all;
    }
    static TDateTime AsDateTime(double day) { return TSat::DayNumberToDateTime(day); }

    TSatelliteList catalogue;
    TStation station = Berlin();
    TSetting settings;
};

}  // namespace

TEST_F(ChoiceBench, TheEarliestPassInProgressOrToComeIsChosen)
{
    const double now = DateTimeToDayNumber(kStart);
    const std::vector<TPassTimes> passes = AllPasses(now, 1);
    ASSERT_GE(passes.size(), 3u);
    TSat* noaa19 = FindSatellite(&catalogue, "NOAA 19");
    const double catalogueAOS = noaa19->AOS;

    TNextPassChoice choice = ChooseNextPass(catalogue, &station, settings, kStart);
    EXPECT_EQ(choice.AptSatellites, 3);
    ASSERT_TRUE(choice.Pass);
    const TPassTimes& first = passes.front();
    EXPECT_EQ(QString(choice.Pass->Name), first.Name);
    EXPECT_NEAR(choice.Pass->AOS, first.AOS, kSecond);
    EXPECT_NEAR(choice.Pass->WindowStart, first.AOS, kSecond) << "automatic recording off: AOS to LOS";
    EXPECT_NEAR(choice.Pass->WindowStop, first.LOS, kSecond);
    EXPECT_EQ(choice.Pass->Scheduled, 0);
    EXPECT_EQ(choice.Pass->Time, 0);
    EXPECT_EQ(choice.Pass->Downlink, QString(first.Name == "NOAA 15" ? "137.62" : first.Name == "NOAA 18" ? "137.9125" : "137.1"));
    EXPECT_TRUE(choice.OverlapNames.isEmpty());
    EXPECT_EQ(noaa19->AOS, catalogueAOS) << "the catalogue is not touched";

    // Two minutes into that pass it is still the one, ahead of later ones.
    choice = ChooseNextPass(catalogue, &station, settings, AsDateTime(first.AOS + 120 * kSecond));
    ASSERT_TRUE(choice.Pass);
    EXPECT_EQ(QString(choice.Pass->Name), first.Name);
    EXPECT_NEAR(choice.Pass->AOS, first.AOS, kSecond);

    // A minute after its LOS the next one follows.
    choice = ChooseNextPass(catalogue, &station, settings, AsDateTime(first.LOS + 60 * kSecond));
    ASSERT_TRUE(choice.Pass);
    const auto next = std::find_if(passes.begin(), passes.end(),
                                   [&](const TPassTimes& p) { return p.LOS > first.LOS + 60 * kSecond; });
    ASSERT_NE(next, passes.end());
    EXPECT_EQ(QString(choice.Pass->Name), next->Name);
    EXPECT_NEAR(choice.Pass->AOS, next->AOS, kSecond);
}

TEST_F(ChoiceBench, OfOverlappingPassesTheHighestWinsWithAutomaticRecording)
{
    // The first two passes of different satellites where the later one
    // begins inside the earlier one, with nothing in progress a minute
    // before the earlier one begins.
    const double from = DateTimeToDayNumber(kStart);
    const std::vector<TPassTimes> passes = AllPasses(from, 4);
    const TPassTimes* a = nullptr;
    const TPassTimes* b = nullptr;
    for (std::size_t i = 1; i < passes.size() && !a; ++i) {
        if (passes[i - 1].LOS >= passes[i].AOS - 60 * kSecond)
            continue;  // something still up before it
        for (std::size_t j = i + 1; j < passes.size() && passes[j].AOS < passes[i].LOS; ++j)
            if (passes[j].Name != passes[i].Name && passes[j].LOS > passes[i].LOS) {
                a = &passes[i];
                b = &passes[j];
                break;
            }
    }
    ASSERT_TRUE(a && b) << "four days of three NOAA passes hold an overlap";
    const bool bWins = b->MaxElevation > a->MaxElevation;
    const TDateTime now = AsDateTime(a->AOS - 60 * kSecond);

    settings.LogModes = 1;      // automatic recording
    settings.PassModes = 0x10;  // thresholds off, overlap warning on
    TNextPassChoice choice = ChooseNextPass(catalogue, &station, settings, now);
    ASSERT_TRUE(choice.Pass);
    const TPassTimes& winner = bWins ? *b : *a;
    EXPECT_EQ(QString(choice.Pass->Name), winner.Name) << a->MaxElevation << " vs " << b->MaxElevation;
    EXPECT_NEAR(choice.Pass->AOS, winner.AOS, kSecond);
    EXPECT_EQ(choice.Pass->Scheduled, 1);
    EXPECT_FALSE(choice.OverlapNames.contains(winner.Name)) << "the chosen satellite is left out";
    if (!bWins) {
        EXPECT_TRUE(choice.OverlapNames.contains(b->Name));
    }

    settings.PassModes = 0;  // the warning off: the same winner, no names
    choice = ChooseNextPass(catalogue, &station, settings, now);
    ASSERT_TRUE(choice.Pass);
    EXPECT_EQ(QString(choice.Pass->Name), winner.Name);
    EXPECT_TRUE(choice.OverlapNames.isEmpty());

    settings.LogModes = 0;  // without automatic recording the earliest stays
    choice = ChooseNextPass(catalogue, &station, settings, now);
    ASSERT_TRUE(choice.Pass);
    EXPECT_EQ(QString(choice.Pass->Name), a->Name);
    EXPECT_TRUE(choice.OverlapNames.isEmpty());
}

TEST_F(ChoiceBench, NoActiveSatelliteOrNoPassGivesNone)
{
    for (const TAptSat& apt : kAptSats)
        FindSatellite(&catalogue, apt.Name)->APTSatellite = 0;
    TNextPassChoice choice = ChooseNextPass(catalogue, &station, settings, kStart);
    EXPECT_EQ(choice.AptSatellites, 0);
    EXPECT_FALSE(choice.Pass);

    // A geostationary satellite never passes: nothing within five days.
    TSat* geo = FindSatellite(&catalogue, "GOES 16");
    ASSERT_NE(geo, nullptr);
    geo->APTSatellite = 1;
    choice = ChooseNextPass(catalogue, &station, settings, kStart);
    EXPECT_EQ(choice.AptSatellites, 1);
    EXPECT_FALSE(choice.Pass);
}
