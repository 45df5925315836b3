#include "shell/AppFolders.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ShownError {
    QString text, caption;
};

TAppFolders MakeFolders(const QString& appDir, std::vector<ShownError>& shown)
{
    return TAppFolders(appDir, [&shown](const QString& text, const QString& caption) {
        shown.push_back({text, caption});
    });
}

}  // namespace

TEST(AppFolders, FirstStartMakesTheThirteenFoldersAndRecordsFour)
{
    QTemporaryDir dir;
    std::vector<ShownError> shown;
    const TAppFolders folders = MakeFolders(dir.path(), shown);
    folders.CreateAppFolders();
    EXPECT_TRUE(shown.empty());
    const QString app = folders.GetAppDir();
    EXPECT_TRUE(app.endsWith('/'));
    for (const char* sub : {"kepler", "kepler/archive", "temp", "config", "images", "config/lut", "logos", "audio/raw",
                            "templates/flatearth", "audio", "html", "html/rss", "templates/maps"})
        EXPECT_TRUE(QFileInfo(app + sub).isDir()) << sub;
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Config"), app + "config");
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Audio"), app + "audio");
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Log"), app + "html");
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "RSS"), app + "html/rss");
    EXPECT_EQ(folders.GetTLEFileName(), app + "config/sattrack.tle");
    EXPECT_EQ(folders.GetFlatEarthFileName(), app + "config/flatearth.txt");
}

TEST(AppFolders, FeedCacheFollowsThePathPartOfTheLogFolder)
{
    std::vector<ShownError> shown;
    const TAppFolders folders = MakeFolders("/opt/orvanta", shown);
    WriteRegistryString("APT\\Paths", "Log", "/web/mylog");
    EXPECT_EQ(folders.GetLogDir(), "/web/mylog");
    EXPECT_EQ(folders.GetRSSDir(), "/web/html/rss");
    WriteRegistryString("APT\\Paths", "Log", "/web/mylog/");
    EXPECT_EQ(folders.GetRSSDir(), "/web/mylog/html/rss");
    WriteRegistryString("APT\\Paths", "Log", "");
    EXPECT_EQ(folders.GetRSSDir(), "/opt/orvanta/html/rss");
}

TEST(AppFolders, UnmakeableAudioFolderIsReportedOnceAndNotRecorded)
{
    QTemporaryDir dir;
    // A regular file where the folder should go: mkdir must fail even for root.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString badAudio = dir.filePath("blocker/audio");
    WriteRegistryString("APT\\Paths", "Audio", badAudio);
    std::vector<ShownError> shown;
    const TAppFolders folders = MakeFolders(dir.filePath("app"), shown);
    folders.CreateAppFolders();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, badAudio);
    EXPECT_EQ(shown[0].caption, "Fatal Error! Unable to create directory.");
    EXPECT_EQ(ReadRegistryString("APT\\Paths", "Audio"), badAudio) << "the value is not rewritten";
    EXPECT_TRUE(QFileInfo(dir.filePath("app/html/rss")).isDir()) << "the folders after it are still made";
}

TEST(AppFolders, EnteringMakesAndChangesDirectory)
{
    QTemporaryDir dir;
    std::vector<ShownError> shown;
    const TAppFolders folders = MakeFolders(dir.path(), shown);
    const QString before = QDir::currentPath();
    const QString config = folders.GetConfigDir(false);
    EXPECT_FALSE(QFileInfo::exists(config));
    EXPECT_EQ(QDir::currentPath(), before);

    EXPECT_EQ(folders.GetKeplerArchiveDir(true), folders.GetAppDir() + "kepler/archive");
    EXPECT_TRUE(QFileInfo(folders.GetKeplerArchiveDir()).isDir());
    EXPECT_EQ(QDir::currentPath(), QDir(folders.GetKeplerArchiveDir()).canonicalPath());

    QFile blocker(dir.filePath("temp"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    folders.GetTempDir(true);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(QDir::currentPath(), QDir(folders.GetAppDir()).canonicalPath()) << "falls back to the program folder";
    QDir::setCurrent(before);
}

TEST(AppFolders, DatedPathAndTestImage)
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);
    QString path;
    EXPECT_TRUE(TAppFolders::MakeDatedPath(dir.path() + "/", when, path));
    const QLocale locale = QLocale::system();
    EXPECT_EQ(path, dir.path() + "/2026/" + locale.monthName(12) + "/08_" + locale.dayName(2));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(path.contains("//"));

    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(TAppFolders::MakeDatedPath(dir.filePath("file"), when, path));
    EXPECT_TRUE(path.startsWith(dir.filePath("file") + "/2026/")) << "the path is set on failure too";

    std::vector<ShownError> shown;
    const TAppFolders folders = MakeFolders(dir.path(), shown);
    EXPECT_EQ(folders.GetTestImageFileName(true), dir.path() + "/temp/test.png");
    EXPECT_TRUE(shown.empty());
}
