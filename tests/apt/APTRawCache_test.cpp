#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace {

QString Home()
{
    QDir().mkpath(testenv::ProgramDir());
    return testenv::ProgramDir();
}

// An engine holding lines with values 0..255 and a few fractions.
void MakeLines(TAPT& apt, int lines)
{
    apt.AllocLines(lines);
    for (int i = 0; i < lines; ++i)
        for (int j = 0; j < 2080; ++j)
            apt.LineStore[i][j] = (i * 7 + j) % 256 + ((j % 3) ? 0.25 : 0.0);
}

QByteArray Gunzip(const QString& path)
{
    QByteArray out;
    gzFile file = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return out;
    char buffer[65536];
    int n;
    while ((n = gzread(file, buffer, sizeof(buffer))) > 0)
        out.append(buffer, n);
    gzclose(file);
    return out;
}

void Gzip(const QString& path, const QByteArray& bytes)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "wb");
    gzwrite(file, bytes.constData(), unsigned(bytes.size()));
    gzclose(file);
}

}  // namespace

TEST(APTRawCache, TextCacheLayoutAndRoundTrip)
{
    // A comma-decimal locale must not leak into the file.
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    const QString path = Home() + "pass.gz";
    TAPT apt;
    MakeLines(apt, 12);
    apt.LineStore[3][0] = 255;
    apt.LineStore[3][1] = 3.5;
    apt.RawImageName = path;
    apt.SaveImage(2);
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".tmp"));

    const QByteArray text = Gunzip(path);
    ASSERT_EQ(text.size(), 16 + 12 * 23089);
    EXPECT_EQ(text.left(16), QByteArray("\xB5\x27\x00\x00\x01\x00\x00\x00\n000012\n", 16));
    const QByteArray line3 = text.mid(16 + 3 * 23089, 23089);
    EXPECT_TRUE(line3.startsWith("255.000000 003.500000 ")) << line3.left(30).constData();
    EXPECT_EQ(line3.mid(110, 12), "\n031.250000 ") << "a line break before every tenth value";
    EXPECT_TRUE(line3.endsWith(" \n\n"));

    TAPT loaded;
    loaded.RawImageName = path;
    ASSERT_TRUE(loaded.Init("", 1));
    EXPECT_EQ(loaded.Flags.load() & 0x8003, 0x8003);
    ASSERT_EQ(loaded.Lines, 12);
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 2080; ++j)
            ASSERT_EQ(loaded.LineStore[i][j], apt.LineStore[i][j]) << i << "," << j;
    if (german)
        std::setlocale(LC_ALL, "C");
}

TEST(APTRawCache, LongCacheReadsAsOneTextWhoeverWroteIt)
{
    // 150 lines fill several compressed members; the text inside is the one
    // printf's "%010.6f " always gave, and a single-member file of that text
    // (as zlib writes it) reads back to the same values.
    TAPT apt;
    apt.AllocLines(150);
    for (int i = 0; i < 150; ++i)
        for (int j = 0; j < 2080; ++j)
            apt.LineStore[i][j] = (i * 7 + j) % 255 + j / 2080.0 / 3;  // values to be rounded
    const QString path = Home() + "long.gz";
    apt.RawImageName = path;
    std::vector<int> progress;
    ASSERT_TRUE(apt.WriteRawCache([&](int lines) { progress.push_back(lines); }));
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << "the progress never goes back";
    EXPECT_EQ(progress.back(), 150) << "and ends with every line";

    QByteArray expected("\xB5\x27\x00\x00\x01\x00\x00\x00\n000150\n", 16);
    char field[32];
    for (int i = 0; i < 150; ++i) {
        for (int j = 0; j < 2080; ++j) {
            if (j > 0 && j % 10 == 0)
                expected += '\n';
            std::snprintf(field, sizeof(field), "%010.6f ", apt.LineStore[i][j]);
            expected += field;
        }
        expected += "\n\n";
    }
    EXPECT_TRUE(Gunzip(path) == expected) << "the text of the cache, byte for byte";

    const QString single = Home() + "single.gz";
    Gzip(single, expected);
    TAPT fromNew, fromSingle;
    fromNew.RawImageName = path;
    fromSingle.RawImageName = single;
    ASSERT_TRUE(fromNew.LoadRawImage(false));
    ASSERT_TRUE(fromSingle.LoadRawImage(false));
    ASSERT_EQ(fromNew.Lines, 150);
    ASSERT_EQ(fromSingle.Lines, 150);
    for (int i = 0; i < 150; ++i)
        for (int j = 0; j < 2080; ++j)
            ASSERT_EQ(fromNew.LineStore[i][j], fromSingle.LineStore[i][j]) << i << "," << j;
}

