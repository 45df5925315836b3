#include "maps/GzipReader.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHistoryBytes = 32 * 1024;  // the farthest a match reaches back
constexpr size_t kChunkBytes = 256 * 1024;
constexpr size_t kMaxMatchBytes = 258;

}  // namespace

TGzipReader::~TGzipReader()
{
    Close();
}

bool TGzipReader::Open(const QString& path)
{
    Close();
    File = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!File)
        return false;
    Window.resize(kHistoryBytes + kChunkBytes + kMaxMatchBytes);
    Rewind();
    return true;
}

void TGzipReader::Close()
{
    if (File)
        std::fclose(File);
    File = nullptr;
    Window = {};
}

void TGzipReader::Rewind()
{
    if (!File)
        return;
    std::uint8_t magic[2] = {};
    std::rewind(File);
    Plain = std::fread(magic, 1, 2, File) < 2 || magic[0] != 0x1F || magic[1] != 0x8B;
    std::rewind(File);
    Input.Start(File);
    Next = End = 0;
    Ended = !Plain && !StartMember();
}

// The member's header: magic, method 8 (deflate), flags, then the optional
// extra field, name, comment and header checksum the flags announce.
bool TGzipReader::StartMember()
{
    Input.AlignToByte();
    auto byte = [this] { return Input.Take(8); };
    if (byte() != 0x1F || byte() != 0x8B || byte() != 8)
        return false;
    const std::uint32_t flags = byte();
    for (int i = 0; i < 6; ++i)  // time, extra flags, operating system
        byte();
    if (flags & 4) {
        const std::uint32_t low = byte();
        const std::uint32_t extraBytes = low | byte() << 8;
        for (std::uint32_t i = 0; i < extraBytes; ++i)
            byte();
    }
    for (const std::uint32_t text : {8u, 16u})  // name, comment: zero-ended
        if (flags & text)
            while (byte() != 0 && !Input.PastEnd()) {
            }
    if (flags & 2)
        Input.Take(16);
    if (Input.PastEnd() || (flags & 0xE0))
        return false;
    Inflater.Reset();
    MemberBytes = 0;
    return true;
}

bool TGzipReader::Fill()
{
    if (!File || Ended)
        return false;
    std::uint8_t* base = Window.data();
    if (Plain) {
        End = std::fread(base, 1, kChunkBytes, File);
        Next = 0;
        Ended = End == 0;
        return !Ended;
    }
    if (End > kHistoryBytes) {
        std::memmove(base, base + End - kHistoryBytes, kHistoryBytes);
        End = kHistoryBytes;
    }
    Next = End;
    while (Next == End) {
        if (Inflater.Finished()) {
            Input.AlignToByte();
            Input.Take(32);  // checksum
            Input.Take(32);  // length
            if (!StartMember()) {
                Ended = true;
                return false;
            }
        }
        // A member's matches reach back only into its own bytes.
        const std::uint8_t* window = base + End - std::min<std::int64_t>(static_cast<std::int64_t>(End), MemberBytes);
        const std::uint8_t* end = Inflater.Decode(Input, base + End, base + kHistoryBytes + kChunkBytes, window);
        MemberBytes += end - (base + End);
        End = static_cast<size_t>(end - base);
        if (Next == End && Inflater.IsDamaged()) {
            Ended = true;
            return false;
        }
    }
    return true;
}

bool TGzipReader::Read(void* buffer, std::int64_t bytes)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (bytes > 0) {
        if (Next == End && !Fill())
            return false;
        const size_t chunk = std::min<size_t>(static_cast<size_t>(bytes), End - Next);
        std::memcpy(out, Window.data() + Next, chunk);
        Next += chunk;
        out += chunk;
        bytes -= static_cast<std::int64_t>(chunk);
    }
    return true;
}

bool TGzipReader::Skip(std::int64_t bytes)
{
    while (bytes > 0) {
        if (Next == End && !Fill())
            return false;
        const size_t chunk = std::min<size_t>(static_cast<size_t>(bytes), End - Next);
        Next += chunk;
        bytes -= static_cast<std::int64_t>(chunk);
    }
    return true;
}
