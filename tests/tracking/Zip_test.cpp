// The ZIP reader on archives made by Debian's zip at test time.
#include "support/TestEnv.h"
#include "tracking/Zip.h"
#include "RepeatedEntryZip.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString Folder()
{
    const QString folder = testenv::ProgramDir() + "zips/";
    QDir().mkpath(folder);
    return folder;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs zip in the folder; the archive name comes first in arguments.
bool Zip(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess zip;
    zip.setWorkingDirectory(Folder());
    zip.start("zip", QStringList{"-q"} + arguments);
    if (!zip.waitForStarted())
        return false;
    zip.write(input);
    zip.closeWriteChannel();
    return zip.waitForFinished() && zip.exitCode() == 0;
}

// Every line of the open entry as ReadLine gives it, up to the end.
QList<QByteArray> ReadLines(TZip& zip, int max = 75)
{
    QList<QByteArray> lines;
    char buffer[256];
    for (int guard = 0; guard < 100; ++guard) {
        const int length = zip.ReadLine(buffer, max);
        if (length < 0 || (length == 0 && zip.AtEndOfEntry()))
            break;
        lines << QByteArray(buffer, length);
    }
    return lines;
}

}  // namespace

TEST(Zip, OpensOnlyArchivesNamedZipInAnyCase)
{
    WriteFile(Folder() + "noaa.txt", "1 line\n");
    ASSERT_TRUE(Zip({"sets.zip", "noaa.txt"})) << "Debian's zip is needed (scripts/setup-deps.sh)";
    QFile::copy(Folder() + "sets.zip", Folder() + "UPPER.ZIP");
    QFile::copy(Folder() + "sets.zip", Folder() + "short.zi");
    const QByteArray notAnArchive = "NOAA 15\n1 25338U text only\n";
    WriteFile(Folder() + "text.zip", notAnArchive);
    QByteArray cut = ReadFile(Folder() + "sets.zip");
    cut.chop(cut.size() / 2);
    WriteFile(Folder() + "cut.zip", cut);
    WriteFile(Folder() + "empty.zip", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));

    struct Case {
        const char* name;
        const char* file;
        bool opens;
        int lastError;
        int entries;
    };
    const Case cases[] = {
        {"lower-case extension", "sets.zip", true, zeOk, 1},
        {"upper-case extension", "UPPER.ZIP", true, zeOk, 1},
        {"extension .zi", "short.zi", false, zeBadArchive, 0},
        {"a text file named .zip", "text.zip", false, zeBadArchive, 0},
        {"an archive cut in half", "cut.zip", false, zeBadArchive, 0},
        {"an empty archive, which the library refuses", "empty.zip", false, zeBadArchive, 0},
        {"no such file", "missing.zip", false, zeNotOpen, 0},
    };
    TZip zip;
    EXPECT_EQ(zip.LastError, zeNotOpen) << "nothing opened yet";
    for (const Case& c : cases) {
        EXPECT_EQ(zip.Open(Folder() + c.file), c.opens) << c.name;
        EXPECT_EQ(zip.LastError, c.lastError) << c.name;
        EXPECT_EQ(zip.EntryNames.size(), c.entries) << c.name;
    }
    EXPECT_EQ(ReadFile(Folder() + "text.zip"), notAnArchive) << "a file that is no archive is left as it was";
}

