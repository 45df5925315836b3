// The vector map packer on hand-written gmt text, read back by the renderer.
#include "maps/JpdPacker.h"
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

std::uint32_t U32(const QByteArray& b, int at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

int S24(const QByteArray& b, int at)
{
    const int v = static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8) |
                  (static_cast<std::uint8_t>(b[at + 2]) << 16);
    return v & 0x800000 ? v - 0x1000000 : v;
}

const char Coasts[] = "> Shore Bin # 1, Level 1\n"
                      "10.0 35.0\n"
                      "10.0833333333 35.0\n"  // 300 arc seconds east: three steps of 100
                      "> a lone point is no line\n"
                      "11 36\n"
                      "> across the date line\n"
                      "179.98 -16.5\n"
                      "179.99 -16.5\n"
                      "-179.99 -16.5\n"
                      "-179.98 -16.5\n";
const char Borders[] = "> Border Bin # 2, Level 1\n"
                       "12\t34\n"
                       "12\t34.01\n";

}  // namespace

TEST(JpdPacker, SectionsStepsAndTheDateLine)
{
    const QByteArray packed = PackJpd({{16, Coasts}, {0, Borders}});
    ASSERT_GE(packed.size(), 576);
    EXPECT_EQ(packed.left(9), QByteArray("!JPD1.0\n", 9));
    // Section 0 holds the border, section 16 the coast and the two halves of
    // the line across the date line.
    EXPECT_EQ(U32(packed, 16 + 4 * 0), 1u);
    EXPECT_EQ(U32(packed, 16 + 4 * 15), 1u);
    EXPECT_EQ(U32(packed, 16 + 4 * 16), 4u) << "section ends count on";
    EXPECT_EQ(U32(packed, 572), 4u) << "the segment count";
    const int pointsStart = 576 + 16 * 4;
    // The border: (12 E, 34 N), one step of 36 arc seconds north.
    EXPECT_EQ(S24(packed, pointsStart), 12 * 3600);
    EXPECT_EQ(S24(packed, pointsStart + 3), 34 * 3600);
    EXPECT_EQ(packed[pointsStart + 6], 0);
    EXPECT_EQ(packed[pointsStart + 7], 36);
    EXPECT_EQ(U32(packed, 576 + 12), static_cast<std::uint32_t>(pointsStart + 8));
    // The coast: 300 arc seconds split into three steps of 100.
    const int coast = pointsStart + 8;
    EXPECT_EQ(S24(packed, coast), 10 * 3600);
    EXPECT_EQ(QByteArray(packed.constData() + coast + 6, 6), QByteArray("\x64\0\x64\0\x64\0", 6));
    EXPECT_EQ(U32(packed, 576 + 16 + 12), static_cast<std::uint32_t>(coast + 12));
    EXPECT_EQ(U32(packed, 576 + 16 * 3 + 12), static_cast<std::uint32_t>(packed.size()));
}

TEST(JpdPacker, TheRendererDrawsWhatWasPacked)
{
    const QString folder = testenv::ProgramDir() + "maps";
    QDir().mkpath(folder);
    const QByteArray packed = PackJpd({{16, "> coast\n10 35\n14 35\n"}});
    gzFile file = gzopen(QFile::encodeName(folder + "/CIA_WDB2.jpd.gz").constData(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(gzwrite(file, packed.constData(), static_cast<unsigned>(packed.size())), packed.size());
    gzclose(file);
    TSwathProp props;
    props.MapDir = folder;
    props.Projection = 8;
    props.MPDelta = props.MPDelta2 = 0;
    TMap map(&props);
    ASSERT_EQ(map.Setup(8, 16, 33, 37, 12, 35), mapOk);
    QPoint p;
    ASSERT_TRUE(map.LatLonToPixel(12, 35, p));
    EXPECT_EQ(map.Bitmap->pixel(p), qRgb(0, 0x80, 0)) << "a coast in its colour";
}
