// The element-set source list files, their defaults, and the archive's
// naming and moving of a downloaded archive document.
#include "support/TestEnv.h"
#include "tracking/ElementSetSources.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString WriteList(const QByteArray& text)
{
    QDir().mkpath(testenv::ProgramDir());
    const QString path = testenv::ProgramDir() + "kepurl.txt";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Describe(const TSourceRows& rows)
{
    QStringList out;
    for (const TSourceRow& row : rows)
        out << row.URL + "|" + row.Modified + "|" + row.Group + "|" + row.Download;
    return out.join(" / ");
}

}  // namespace

TEST(ElementSetSources, ReadingTakesRecordsAsTheyCome)
{
    struct Case {
        const char* name;
        QByteArray text;
        const char* rows;
    };
    const Case cases[] = {
        {"one record, CR LF", "/*\r\n * comment\r\n */\r\n\r\n[http://a/x.txt]\r\nN/A\r\nNOAA\r\nYes\r\n",
         "http://a/x.txt|N/A|NOAA|Yes"},
        {"empty fields give their defaults", "[http://a/x.txt]\n\n\n\n", "http://a/x.txt|N/A||No"},
        {"\"[]\" is skipped", "[]\nN/A\nG\nYes\n[http://b]\nN/A\nG\nNo\n", "http://b|N/A|G|No"},
        {"no closing bracket", "[http://c\nN/A\nG\nYes\n", "http://c|N/A|G|Yes"},
        {"brackets inside the URL", "[http://[::1]:8080/x.txt]\nN/A\nG\nYes\n", "http://[::1]:8080/x.txt|N/A|G|Yes"},
        {"the end inside a record keeps what was read", "[http://d]\nWed, 21 Sep 2005 14:05:09 GMT\n",
         "http://d|Wed, 21 Sep 2005 14:05:09 GMT||"},
        {"a field starting with [ is still a field", "[http://e]\n[x]\nG\nYes\n", "http://e|[x]|G|Yes"},
        {"nothing but comments", "/*\n */\n", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(ReadSourceList(WriteList(c.text), TSourceKind::CurrentData)).toStdString(), c.rows)
            << c.name;
    EXPECT_TRUE(ReadSourceList(testenv::ProgramDir() + "missing.txt", TSourceKind::CurrentData).isEmpty());
    EXPECT_EQ(Describe(ReadSourceList(WriteList("[http://z.zip]\n\nYes\n"), TSourceKind::Archive)).toStdString(),
              "http://z.zip|N/A||Yes")
        << "archive records have three lines";
}

TEST(ElementSetSources, ALongLineIsOneFieldAndEveryRowReadsBackAsWritten)
{
    // A URL line longer than a typed URL may be, and one that is no UTF-8
    // and so grows when written back: neither moves the fields after it.
    const QByteArray longURL = "http://long.example/" + QByteArray(700, 'a');
    const QByteArray latin1URL = "http://latin1.example/" + QByteArray(400, '\xe9');
    const QByteArray longGroup(600, 'g');
    const QString path = WriteList("[" + longURL + "]\nN/A\n" + longGroup + "\nYes\n[" + latin1URL +
                                   "]\nN/A\nG\nYes\n[http://last.example/]\nN/A\nL\nNo\n");
    const TSourceRows rows = ReadSourceList(path, TSourceKind::CurrentData);
    ASSERT_EQ(rows.size(), 3) << Describe(rows).toStdString();
    EXPECT_EQ(rows[0].URL.toUtf8(), longURL);
    EXPECT_EQ(rows[0].Group.toUtf8(), longGroup);
    EXPECT_EQ(rows[0].Download, "Yes");
    EXPECT_EQ(rows[1].Group, "G");
    EXPECT_EQ(rows[2].URL, "http://last.example/");

    const QString again = testenv::ProgramDir() + "again.txt";
    QString error;
    ASSERT_TRUE(WriteSourceList(again, rows, TSourceKind::CurrentData, "v", error)) << error.toStdString();
    EXPECT_EQ(Describe(ReadSourceList(again, TSourceKind::CurrentData)), Describe(rows));

    // Line breaks inside values: a carriage return read, a line feed written.
    const TSourceRows broken = ReadSourceList(WriteList("[http://a/\rx]\nWed,\r21 Sep\r\nG\r1\nYes\r\r\n"),
                                              TSourceKind::CurrentData);
    EXPECT_EQ(Describe(broken).toStdString(), "http://a/ x|Wed, 21 Sep|G 1|Yes");
    ASSERT_TRUE(WriteSourceList(again, {{"http://b/", "N/A", "two\nlines", "Yes"}, {"http://c/", "", "", ""}},
                                TSourceKind::CurrentData, "v", error));
    EXPECT_EQ(Describe(ReadSourceList(again, TSourceKind::CurrentData)).toStdString(),
              "http://b/|N/A|two lines|Yes / http://c/|N/A||No");
}

TEST(ElementSetSources, WritingSkipsRowsWithoutURLAndReadsBack)
{
    const TSourceRows rows = {{"http://a/x.txt", "", "", ""},
                              {"", "N/A", "Lost", "Yes"},
                              {"http://b/y.txt", "Wed, 21 Sep 2005 14:05:09 GMT", "Weather", "Yes"}};
    const QString path = testenv::ProgramDir() + "out/kepurl.txt";
    QString error;
    ASSERT_TRUE(WriteSourceList(path, rows, TSourceKind::CurrentData, "Orvanta 1.0", error)) << error.toStdString();
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("/*\n * Orvanta 1.0\n * NORAD Two-Line Element Sets Current Data configuration file.\n"));
    EXPECT_TRUE(text.endsWith(" * Group name\n * Download (Yes/No)\n *\n */\n\n[http://a/x.txt]\nN/A\n\nNo\n"
                              "[http://b/y.txt]\nWed, 21 Sep 2005 14:05:09 GMT\nWeather\nYes\n"))
        << text.toStdString();
    EXPECT_EQ(Describe(ReadSourceList(path, TSourceKind::CurrentData)).toStdString(),
              "http://a/x.txt|N/A||No / http://b/y.txt|Wed, 21 Sep 2005 14:05:09 GMT|Weather|Yes");

    // A list that cannot be written leaves the old file as it was.
    QDir().mkpath(path + ".tmp");
    EXPECT_FALSE(WriteSourceList(path, {}, TSourceKind::CurrentData, "Orvanta 1.0", error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(path), text);
}

TEST(ElementSetSources, DefaultsFetchOnlyTheFirstCurrentSource)
{
    const TSourceRows current = DefaultSources(TSourceKind::CurrentData);
    ASSERT_EQ(current.size(), 30);
    EXPECT_EQ(current[0].URL.toStdString(), "https://celestrak.org/NORAD/elements/gp.php?FORMAT=tle&GROUP=noaa");
    EXPECT_EQ(current[1].URL.toStdString(), "https://celestrak.org/NORAD/elements/gp.php?FORMAT=tle&GROUP=weather");
    EXPECT_EQ(current[0].Download.toStdString(), "Yes");
    for (int i = 1; i < current.size(); ++i)
        EXPECT_EQ(current[i].Download.toStdString(), "No") << i;
    for (const TSourceRow& row : current)
        EXPECT_FALSE(row.URL.contains("example")) << row.URL.toStdString();
    EXPECT_EQ(current[29].Group.toStdString(), "Miscellaneous");
    EXPECT_TRUE(DefaultSources(TSourceKind::Archive).isEmpty()) << "no public archive to point at";
}

TEST(ElementSetSources, AnArchivedDocumentIsNamedByItsDateAndNeverReplaced)
{
    const TDateTime date = EncodeDateTime(2005, 9, 21, 14, 5, 9);
    EXPECT_EQ(ArchiveDocumentName(date, "noaa-15.zip").toStdString(), "05_09_140509_noaa-15.zip");

    const QString folder = testenv::ProgramDir() + "move/";
    QDir().mkpath(folder);
    for (const char* name : {"first", "second"}) {
        QFile file(folder + name);
        file.open(QIODevice::WriteOnly);
        file.write(name);
    }
    QString error;
    ASSERT_TRUE(MoveWithoutReplacing(folder + "first", folder + "archived", error));
    EXPECT_FALSE(QFile::exists(folder + "first"));
    EXPECT_FALSE(MoveWithoutReplacing(folder + "second", folder + "archived", error));
    EXPECT_EQ(ReadAll(folder + "archived"), "first") << "the archived file is kept";
    EXPECT_TRUE(QFile::exists(folder + "second")) << "the new download stays where it was";
}

TEST(ElementSetSources, AURLIsKeptOnlyWhenTheListReadsItBackWhole)
{
    const QString base = "http://127.0.0.1/";
    const QString longest = base + QString(509 - base.size(), 'a');
    EXPECT_TRUE(SourceURLProblem(longest).isEmpty());
    const QString path = testenv::ProgramDir() + "config/long.txt";
    QDir().mkpath(testenv::ProgramDir() + "config");
    QString error;
    ASSERT_TRUE(WriteSourceList(path, {{longest, "N/A", "G", "Yes"}}, TSourceKind::CurrentData, "v", error)) << error.toStdString();
    const TSourceRows back = ReadSourceList(path, TSourceKind::CurrentData);
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].URL, longest);
    EXPECT_EQ(back[0].Download, "Yes");

    // One more byte, in a character of two: refused, with the reason.
    EXPECT_TRUE(SourceURLProblem(longest + "b").contains("at most 509"));
    EXPECT_FALSE(SourceURLProblem(longest.left(508) + QChar(0xE9)).isEmpty());
    EXPECT_FALSE(SourceURLProblem("http://a/x\ny").isEmpty());
}