TEST(APTRawCache, RawLinesComeBackAsTheCacheHoldsThemWithoutReadingIt)
{
    const aptgen::PassSpec spec = apttest::CalibratedPass(400);
    const QString path = Home() + "restore.gz";
    TAPT written;
    apttest::FillLines(written, spec);
    for (int i = 0; i < spec.lines; ++i)
        written.LineStore[i][500] += 1.0 / 3;  // a value the text rounds
    written.RawImageName = path;
    written.SaveImage(2);
    TAPT reference;  // the raw lines as reading the file gives them
    reference.RawImageName = path;
    ASSERT_TRUE(reference.LoadRawImage(false));

    TAPT reopened;
    reopened.RawImageName = path;
    ASSERT_TRUE(reopened.LoadRawImage(false));
    // A pass whose cache could not be written (a full disk, a folder gone).
    TAPT unwritten;
    apttest::FillLines(unwritten, spec);
    for (int i = 0; i < spec.lines; ++i)
        unwritten.LineStore[i][500] += 1.0 / 3;
    unwritten.RawImageName = Home() + "no such folder/restore.gz";
    unwritten.SaveImage(2);
    ASSERT_FALSE(QFile::exists(unwritten.RawImageName));
    for (TAPT* apt : {&written, &reopened, &unwritten}) {
        apt->SpacecraftModel = scNOAA18;
        apt->Calibrate();
        ASSERT_TRUE(apt->Flags & aptCalibrated);
    }
    // Gone from the disk: the raw lines still come back, from memory.
    ASSERT_TRUE(QFile::remove(path));
    for (TAPT* apt : {&written, &reopened, &unwritten}) {
        SCOPED_TRACE(apt == &written ? "written" : apt == &reopened ? "reopened" : "cache not written");
        apt->RestoreRawLines();
        EXPECT_FALSE(apt->Flags & (aptCalibrated | aptThermalValid));
        EXPECT_EQ(apt->FramePhase, reference.FramePhase);
        EXPECT_EQ(apt->FirstLine, reference.FirstLine);
        EXPECT_EQ(apt->LastLine, reference.LastLine);
        for (int i = 0; i < spec.lines; ++i)
            for (int j = 0; j < 2080; ++j)
                ASSERT_EQ(apt->LineStore[i][j], reference.LineStore[i][j]) << i << "," << j;
    }
}

