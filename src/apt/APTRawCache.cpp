// The text form of the raw-line cache, a gzip file (compression level 9)
// whose decompressed bytes are:
//
//   B5 27 00 00  01 00 00 00          magic 10165 and 1, 32-bit little-endian
//   "\n001200\n"                      the line count, six digits
//   "012.500000 013.000000 ... \n"    each line: 2080 fields of "%010.6f ",
//   ...                               a '\n' before every tenth field,
//   "\n\n"                            and two line breaks after the last.
//
// Every line is thus 23089 bytes, so a reader can check each line's length.
#include "apt/APT.h"

#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <zlib.h>

namespace {

constexpr unsigned char kHeader[8] = {0xB5, 0x27, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
constexpr int kMagic = 10165;
constexpr int kFieldChars = 11;
constexpr int kLineChars = TAPT::kLineWidth * kFieldChars + (TAPT::kLineWidth - 1) / 10 + 2;
static_assert(kLineChars == 23089);

int FieldOffset(int j) { return j * kFieldChars + j / 10; }

// "%010.6f " for a value in 0..255: three integer digits, point, six
// decimals, blank. Locale-free, and exact like printf (to_chars rounds the
// binary value correctly).
void FormatField(double v, char* out)
{
    if (!(v >= 0))
        v = 0;  // the repair pass keeps values in range; the layout must hold regardless
    if (v > 255)
        v = 255;
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof(digits), v, std::chars_format::fixed, 6);
    const int length = static_cast<int>(result.ptr - digits);
    const int pad = 10 - length;
    std::memset(out, '0', pad);
    std::memcpy(out + pad, digits, length);
    out[10] = ' ';
}

bool ParseField(const char* field, double& value)
{
    const char* end = field + kFieldChars;
    while (field < end && *field == ' ')
        ++field;
    const auto result = std::from_chars(field, end, value, std::chars_format::fixed);
    if (result.ec != std::errc() || !std::isfinite(value))
        return false;
    for (const char* p = result.ptr; p < end; ++p)
        if (*p != ' ')
            return false;
    return true;
}

struct GzCloser {
    void operator()(gzFile file) const
    {
        if (file)
            gzclose(file);
    }
};
using GzFilePtr = std::unique_ptr<gzFile_s, GzCloser>;

bool ReadExactly(gzFile file, void* buffer, int count)
{
    return gzread(file, buffer, static_cast<unsigned>(count)) == count;
}

}  // namespace

bool TAPT::WriteRawCache()
{
    if (RawImageName.isEmpty() || Lines <= 0 || Lines > kMaxCacheLines)
        return false;
    const QString temporaryPath = RawImageName + ".tmp";
    gzFile file = gzopen(QFile::encodeName(temporaryPath).constData(), "wb9");
    if (!file)
        return false;  // no cache then; the pass is simply decoded again next time
    bool ok = gzwrite(file, kHeader, sizeof(kHeader)) == static_cast<int>(sizeof(kHeader));
    const std::string count = cnum::Format("\n%06d\n", Lines);
    ok = ok && gzwrite(file, count.data(), static_cast<unsigned>(count.size())) == static_cast<int>(count.size());
    std::string text(kLineChars, '\n');
    for (int i = 0; ok && i < Lines; ++i) {
        const double* line = LineStore[i].get();
        for (int j = 0; j < kLineWidth; ++j) {
            if (j > 0 && j % 10 == 0)
                text[FieldOffset(j) - 1] = '\n';
            FormatField(line ? line[j] : 0.0, text.data() + FieldOffset(j));
        }
        ok = gzwrite(file, text.data(), kLineChars) == kLineChars;
    }
    ok = gzclose(file) == Z_OK && ok;
    QString error;
    if (!ok || !ReplaceFile(temporaryPath, RawImageName, error)) {
        QFile::remove(temporaryPath);
        return false;
    }
    return true;
}

bool TAPT::ReadRawCache(bool reuseLines)
{
    GzFilePtr file(gzopen(QFile::encodeName(RawImageName).constData(), "rb"));
    if (!file) {
        DiscardCache(false);
        return false;
    }
    unsigned char head[4];
    if (!ReadExactly(file.get(), head, 4) ||
        (head[0] | head[1] << 8 | head[2] << 16 | static_cast<unsigned>(head[3]) << 24) != kMagic) {
        DiscardCache(false);  // not ours: left where it is
        return false;
    }
    // From here on the file is ours; any damage discards it, so that the pass
    // is decoded again instead of showing lines of zeros.
    char countText[9] = {};
    if (!ReadExactly(file.get(), head, 4) || !ReadExactly(file.get(), countText, 8)) {
        DiscardCache(true);
        return false;
    }
    long long count = 0;
    if (!cnum::TryParseInt(countText, count) || count <= 0 || count > kMaxCacheLines) {
        DiscardCache(true);
        return false;
    }
    const int wanted = reuseLines ? Lines : static_cast<int>(count);
    if (reuseLines && count < Lines) {
        DiscardCache(false);  // a cache of another pass: the engine keeps its lines
        return false;
    }

    // Lines are read into a store of their own and swapped in only when all
    // of them are complete.
    std::vector<std::unique_ptr<double[]>> lines;
    lines.reserve(wanted);
    std::string text(kLineChars, '\0');
    for (int i = 0; i < wanted; ++i) {
        if (!ReadExactly(file.get(), text.data(), kLineChars)) {
            DiscardCache(true);
            return false;
        }
        std::unique_ptr<double[]> line(new (std::nothrow) double[kLineStride]());
        if (!line) {
            StopFlags |= aptStopNoMemory;
            return false;
        }
        for (int j = 0; j < kLineWidth; ++j) {
            if (!ParseField(text.data() + FieldOffset(j), line[j])) {
                DiscardCache(true);
                return false;
            }
        }
        lines.push_back(std::move(line));
    }
    file.reset();

    if (reuseLines) {
        for (int i = 0; i < wanted; ++i)
            LineStore[i] = std::move(lines[i]);
    } else {
        FreeLines();
        LineStore = std::move(lines);
        MaxLines = Lines = wanted;
    }
    WorkColumn.reset();
    const int start = FindTelemetryFrame(995, false);
    FirstLine = FindCropLine(true);
    LastLine = FindCropLine(false);
    if (start >= 0) {
        FramePhase = start % 128;
        FirstLine = std::max(FirstLine, FramePhase);
    }
    WorkColumn.reset();
    return true;
}
