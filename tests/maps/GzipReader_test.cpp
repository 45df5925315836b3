// The land map's gzip reader against zlib: what zlib compresses, in each of
// its kinds of block, reads back byte for byte, in pieces and with skips;
// a damaged or cut file ends the data instead of making bytes up.
#include "maps/GzipReader.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>
#include <zlib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// One gzip member of data at this level and strategy; a header with a name,
// comment, extra field and header checksum when asked.
Bytes Gzip(const Bytes& data, int level, int strategy = Z_DEFAULT_STRATEGY, bool fullHeader = false)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, strategy), Z_OK);
    char name[] = "world.raw", comment[] = "a comment";
    Bytes extra = {'O', 'V', 2, 0, 7, 9};
    gz_header header{};
    if (fullHeader) {
        header.name = reinterpret_cast<Bytef*>(name);
        header.comment = reinterpret_cast<Bytef*>(comment);
        header.extra = extra.data();
        header.extra_len = static_cast<uInt>(extra.size());
        header.hcrc = 1;
        EXPECT_EQ(deflateSetHeader(&stream, &header), Z_OK);
    }
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Land-map-like rows: long runs of 0 and 1, and now and then a lone cell.
Bytes Runs(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes data;
    while (data.size() < size) {
        data.insert(data.end(), random() % 3000 + 1, static_cast<std::uint8_t>(data.size() / 7 % 2));
        if (random() % 4 == 0)
            data.push_back(2);
    }
    data.resize(size);
    return data;
}

Bytes Noise(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(random());
    return data;
}

// Words from a small vocabulary: matches of every length and distance.
Bytes Text(size_t size, unsigned seed)
{
    const char* const words[] = {"coast ", "island ", "sea ", "lake\n", "border ", "ice ", "a ", "river, "};
    std::mt19937 random(seed);
    Bytes data;
    while (data.size() < size) {
        const char* word = words[random() % 8];
        data.insert(data.end(), word, word + std::strlen(word));
        if (random() % 10 == 0)
            data.push_back(static_cast<std::uint8_t>(random()));
    }
    data.resize(size);
    return data;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class GzipReaderTest : public ::testing::Test {
protected:
    QString Write(const Bytes& bytes)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    void TearDown() override { QFile::remove(path); }

    // Reads in pieces of growing size, so reads cross the reader's chunks.
    Bytes ReadAll(TGzipReader& reader, size_t expected)
    {
        Bytes data(expected);
        size_t at = 0;
        for (size_t piece = 1; at < expected; piece = piece * 3 + 1) {
            const size_t n = std::min(piece, expected - at);
            if (!reader.Read(data.data() + at, static_cast<std::int64_t>(n)))
                break;
            at += n;
        }
        data.resize(at);
        return data;
    }

    const QString path =
        QDir::tempPath() + "/orvanta-gzip-test-" + QString::number(QCoreApplication::applicationPid()) + ".gz";
};

}  // namespace

TEST_F(GzipReaderTest, ReadsWhatZlibWrote)
{
    const Bytes runs = Runs(3'000'000, 1), noise = Noise(300'000, 2), text = Text(1'000'000, 3);
    const struct {
        const char* name;
        Bytes file, data;
    } cases[] = {
        {"runs at level 6", Gzip(runs, 6), runs},
        {"runs at level 1", Gzip(runs, 1), runs},
        {"text at level 9", Gzip(text, 9), text},
        {"text in fixed codes", Gzip(text, 6, Z_FIXED), text},
        {"text in Huffman codes only", Gzip(text, 6, Z_HUFFMAN_ONLY), text},
        {"noise in stored blocks", Gzip(noise, 0), noise},
        {"noise at level 9", Gzip(noise, 9), noise},
        {"a header with name, comment, extra field and checksum", Gzip(text, 6, Z_DEFAULT_STRATEGY, true), text},
        {"two members", Concat(Gzip(text, 6), Gzip(runs, 6)), Concat(text, runs)},
        {"nothing", Gzip({}, 6), {}},
        {"bytes after the member", Concat(Gzip(text, 6), Bytes(100, 7)), text},
        {"not gzip: read as it is", runs, runs},
    };
    for (const auto& c : cases) {
        TGzipReader reader;
        ASSERT_TRUE(reader.Open(Write(c.file))) << c.name;
        EXPECT_TRUE(ReadAll(reader, c.data.size()) == c.data) << c.name;
        std::uint8_t extra = 0;
        EXPECT_FALSE(reader.Read(&extra, 1)) << c.name << ": nothing after the data";
    }
}

TEST_F(GzipReaderTest, SkipsAndRewinds)
{
    const Bytes data = Runs(2'000'000, 4);
    TGzipReader reader;
    ASSERT_TRUE(reader.Open(Write(Gzip(data, 6))));
    size_t at = 0;
    std::uint8_t piece[700];
    for (const size_t skip : {0, 1, 299'999, 43'200, 700'001, 0, 5}) {
        ASSERT_TRUE(reader.Skip(static_cast<std::int64_t>(skip)));
        at += skip;
        ASSERT_TRUE(reader.Read(piece, sizeof piece));
        EXPECT_TRUE(std::equal(piece, piece + sizeof piece, data.begin() + static_cast<std::ptrdiff_t>(at)))
            << "after skipping to " << at;
        at += sizeof piece;
    }
    EXPECT_FALSE(reader.Skip(static_cast<std::int64_t>(data.size() - at + 1))) << "a skip past the end";
    reader.Rewind();
    EXPECT_TRUE(ReadAll(reader, data.size()) == data) << "all of it again after a rewind";
}

TEST_F(GzipReaderTest, DamageEndsTheData)
{
    const Bytes data = Text(1'000'000, 5);
    const Bytes file = Gzip(data, 6);
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
    Bytes badBlock(file.begin(), file.begin() + 10);  // the header alone
    badBlock.insert(badBlock.end(), 50, 0xFF);         // a block of the reserved type 3
    Bytes badMethod = file;
    badMethod[2] = 7;
    const struct {
        const char* name;
        Bytes file;
        size_t readable;  // bytes that must still read back
    } cases[] = {
        {"a file cut in half", cut, data.size() / 4},
        {"a block of a reserved type", badBlock, 0},
        {"a method other than deflate", badMethod, 0},
    };
    for (const auto& c : cases) {
        TGzipReader reader;
        ASSERT_TRUE(reader.Open(Write(c.file))) << c.name;
        const Bytes read = ReadAll(reader, data.size());
        EXPECT_LT(read.size(), data.size()) << c.name;
        EXPECT_GE(read.size(), c.readable) << c.name;
        EXPECT_TRUE(std::equal(read.begin(), read.end(), data.begin())) << c.name << ": only true bytes";
    }
    TGzipReader reader;
    EXPECT_FALSE(reader.Open(QDir::tempPath() + "/orvanta-no-such-file.gz"));
    EXPECT_FALSE(reader.IsOpen());
}
