#include "AptTestHelpers.h"
#include "apt/APT.h"

#include <gtest/gtest.h>
#include <random>

using apttest::CalibratedPass;
using apttest::SceneKelvin;

TEST(APTTelemetry, CalibrationRecoversTheGreyScaleAndTemperatures)
{
    const aptgen::PassSpec spec = CalibratedPass(400);
    TAPT apt;
    apttest::FillLines(apt, spec);
    apt.SpacecraftModel = scNOAA18;
    EXPECT_EQ(apt.SaveImage(2), nullptr) << "the chop mode withholds the image";
    EXPECT_EQ(apt.FramePhase, 37);
    EXPECT_TRUE(apt.CheckTelemetry(false));
    EXPECT_EQ(apt.ChannelA, avhrrCh2);
    EXPECT_EQ(apt.ChannelB, avhrrCh4);
    EXPECT_EQ(apt.GetChannelName(false), "Visible Channel 2");
    EXPECT_EQ(apt.GetChannelName(true), "Thermal Infrared Channel 4");

    apt.Calibrate();
    ASSERT_TRUE(apt.Flags & aptCalibrated);
    ASSERT_FALSE(apt.Flags & aptNoTelemetry);
    ASSERT_TRUE(apt.Flags & aptThermalValid);
    for (int m = 0; m < 9; ++m)
        EXPECT_NEAR(apt.Wedges[m], spec.greyWedges[m], 1.0) << "wedge " << m + 1;
    for (int line : {0, 100, 250, 399}) {
        const auto words = aptgen::LineWords(spec, line);
        for (int c = 86; c < 995; c += 37)
            ASSERT_NEAR(apt.LineStore[line][c], words[c], 1.5) << "line " << line << " word " << c;
        for (int w = 0; w < 909; w += 50) {
            double grey, kelvin;
            apt.GetTemperature(line, 1126 + w, grey, kelvin);
            ASSERT_NEAR(kelvin, SceneKelvin(w), 1.5) << "line " << line << " word " << w;
            EXPECT_NEAR(grey, (273.15 - kelvin + 40) * 2.55, 1e-6);
        }
    }
}

TEST(APTTelemetry, DecodedPassIsIdentifiedCalibratedAndCropped)
{
    aptgen::PassSpec spec = CalibratedPass(420);
    spec.fades = {{0, 8, 0.0}};  // the pass starts with 8 s of dead air
    spec.leadInWords = 1000;
    const QString path = apttest::WritePass(spec, "pass.wav", 8);
    TAPT apt;
    ASSERT_GT(apttest::DecodeFile(apt, path), 400);
    apt.SpacecraftModel = scNOAA18;
    apt.SaveImage(2);
    EXPECT_GE(apt.FramePhase, 0);
    EXPECT_TRUE(apt.CheckTelemetry(false));
    EXPECT_EQ(apt.GetChannelName(false), "Visible Channel 2");
    EXPECT_EQ(apt.GetChannelName(true), "Thermal Infrared Channel 4");
    // The crop starts with the first run of six lines with a bright space B.
    auto spaceB = [&](int line) {
        double sum = 0;
        for (int c = 1079; c <= 1125; ++c)
            sum += apt.LineStore[line][c];
        return sum / 47;
    };
    const int crop = apt.FindCropLine(true);
    EXPECT_GE(crop, 8) << "the dead air is cropped";
    EXPECT_LT(spaceB(crop - 1), 55);
    for (int line = crop; line < crop + 6; ++line)
        EXPECT_GE(spaceB(line), 55) << line;
    EXPECT_EQ(apt.FirstLine, std::max(crop, apt.FramePhase)) << "no partial frame at the top";
    apt.Calibrate();
    ASSERT_TRUE(apt.Flags & aptThermalValid);
    // Through the modem (8-bit samples, the kernel's edges on the wedges) the
    // fit is a little looser than on the words themselves, and a single cold
    // pixel is off by up to 2-3 K (the 8-bit steps are coarse there): the
    // temperatures are compared over blocks of 40 words by 100 lines.
    EXPECT_NEAR(apt.LineStore[200][60], spec.spaceA, 3);
    EXPECT_NEAR(apt.LineStore[200][1100], spec.spaceB, 3);
    for (int w : {100, 400, 800}) {
        double error = 0;
        int count = 0;
        for (int row = 150; row < 250; ++row) {
            for (int word = w - 20; word < w + 20; ++word) {
                double grey, kelvin;
                apt.GetTemperature(row, 1126 + word, grey, kelvin);
                error += kelvin - SceneKelvin(word);
                ++count;
            }
        }
        EXPECT_NEAR(error / count, 0.0, 0.75) << "mean error around word " << w;
    }
}

TEST(APTTelemetry, ShortPassesHaveNoTelemetry)
{
    for (int lines : {191, 192, 195, 203}) {
        const aptgen::PassSpec spec = CalibratedPass(lines);
        TAPT apt;
        apttest::FillLines(apt, spec);
        EXPECT_EQ(apt.FindTelemetryFrame(995, false), -1) << lines;
        EXPECT_FALSE(apt.CheckTelemetry(false)) << lines;
        EXPECT_EQ(apt.ChannelA, -1) << lines;
        EXPECT_EQ(apt.ChannelB, -1) << lines;
        EXPECT_TRUE(apt.Flags & aptNoTelemetry) << lines;
        EXPECT_EQ(apt.GetChannelName(false), "N/A");
    }
}

