#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(ProgramFolder, ShippedFilesFillTheGapsAndNeverOverwriteTheUsers)
{
    QTemporaryDir shipped;
    Write(shipped.filePath("config/sattrack.db"), "shipped database");
    Write(shipped.filePath("config/lut/table.png"), "shipped table");
    const QString home = programfolder::Path();
    Write(home + "config/sattrack.db", "the user's own");

    EXPECT_EQ(programfolder::InstallShippedFiles(shipped.path()), "");
    EXPECT_EQ(Read(home + "config/sattrack.db"), "the user's own");
    EXPECT_EQ(Read(home + "config/lut/table.png"), "shipped table");
}

TEST(ProgramFolder, TheProgramShipsItsActiveSatellitesAndColourTables)
{
    const QString shipped = programfolder::ShippedFilesFolder();
    EXPECT_TRUE(Read(shipped + "/config/sattrack.db").contains("[NOAA 19]\nWeather\n137.1\n1\n"));
    EXPECT_TRUE(QFileInfo::exists(shipped + "/config/lut/test_fcab.jpg"));
}
