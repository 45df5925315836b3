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
//
// The writer compresses the text a block of lines at a time, each block a gzip
// member of its own (a gzip file may hold several, RFC 1952): zlib's reader and
// gzip -d read the members one after the other as one stream, so the file
// reads exactly as one written in a single piece.
#include "apt/APT.h"

#include "apt/GzipMembers.h"

#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <chrono>
#include <future>
#include <iterator>
#include <libdeflate.h>
#include <string>
#include <system_error>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

constexpr unsigned char kHeader[8] = {0xB5, 0x27, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
constexpr int kMagic = 10165;
constexpr int kFieldChars = 11;
constexpr int kLineChars = TAPT::kLineWidth * kFieldChars + (TAPT::kLineWidth - 1) / 10 + 2;
static_assert(kLineChars == 23089);
constexpr size_t kHeaderChars = 16;  // magic, version and "\n001200\n"

constexpr int kLinesPerMember = 64;  // about 1.5 MB of text a gzip member
constexpr int kCompressionLevel = 9;

int FieldOffset(int j) { return j * kFieldChars + j / 10; }

// The value of a field "ddd.dddddd" in millionths, as its digits say.
std::int32_t FieldMicros(const char* field)
{
    std::int32_t units = 0;
    for (int k = 0; k < 10; ++k)
        if (k != 3)
            units = units * 10 + (field[k] - '0');
    return units;
}

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

// "ddd.dddddd " as the writer makes it.
bool IsPlainField(const char* field)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return digit(field[0]) && digit(field[1]) && digit(field[2]) && field[3] == '.' && digit(field[4]) &&
           digit(field[5]) && digit(field[6]) && digit(field[7]) && digit(field[8]) && digit(field[9]) &&
           field[10] == ' ';
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

// The lines of a cache as they are read, on one thread or several: each line
// is parsed by one thread only.
struct TCacheLines {
    enum class Parsed { Ok, NoMemory, Damaged };

    explicit TCacheLines(int count) : Lines(static_cast<size_t>(count)) {}
    TCacheLines(TCacheLines&& other) noexcept
        : Lines(std::move(other.Lines)), MicrosExact(other.MicrosExact.load())
    {
    }
    TCacheLines& operator=(TCacheLines&& other) noexcept
    {
        Lines = std::move(other.Lines);
        MicrosExact = other.MicrosExact.load();
        return *this;
    }

    // Makes line index from its kLineChars bytes of text.
    Parsed Parse(int index, const char* text)
    {
        std::unique_ptr<double[]> line(new (std::nothrow) double[TAPT::kLineStride]);
        if (!line)
            return Parsed::NoMemory;
        std::fill(line.get() + TAPT::kLineWidth, line.get() + TAPT::kLineStride, 0.0);
        bool exact = true;
        for (int j = 0; j < TAPT::kLineWidth; ++j) {
            const char* field = text + FieldOffset(j);
            if (IsPlainField(field)) {
                const std::int32_t units = FieldMicros(field);
                // Exactly the double that reading the text gives: both are
                // the nearest double to the same decimal.
                line[j] = units / 1e6;
                exact = exact && units <= 255000000;
            } else {
                // Fields written by other programs may have another shape;
                // the file is then read again when the raw lines are wanted.
                if (!ParseField(field, line[j]))
                    return Parsed::Damaged;
                exact = false;
            }
        }
        if (!exact)
            MicrosExact = false;
        Lines[index] = std::move(line);
        return Parsed::Ok;
    }

    std::vector<std::unique_ptr<double[]>> Lines;
    // Every field read so far was "ddd.dddddd " within 0..255: its millionths
    // come back exactly from the value.
    std::atomic<bool> MicrosExact{true};
};

// Threads for reading a cache: the members decode side by side.
int ReadThreads()
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, 4);
}

// Reads the lines of a cache written in members (as WriteRawCache writes
// it), the members decoded side by side straight into their lines. False
// when the file is laid out otherwise or anything in it fails: it is then
// read as one stream, which finds and reports any damage.
bool ReadLinesInParallel(const QString& path, TCacheLines& read)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return false;
    const unsigned char* data = file.map(0, file.size());
    if (!data)
        return false;
    const std::vector<apt::TGzipMember> members = apt::FindGzipMembers(data, static_cast<size_t>(file.size()));
    if (members.empty())
        return false;
    const size_t wanted = read.Lines.size();
    // Only whole lines in each member: the first holds the header as well.
    for (const apt::TGzipMember& member : members) {
        const size_t end = member.TextOffset + member.TextBytes;
        const bool startsAtLine =
            member.TextOffset == 0 ||
            (member.TextOffset >= kHeaderChars && (member.TextOffset - kHeaderChars) % kLineChars == 0);
        if (!startsAtLine || end < kHeaderChars || (end - kHeaderChars) % kLineChars != 0)
            return false;
    }
    const size_t textBytes = members.back().TextOffset + members.back().TextBytes;
    if (textBytes < kHeaderChars + wanted * kLineChars)
        return false;
    return apt::DecompressGzipMembers(
        data, members, ReadThreads(), [&read, wanted](const apt::TGzipMember& member, const char* text) {
            const size_t skip = member.TextOffset == 0 ? kHeaderChars : 0;
            const size_t first = (member.TextOffset + skip - kHeaderChars) / kLineChars;
            const size_t count = (member.TextBytes - skip) / kLineChars;
            for (size_t i = first; i < first + count && i < wanted; ++i)
                if (read.Parse(static_cast<int>(i), text + skip + (i - first) * kLineChars) != TCacheLines::Parsed::Ok)
                    return false;
            return true;
        });
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

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using CompressorPtr = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

