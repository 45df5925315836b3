#include "shell/TextHelpers.h"
#include "support/TestEnv.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TextHelpers, ShellExecuteReasons)
{
    EXPECT_EQ(GetShellExecuteErrorText(42), "");
    EXPECT_EQ(GetShellExecuteErrorText(31),
              "Reason:\nThere is no application associated with the given filename extension.");
    EXPECT_EQ(GetShellExecuteErrorText(7), "Reason:\nUnknown error: 7");
    EXPECT_EQ(GetShellExecuteErrorText(-3), "Reason:\nUnknown error: -3");
    EXPECT_EQ(GetShellExecuteErrorText(2), "Reason:\nThe specified file was not found.");
}

TEST(TextHelpers, URLFileNames)
{
    EXPECT_EQ(ExtractURLFileName("http://example.org/elements/weather.txt"), "weather.txt");
    EXPECT_EQ(ExtractURLFileName("weather.txt"), "");
    EXPECT_EQ(ExtractURLFileName("http://example.org/"), "");
    EXPECT_EQ(ExtractURLFileName("http://example.org/" + QString(300, 'a')), "");
    EXPECT_EQ(ExtractURLFileName("http://example.org/" + QString(255, 'a')), QString(255, 'a'));
}

TEST(TextHelpers, BracketsBlanksAndCharacters)
{
    QString name;
    EXPECT_TRUE(GetBracketedName("[NOAA]", name));
    EXPECT_EQ(name, "NOAA");
    EXPECT_FALSE(GetBracketedName("[]", name));
    EXPECT_EQ(name, "");
    EXPECT_TRUE(GetBracketedName("[" + QString(1000, 'n'), name)) << "no fixed buffer";
    EXPECT_EQ(name.size(), 1000);

    EXPECT_TRUE(IsBlank(" \t \n"));
    EXPECT_TRUE(IsBlank(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(IsBlank(QString()));
    EXPECT_FALSE(IsBlank(" x "));

    EXPECT_EQ(ReplaceChar("NOAA 15 APT", ' ', '_'), "NOAA_15_APT");
}

TEST(TextHelpers, FindLineInFileLeavesTheFileAfterTheMatch)
{
    for (const char* eol : {"\n", "\r\n"}) {
        QByteArray text = QByteArray("# satellites") + eol + "[Satellites] " + eol + "[Satellites]" + eol +
                          "NOAA 15" + eol + "NOAA 19" + eol;
        QBuffer file(&text);
        file.open(QIODevice::ReadOnly);
        ASSERT_TRUE(FindLineInFile("[Satellites]\n", &file, false)) << "line end " << (eol[0] == '\r' ? "CRLF" : "LF");
        EXPECT_EQ(file.readLine().trimmed(), "NOAA 15") << "the blank before the newline made the first one no match";
        EXPECT_FALSE(FindLineInFile("[Satellites]\n", &file, true)) << "without rewinding the later lines only";
        EXPECT_TRUE(FindLineInFile("[Satellites]\n", &file, false));
    }
    EXPECT_FALSE(FindLineInFile("[Satellites]\n", nullptr, false));
}

TEST(TextHelpers, VersionAndStampTexts)
{
    EXPECT_EQ(GetFileVersionText(QCoreApplication::applicationFilePath()).count('.'), 3);
    EXPECT_EQ(GetFileVersionText("/nonexistent/file"), "N/A");
    EXPECT_EQ(GetFileStampText("/nonexistent/file"), "N/A");
    QTemporaryDir dir;
    QFile file(dir.filePath("stamp.txt"));
    file.open(QIODevice::WriteOnly);
    file.close();
    EXPECT_TRUE(GetFileStampText(dir.filePath("stamp.txt")).startsWith("stamp.txt "));
}

TEST(TextHelpers, FontFilesByExactFamily)
{
    QString path;
    EXPECT_FALSE(FindFontFile("", path));
    EXPECT_FALSE(FindFontFile("No Such Font Family Anywhere", path))
        << "a substitute font is not the font asked for";
    if (!FindFontFile("DejaVu Sans", path))
        SKIP_MISSING("DejaVu Sans is not installed (scripts/setup-deps.sh installs it)");
    EXPECT_TRUE(path.endsWith(".ttf")) << path.toStdString();
    EXPECT_TRUE(FindFontFile("dejavu sans", path)) << "letter case does not matter";
}