TEST(APTRawCache, DamagedTextCachesFailAndAreDiscarded)
{
    TAPT good;
    MakeLines(good, 3);
    good.RawImageName = Home() + "good.gz";
    good.SaveImage(2);
    const QByteArray text = Gunzip(good.RawImageName);
    ASSERT_FALSE(text.isEmpty());

    struct Case {
        const char* name;
        QByteArray bytes;
        bool kept;  // a file that is not ours stays where it is
    };
    QByteArray negative = text, huge = text, zero = text, letters = text, badValue = text;
    negative.replace(8, 8, "\n-00003\n");
    huge.replace(8, 8, "\n999999\n");
    zero.replace(8, 8, "\n000000\n");
    letters.replace(8, 8, "\n00x003\n");
    badValue.replace(16 + 23089 + 11 * 5, 10, "nan0000000");
    QByteArray magic = text;
    magic[0] = char(0xB6);  // 10166
    const Case cases[] = {
        {"wrong magic", magic, true},
        {"only the magic", text.left(4), false},
        {"cut inside the count", text.left(12), false},
        {"negative count", negative, false},
        {"huge count", huge, false},
        {"zero count", zero, false},
        {"letters in the count", letters, false},
        {"a value that is not a number", badValue, false},
        {"fewer lines than counted", text.left(16 + 2 * 23089 + 500), false},
    };
    for (const auto& c : cases) {
        const QString path = Home() + "damaged.gz";
        Gzip(path, c.bytes);
        TAPT apt;
        apt.RawImageName = path;
        EXPECT_FALSE(apt.LoadRawImage(false)) << c.name;
        EXPECT_TRUE(apt.RawImageName.isEmpty()) << c.name;
        EXPECT_EQ(apt.Lines, 0) << c.name;
        EXPECT_EQ(QFile::exists(path), c.kept) << c.name;
    }

    // A broken cache makes Init decode the audio instead.
    const QString audio = apttest::WritePass(aptgen::PassSpec{}, "audio.wav");
    Gzip(Home() + "damaged.gz", text.left(100));
    TAPT apt;
    apt.RawImageName = Home() + "damaged.gz";
    ASSERT_TRUE(apt.Init(audio, 1));
    EXPECT_EQ(apt.Flags.load(), aptDecoding | aptAudioFile);
}

TEST(APTRawCache, CachesInMembersReadWhereverTheMembersEnd)
{
    TAPT written;
    MakeLines(written, 40);
    written.RawImageName = Home() + "members.gz";
    ASSERT_TRUE(written.WriteRawCache());
    const QByteArray text = Gunzip(written.RawImageName);
    ASSERT_EQ(text.size(), 16 + 40 * 23089);
    TAPT reference;  // the lines as the file holds them
    reference.RawImageName = written.RawImageName;
    ASSERT_TRUE(reference.LoadRawImage(false));

    // The text in members of pieceBytes each (the first also holding the
    // header), as libdeflate writes them.
    auto inMembers = [&text](const QByteArray& whole, int pieceBytes) {
        QByteArray file;
        for (int at = 0; at < whole.size();) {
            const int bytes = at == 0 ? 16 + pieceBytes : std::min(pieceBytes, int(whole.size()) - at);
            const std::vector<unsigned char> member = apttest::GzipMember(whole.mid(at, bytes).toStdString(), 9);
            file.append(reinterpret_cast<const char*>(member.data()), qsizetype(member.size()));
            at += bytes;
        }
        return file;
    };
    QByteArray badValue = text;
    badValue.replace(16 + 33 * 23089 + 11 * 7, 10, "nan0000000");
    QByteArray flipped = inMembers(text, 5 * 23089);
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x10);
    struct Case {
        const char* name;
        QByteArray file;
        bool loads;
    };
    const Case cases[] = {
        {"a line a member", inMembers(text, 23089), true},
        {"members ending inside lines", inMembers(text, 10007), true},
        {"a value that is not a number in a later member", inMembers(badValue, 4 * 23089), false},
        {"a damaged member", flipped, false},
        {"the last line missing", inMembers(text.left(16 + 39 * 23089), 8 * 23089), false},
    };
    for (const Case& c : cases) {
        const QString path = Home() + "cut.gz";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        TAPT apt;
        apt.RawImageName = path;
        EXPECT_EQ(apt.LoadRawImage(false), c.loads) << c.name;
        EXPECT_EQ(QFile::exists(path), c.loads) << c.name << ": a damaged cache is deleted";
        if (!c.loads)
            continue;
        ASSERT_EQ(apt.Lines, 40) << c.name;
        for (int i = 0; i < 40; ++i)
            for (int j = 0; j < 2080; ++j)
                ASSERT_EQ(apt.LineStore[i][j], reference.LineStore[i][j]) << c.name << " " << i << "," << j;
    }
}

