// The orbit-data grid against python3-sgp4's reading of the same element
// sets (tests/tools/orbit_grid_reference.py, output stored beside the test).
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Rows of the grid, by caption.
QString Cell(const QList<QStringList>& rows, const char* caption)
{
    for (const QStringList& row : rows)
        if (row[0] == caption)
            return row[1];
    return "missing";
}

double Number(const QString& cell)
{
    return cell.section(' ', 0, 0).toDouble();
}

}  // namespace

TEST(OrbitGrid, AgreesWithAnIndependentReadingOfTheSets)
{
    const QString path = testenv::SharedDataPath("tle/weather-2021-10-31-no-final-newline.txt");
    if (path.isEmpty())
        SKIP_MISSING("missing the shared weather element file");
    TSatelliteList catalogue;
    LoadTLEFile(path, QString(), QString(), &catalogue, nullptr);
    QFile reference(testenv::FixturePath("orbit/orbit_grid_reference.txt"));
    ASSERT_TRUE(reference.open(QIODevice::ReadOnly));
    int compared = 0;
    for (const QByteArray& line : reference.readAll().split('\n')) {
        const QStringList ref = QString::fromLatin1(line).split('|');
        if (line.startsWith('#') || ref.size() != 11)
            continue;
        TSat* sat = FindSatellite(&catalogue, ref[0]);
        ASSERT_NE(sat, nullptr) << ref[0].toStdString();
        QList<QStringList> rows;
        sat->FillOrbitGrid(rows);
        ASSERT_EQ(rows.size(), OrbitGridRows);
        EXPECT_EQ(rows[0], QStringList({"Description", "Data"}));
        const std::string name = ref[0].toStdString();
        // The elements to their printed digits.
        EXPECT_EQ(Cell(rows, "Inclination"), ref[1] + " deg") << name;
        EXPECT_EQ(Cell(rows, "RAAN"), ref[2] + " deg") << name;
        EXPECT_EQ(Cell(rows, "Eccentricity"), ref[3]) << name;
        EXPECT_EQ(Cell(rows, "Arg of Perigee"), ref[4] + " deg") << name;
        EXPECT_EQ(Cell(rows, "Mean Anomaly"), ref[5] + " deg") << name;
        EXPECT_EQ(Cell(rows, "Mean Motion"), ref[6] + " rev/day") << name;
        // The grid takes the semi-major axis from the mean motion by Kepler's
        // law; the reference un-Kozais it first: they differ by up to 0.1 %.
        const double a = ref[7].toDouble();
        EXPECT_NEAR(Number(Cell(rows, "Semi-Major Axis")), a, a * 1e-3) << name;
        EXPECT_NEAR(Number(Cell(rows, "Apogee Altitude")), ref[8].toDouble(), a * 1e-3) << name;
        EXPECT_NEAR(Number(Cell(rows, "Perigee Altitude")), ref[9].toDouble(), a * 1e-3) << name;
        EXPECT_NEAR(Number(Cell(rows, "Anomalistic Period")), ref[10].toDouble(), 1e-4) << name;
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

TEST(OrbitGrid, ASetWithoutMeanMotionShowsNoDerivedValues)
{
    TSat sat;
    char name[] = "NOAA 15";
    ASSERT_TRUE(sat.ParseTLE(name, "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
                             "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676"));
    sat.MeanMotion = 0;
    QList<QStringList> rows;
    sat.FillOrbitGrid(rows);
    for (const char* caption :
         {"Semi-Major Axis", "Apogee Altitude", "Perigee Altitude", "Anomalistic Period", "Nodal Period"})
        EXPECT_EQ(Cell(rows, caption).toStdString(), "N/A") << caption;
    EXPECT_EQ(Cell(rows, "Inclination").toStdString(), "98.6711 deg");
}

TEST(GroupNames, OnlyNamesTheDatabaseKeepsAreAccepted)
{
    struct Case {
        const char* name;
        QString group;
        bool accepted;
    };
    const Case cases[] = {
        {"a plain name", "Weather", true},
        {"empty: no group", "", true},
        {"Latin-1 accents", QString::fromUtf8("Météo"), true},
        {"begins an entry", "[x", false},
        {"another satellite's entry", "[NOAA 19]", false},
        {"a bracket inside", "Polar [APT]", true},
        {"two lines", "a\nb", false},
        {"254 characters", QString(254, 'g'), true},
        {"255 characters", QString(255, 'g'), false},
        {"beyond Latin-1", QString::fromUtf8("Спутники"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GroupNameProblem(c.group).isEmpty(), c.accepted) << c.name;
}