TEST(APTTelemetry, NoisyTelemetryStillGivesTheFrameAndTheChannels)
{
    // Demodulated noise is low-pass: neighbouring words share much of it, so
    // a line's telemetry mean varies by several grey levels, and the black
    // wedge's four-line sum comes near 0, or below it, beside the step.
    const aptgen::PassSpec spec = CalibratedPass(600);
    for (unsigned seed = 1; seed <= 8; ++seed) {
        TAPT apt;
        apttest::FillLines(apt, spec);
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(0.0, 10.0);
        for (int line = 0; line < spec.lines; ++line) {
            for (int c = 0; c < aptgen::kWords; c += 15) {
                const double shared = noise(random);
                for (int w = c; w < c + 15; ++w)
                    apt.LineStore[line][w] += shared;
            }
        }
        apt.SpacecraftModel = scNOAA18;
        apt.SaveImage(2);
        EXPECT_EQ(apt.FramePhase, 37) << "seed " << seed;
        EXPECT_EQ(apt.GetChannelName(false).toStdString(), "Visible Channel 2") << "seed " << seed;
        EXPECT_EQ(apt.GetChannelName(true).toStdString(), "Thermal Infrared Channel 4") << "seed " << seed;
    }
}

TEST(APTTelemetry, ChannelTwoOnSideBOnlyForNoaa18)
{
    aptgen::PassSpec spec = CalibratedPass(400);
    spec.channelIdB = 1;
    for (int model : {scNOAA15, scNOAA18}) {
        TAPT apt;
        apttest::FillLines(apt, spec);
        apt.SpacecraftModel = model;
        apt.SaveImage(2);
        apt.CheckTelemetry(true);
        EXPECT_EQ(apt.ChannelB, model == scNOAA18 ? avhrrCh2 : avhrrNone) << model;
    }
}

TEST(APTTelemetry, FlatteningKeepsWedgesWithinFiveOfTheReference)
{
    TAPT apt;
    apttest::FillLines(apt, CalibratedPass(300));
    // Frames start at 37 and 165; wedge 5 of the second frame is moved.
    auto setWedge = [&](int first, double v) {
        for (int i = first; i < first + 8; ++i)
            for (int c = 995; c < 1040; ++c)
                apt.LineStore[i][c] = v;
    };
    setWedge(37 + 8 * 4, 140);
    setWedge(165 + 8 * 4, 145);
    setWedge(37 + 8 * 5, 160);
    setWedge(165 + 8 * 5, 165.01);
    apt.FlattenWedges(995, 37);
    EXPECT_EQ(apt.LineStore[165 + 8 * 4][1000], 145) << "exactly 5 away stays";
    EXPECT_EQ(apt.LineStore[165 + 8 * 5][1000], 160) << "5.01 away takes the reference";
}

TEST(APTTelemetry, SingularFitMeansNoTelemetryNotGarbage)
{
    aptgen::PassSpec spec = CalibratedPass(400);
    spec.greyWedges = {100, 100, 100, 100, 100, 100, 100, 100, 100};
    spec.prtWedges = {100, 100, 100, 100};
    spec.patchWedge = spec.backScanA = spec.backScanB = 100;
    TAPT apt;
    apttest::FillLines(apt, spec);
    const double before = apt.LineStore[200][500];
    apt.Calibrate();
    EXPECT_TRUE(apt.Flags & aptNoTelemetry);
    EXPECT_FALSE(apt.Flags & aptThermalValid);
    EXPECT_EQ(apt.LineStore[200][500], before) << "lines left as they were";
    double grey, kelvin;
    apt.GetTemperature(200, 1500, grey, kelvin);
    EXPECT_EQ(grey, 0);
    EXPECT_EQ(kelvin, 273.15);

    double m[16] = {1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 1, 5, 5, 5, 5};
    double b[4] = {1, 2, 3, 4};
    EXPECT_FALSE(TAPT::SolveLinear(m, b, 4)) << "two equal rows";
}

TEST(APTTelemetry, ThermalEdgesGiveNoNaN)
{
    TAPT apt;
    apt.AllocLines(2);
    apt.LineStore[0][1500] = 120;
    apt.LineStore[0][1501] = 0;
    apt.LineStore[0][1502] = 225;
    // NOAA 12 has no channel 5 coefficients.
    apt.SpacecraftModel = scNOAA12;
    apt.ChannelB = avhrrCh5;
    EXPECT_FALSE(apt.SetupThermal());
    double grey = -1, kelvin = -1;
    apt.GetTemperature(0, 1500, grey, kelvin);
    EXPECT_EQ(grey, 0);
    EXPECT_EQ(kelvin, 273.15);

    // Zero counts everywhere on NOAA 18 channel 4: nothing to divide by.
    apt.SpacecraftModel = scNOAA18;
    apt.ChannelB = avhrrCh4;
    ASSERT_TRUE(apt.SetupThermal());
    apt.ThermalCal.SpaceCount = apt.ThermalCal.BlackbodyCount = 0;
    apt.GetTemperature(0, 1500, grey, kelvin);
    EXPECT_EQ(grey, 0);
    EXPECT_EQ(kelvin, 273.15);

    // A real calibration: extremes clamp to -60 and +40 degrees C.
    apt.Wedges[9] = apt.Wedges[10] = apt.Wedges[11] = apt.Wedges[12] = 66;
    apt.Wedges[14] = 105;
    apt.SpaceMean = 235;
    ASSERT_TRUE(apt.SetupThermal());
    apt.GetTemperature(0, 1502, grey, kelvin);
    EXPECT_EQ(kelvin, 213.15);
    EXPECT_EQ(grey, 255);
    apt.GetTemperature(0, 1501, grey, kelvin);
    EXPECT_EQ(kelvin, 313.15);
    EXPECT_EQ(grey, 0);
}