TEST(APTRawCache, ReloadIntoTheExistingLines)
{
    const QString path = Home() + "reuse.gz";
    TAPT source;
    MakeLines(source, 1200);
    source.RawImageName = path;
    source.SaveImage(2);

    TAPT apt;
    MakeLines(apt, 1000);
    for (int i = 0; i < 1000; ++i)
        apt.LineStore[i][5] = -1;  // "calibrated" values to be replaced
    apt.RawImageName = path;
    ASSERT_TRUE(apt.LoadRawImage(true));
    EXPECT_EQ(apt.Lines, 1000);
    EXPECT_EQ(apt.LineStore[999][5], source.LineStore[999][5]);

    TAPT small;
    MakeLines(small, 800);
    small.RawImageName = Home() + "small.gz";
    small.SaveImage(2);
    apt.RawImageName = small.RawImageName;
    EXPECT_FALSE(apt.LoadRawImage(true)) << "a cache of 800 lines cannot restore 1000";
    EXPECT_EQ(apt.Lines, 1000);
    EXPECT_EQ(apt.LineStore[999][5], source.LineStore[999][5]) << "the engine's lines stay";
}

TEST(APTRawCache, ImageCacheRoundTrip)
{
    const QString path = Home() + "pass.png";
    TAPT source;
    MakeLines(source, 900);
    source.LineStore[10][10] = 300;  // repaired before it is written
    source.RawImageName = path;
    MagickImagePtr image = source.SaveImage(0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->columns, 2080u);
    EXPECT_EQ(image->rows, 900u);
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_LE(source.LineStore[10][10], 255);

    TAPT apt;
    MakeLines(apt, 1000);
    apt.RawImageName = path;
    ASSERT_TRUE(apt.LoadRawImage(true));
    EXPECT_EQ(apt.Lines, 900) << "a cache of another size is loaded anew at its own";
    for (int i : {0, 450, 899})
        for (int j = 0; j < 2080; j += 13)
            ASSERT_EQ(apt.LineStore[i][j], int(source.LineStore[i][j])) << i << "," << j;

    // An image that is not 2080 wide is no pass.
    TAPT narrow;
    narrow.AllocLines(200);
    narrow.RawImageName = Home() + "narrow.png";
    MagickImagePtr wide = narrow.SaveImage(0);
    ASSERT_NE(wide, nullptr);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    MagickImagePtr cropped(ResizeImage(wide.get(), 1000, 200, PointFilter, 1.0, exception.get()));
    ASSERT_NE(cropped, nullptr);
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    CopyMagickString(cropped->filename, QFile::encodeName(narrow.RawImageName).constData(), MaxTextExtent);
    ASSERT_TRUE(WriteImage(info.get(), cropped.get()));
    TAPT reader;
    reader.RawImageName = narrow.RawImageName;
    EXPECT_FALSE(reader.LoadRawImage(false));
    EXPECT_TRUE(reader.RawImageName.isEmpty());
}

TEST(APTRawCache, AnImageCacheCutShortIsRefusedAndDeleted)
{
    TAPT source;
    MakeLines(source, 300);
    for (const char* extension : {"jpg", "png", "bmp", "tif", "gif"}) {
        const QString path = Home() + "whole." + extension;
        source.RawImageName = path;
        ASSERT_NE(source.SaveImage(0), nullptr) << extension;
        QFile whole(path);
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly)) << extension;
        const QByteArray bytes = whole.readAll();
        whole.close();
        for (int percent : {95, 75, 50}) {
            const QString cut = Home() + "cut." + extension;
            QFile file(cut);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes.left(bytes.size() * percent / 100));
            file.close();
            TAPT reader;
            reader.RawImageName = cut;
            EXPECT_FALSE(reader.LoadRawImage(false)) << extension << " cut to " << percent << " %";
            EXPECT_TRUE(reader.RawImageName.isEmpty()) << extension << " " << percent;
            EXPECT_FALSE(QFile::exists(cut)) << extension << " " << percent << ": decoded again next time";
        }
        TAPT reader;
        reader.RawImageName = path;
        EXPECT_TRUE(reader.LoadRawImage(false)) << extension << " whole";
        EXPECT_EQ(reader.Lines, 300) << extension;
    }
}