// A gzip member of the text; empty when it could not be made.
std::vector<char> Compress(const std::string& text)
{
    CompressorPtr compressor(libdeflate_alloc_compressor(kCompressionLevel));
    if (!compressor)
        return {};
    std::vector<char> packed(libdeflate_gzip_compress_bound(compressor.get(), text.size()));
    packed.resize(libdeflate_gzip_compress(compressor.get(), text.data(), text.size(), packed.data(), packed.size()));
    return packed;
}

// Makes and compresses members side by side on threads of their own and
// writes them in order: level 9 costs far more than making the text, and a
// user waits for both. Every core but the caller's helps: the work is a
// fraction of a second.
class MemberWriter {
public:
    MemberWriter(QFile& file, const std::function<void(int lines)>& onProgress) : file_(file), onProgress_(onProgress)
    {
        const unsigned cores = std::thread::hardware_concurrency();
        inFlight_ = static_cast<size_t>(std::clamp(cores > 1 ? int(cores) - 1 : 1, 1, 15));
    }
    ~MemberWriter() { Finish(); }

    // A member whose text makeText gives, holding that many lines.
    void Add(std::function<std::string()> makeText, int lines)
    {
        pendingLines_.push_back(lines);
        auto task = [makeText = std::move(makeText)] { return Compress(makeText()); };
        std::future<std::vector<char>> member;
        try {
            member = std::async(std::launch::async, task);
        } catch (const std::system_error&) {
            // No thread to be had: made here instead.
            std::promise<std::vector<char>> done;
            done.set_value(task());
            member = done.get_future();
        }
        pending_.push_back(std::move(member));
        while (pending_.size() > inFlight_)
            WriteFirst();
    }

    // Writes what is still pending; false when any member failed.
    bool Finish()
    {
        while (!pending_.empty())
            WriteFirst();
        return ok_;
    }

private:
    void WriteFirst()
    {
        // While the first member is still being made, the others' progress
        // is reported: on a busy machine they finish in any order.
        while (pending_.front().wait_for(kProgressPoll) != std::future_status::ready)
            ReportProgress();
        const std::vector<char> packed = pending_.front().get();
        pending_.pop_front();
        ok_ = ok_ && !packed.empty() &&
              file_.write(packed.data(), static_cast<qint64>(packed.size())) == static_cast<qint64>(packed.size());
        linesWritten_ += pendingLines_.front();
        pendingLines_.pop_front();
        ReportProgress();
    }

    // The lines written and those of members made: it never goes back, as a
    // member made stays made until it is written.
    void ReportProgress()
    {
        int done = linesWritten_;
        for (size_t k = 0; k < pending_.size(); ++k)
            if (pending_[k].wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                done += pendingLines_[k];
        if (done > reported_ && onProgress_)
            onProgress_(done);
        reported_ = std::max(reported_, done);
    }

    static constexpr std::chrono::milliseconds kProgressPoll{50};

    QFile& file_;
    const std::function<void(int lines)>& onProgress_;
    size_t inFlight_ = 1;
    std::deque<std::future<std::vector<char>>> pending_;
    std::deque<int> pendingLines_;
    int linesWritten_ = 0;
    int reported_ = 0;
    bool ok_ = true;
};

// head, then the text of lines [first, end), each value's millionths into
// micros (when there is room for them) as they were written.
std::string LinesText(const std::string& head, const apt::LinePtr* lines, int first, int end, std::int32_t* micros)
{
    std::string text = head;
    text.resize(head.size() + size_t(end - first) * kLineChars, '\n');
    for (int i = first; i < end; ++i) {
        char* line = text.data() + head.size() + size_t(i - first) * kLineChars;
        const double* values = lines[i].get();
        for (int j = 0; j < TAPT::kLineWidth; ++j) {
            if (j > 0 && j % 10 == 0)
                line[FieldOffset(j) - 1] = '\n';
            char* field = line + FieldOffset(j);
            FormatField(values ? values[j] : 0.0, field);
            if (micros)
                micros[size_t(i) * TAPT::kLineWidth + j] = FieldMicros(field);
        }
    }
    return text;
}

}  // namespace