TEST(Zip, ReadsEntriesLineByLine)
{
    const QByteArray line69(69, 'x');
    WriteFile(Folder() + "crlf.txt", line69 + "\r\n" + line69 + "\r\n");
    WriteFile(Folder() + "data/2005/noaa.txt", "first\n\nthird without line feed");
    ASSERT_TRUE(Zip({"-0", "stored.zip", "crlf.txt"}));  // stored, not deflated
    ASSERT_TRUE(Zip({"-9", "-r", "deflated.zip", "crlf.txt", "data"}));
    ASSERT_TRUE(Zip({"-z", "deflated.zip"}, "archived element sets\n.\n"));

    TZip zip;
    ASSERT_TRUE(zip.Open(Folder() + "stored.zip"));
    ASSERT_TRUE(zip.OpenFirstFile());
    EXPECT_EQ(ReadLines(zip), QList<QByteArray>({line69 + "\r", line69 + "\r"}))
        << "a 69-character line with CR LF reads as 70 characters";
    zip.CloseCurrentFile(true);

    ASSERT_TRUE(zip.Open(Folder() + "deflated.zip"));
    EXPECT_EQ(zip.Comment.trimmed().toStdString(), "archived element sets");
    EXPECT_EQ(zip.EntryNames,
              QStringList({"crlf.txt", "data/", "data/2005/", "data/2005/noaa.txt"}));
    ASSERT_TRUE(zip.OpenFirstFile());
    EXPECT_EQ(ReadLines(zip).size(), 2) << "deflated entries read like stored ones";
    zip.CloseCurrentFile(false);

    ASSERT_TRUE(zip.GoToNextFile());
    EXPECT_EQ(zip.GetCurrentFileName(1), "") << "a folder entry has no name of its own";
    ASSERT_TRUE(zip.GoToNextFile());
    ASSERT_TRUE(zip.GoToNextFile());
    EXPECT_EQ(zip.GetCurrentFileName(0).toStdString(), "data/2005/noaa.txt");
    EXPECT_EQ(zip.GetCurrentFileName(1).toStdString(), "noaa.txt");
    EXPECT_EQ(zip.GetCurrentFileName(2).toStdString(), "data\\2005\\noaa.txt");
    ASSERT_TRUE(zip.OpenCurrentFile());
    EXPECT_EQ(ReadLines(zip), QList<QByteArray>({"first", "", "third without line feed"}))
        << "an empty line is no end, and a last line without line feed is read";
    char buffer[8];
    EXPECT_EQ(zip.ReadLine(buffer, 7), 0) << "then the end";
    EXPECT_TRUE(zip.AtEndOfEntry());
    zip.CloseCurrentFile(false);
    EXPECT_FALSE(zip.GoToNextFile());
    EXPECT_EQ(zip.LastError, zeEndOfList);

    zip.Close();
    EXPECT_EQ(zip.ReadLine(buffer, 7), -1) << "no archive open";
    EXPECT_FALSE(zip.GoToFirstFile());
    EXPECT_EQ(zip.LastError, zeBadArchive);
}

TEST(Zip, ALongLineContinuesInTheNextCall)
{
    WriteFile(Folder() + "long.txt", QByteArray(10, 'a') + "\n");
    ASSERT_TRUE(Zip({"long.zip", "long.txt"}));
    TZip zip;
    ASSERT_TRUE(zip.Open(Folder() + "long.zip"));
    ASSERT_TRUE(zip.OpenFirstFile());
    EXPECT_EQ(ReadLines(zip, 4), QList<QByteArray>({"aaaa", "aaaa", "aa"}));
}

TEST(Zip, AnEntryListedTwiceIsReadOnceAndOnlyUpToTheLimit)
{
    // 16 MiB of blank lines, which deflate to a few kilobytes.
    const QByteArray content(16 << 20, '\n');
    const QString path = Folder() + "repeated.zip";
    ASSERT_TRUE(trackingfixtures::WriteRepeatedEntryZip(path, "noaa-18.txt", content, 60))
        << "Debian's zip is needed (scripts/setup-deps.sh)";
    EXPECT_LT(QFileInfo(path).size(), 64 * 1024);

    TZip zip;
    ASSERT_TRUE(zip.Open(path));
    EXPECT_EQ(zip.EntryNames, QStringList({"noaa-18.txt"}));
    int entries = 0;
    char buffer[80];
    for (bool more = zip.GoToFirstFile(); more; more = zip.GoToNextFile()) {
        ++entries;
        ASSERT_TRUE(zip.OpenCurrentFile());
        int lines = 0;
        while (zip.ReadLine(buffer, 75) >= 0 && !zip.AtEndOfEntry())
            ++lines;
        EXPECT_EQ(lines, kZipEntryReadLimit) << "every byte up to the limit is a line, none after it";
        zip.CloseCurrentFile(false);
    }
    EXPECT_EQ(entries, 1) << "the directory's 59 repetitions are stepped over";
    EXPECT_EQ(zip.LastError, zeEndOfList);
    EXPECT_EQ(zip.BytesRead, kZipEntryReadLimit);
}
