#include "apt/LineArena.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr size_t kLineDoubles = 2150;  // the engine's line stride
constexpr int kLines = 400;            // several 2 MB blocks

bool AllZero(const double* line)
{
    for (size_t k = 0; k < kLineDoubles; ++k)
        if (line[k] != 0)
            return false;
    return true;
}

TEST(LineArena, LinesAreZeroedAndNeverOverlap)
{
    apt::LineArena arena(kLineDoubles);
    std::vector<apt::LinePtr> lines;
    for (int i = 0; i < kLines; ++i) {
        lines.push_back(arena.Allocate());
        ASSERT_TRUE(lines.back()) << "line " << i;
        ASSERT_TRUE(AllZero(lines.back().get())) << "line " << i;
        // Every value written, the last one too: a neighbour cut short or
        // placed over it shows below.
        for (size_t k = 0; k < kLineDoubles; ++k)
            lines.back()[k] = i + k * 1e-4;
    }
    for (int i = 0; i < kLines; ++i) {
        ASSERT_EQ(lines[i][0], i) << "line " << i;
        ASSERT_EQ(lines[i][kLineDoubles - 1], i + (kLineDoubles - 1) * 1e-4) << "line " << i;
    }
}

TEST(LineArena, LinesAfterTheLastWasFreedAreZeroedAgain)
{
    apt::LineArena arena(kLineDoubles);
    for (int round = 0; round < 3; ++round) {
        std::vector<apt::LinePtr> lines;
        for (int i = 0; i < kLines; ++i) {
            lines.push_back(arena.Allocate());
            ASSERT_TRUE(AllZero(lines.back().get())) << "round " << round << " line " << i;
            lines.back()[kLineDoubles / 2] = 1;
        }
        // One line freed early, and the rest after it: the blocks go back
        // only with the last line.
        lines[kLines / 2].reset();
        EXPECT_EQ(lines[kLines / 2 + 1][kLineDoubles / 2], 1);
    }
}

}  // namespace