bool TAPT::WriteRawCache(const std::function<void(int lines)>& onProgress)
{
    if (RawImageName.isEmpty() || Lines <= 0 || Lines > kMaxCacheLines)
        return false;
    const QString temporaryPath = RawImageName + ".tmp";
    QFile file(temporaryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;  // no cache then; the pass is simply decoded again next time
    // The values as written, kept to restore the raw lines without the file.
    std::unique_ptr<std::int32_t[]> micros(new (std::nothrow) std::int32_t[size_t(Lines) * kLineWidth]);

    bool ok = true;
    {
        // The lines are read by the member threads; nothing changes them
        // before the members are written.
        MemberWriter members(file, onProgress);
        const apt::LinePtr* lines = LineStore.data();
        std::int32_t* const microsOut = micros.get();
        const std::string header =
            std::string(reinterpret_cast<const char*>(kHeader), sizeof(kHeader)) + cnum::Format("\n%06d\n", Lines);
        for (int first = 0; first < Lines; first += kLinesPerMember) {
            const int end = std::min(first + kLinesPerMember, Lines);
            members.Add(
                [=] { return LinesText(first == 0 ? header : std::string(), lines, first, end, microsOut); },
                end - first);
        }
        ok = members.Finish();
    }
    ok = file.flush() && ok;
    file.close();
    QString error;
    if (!ok || !ReplaceFile(temporaryPath, RawImageName, error)) {
        QFile::remove(temporaryPath);
        return false;
    }
    rawMicros_ = std::move(micros);
    rawMicroLines_ = rawMicros_ ? Lines : 0;
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
    TCacheLines read(wanted);
    if (!ReadLinesInParallel(RawImageName, read)) {
        read = TCacheLines(wanted);
        std::string text(kLineChars, '\0');
        for (int i = 0; i < wanted; ++i) {
            if (!ReadExactly(file.get(), text.data(), kLineChars)) {
                DiscardCache(true);
                return false;
            }
            switch (read.Parse(i, text.data())) {
            case TCacheLines::Parsed::Ok: break;
            case TCacheLines::Parsed::NoMemory: StopFlags |= aptStopNoMemory; return false;
            case TCacheLines::Parsed::Damaged: DiscardCache(true); return false;
            }
        }
    }
    file.reset();

    if (reuseLines) {
        for (int i = 0; i < wanted; ++i)
            LineStore[i] = std::move(read.Lines[i]);
    } else {
        FreeLines();
        LineStore.assign(std::make_move_iterator(read.Lines.begin()), std::make_move_iterator(read.Lines.end()));
        MaxLines = Lines = wanted;
    }
    // The millionths are taken only when calibration is about to change the
    // lines: most passes opened from their cache are only looked at.
    rawMicros_.reset();
    rawMicroLines_ = 0;
    rawLinesExact_ = read.MicrosExact ? wanted : 0;
    FindFrameAndCrop();
    return true;
}

void TAPT::KeepRawMicros()
{
    // Lines just read from the cache are kept as they are. Lines whose cache
    // could not be written (a full disk) are kept as the cache would hold
    // them: there is no file to read them back from.
    const int exact = std::min(rawLinesExact_, Lines);
    rawLinesExact_ = 0;
    const bool noFile = RawImageName.isEmpty() || !QFileInfo::exists(RawImageName);
    const int lines = exact > 0 ? exact : noFile ? Lines : 0;
    if (rawMicros_ || lines <= 0)
        return;
    std::unique_ptr<std::int32_t[]> micros(new (std::nothrow) std::int32_t[size_t(lines) * kLineWidth]);
    if (!micros)
        return;  // the file is read again when the raw lines are wanted
    char field[kFieldChars];
    for (int i = 0; i < lines; ++i) {
        const double* line = LineStore[i].get();
        std::int32_t* out = micros.get() + size_t(i) * kLineWidth;
        for (int j = 0; j < kLineWidth; ++j) {
            const double v = line ? line[j] : 0.0;
            if (exact > 0) {
                // A value read from "ddd.dddddd" is the double nearest its
                // millionths over 1e6: times 1e6 it lies within 1e-7 of them.
                out[j] = static_cast<std::int32_t>(std::lround(v * 1e6));
            } else {
                FormatField(v, field);
                out[j] = FieldMicros(field);
            }
        }
    }
    rawMicros_ = std::move(micros);
    rawMicroLines_ = lines;
}

bool TAPT::RestoreRawLinesFromMemory()
{
    if (!rawMicros_ || rawMicroLines_ < Lines)
        return false;
    for (int i = 0; i < Lines; ++i) {
        double* line = LineStore[i].get();
        if (!line)
            continue;
        const std::int32_t* micros = rawMicros_.get() + size_t(i) * kLineWidth;
        // Exactly the double that reading the field's text gives.
        for (int j = 0; j < kLineWidth; ++j)
            line[j] = micros[j] / 1e6;
    }
    FramePhase = -1;
    FirstLine = LastLine = 0;
    FindFrameAndCrop();
    return true;
}

void TAPT::FindFrameAndCrop()
{
    WorkColumn.reset();
    const int start = FindTelemetryFrame(995, false);
    FirstLine = FindCropLine(true);
    LastLine = FindCropLine(false);
    if (start >= 0) {
        FramePhase = start % 128;
        FirstLine = std::max(FirstLine, FramePhase);
    }
    WorkColumn.reset();
}
