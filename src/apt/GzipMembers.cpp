#include "apt/GzipMembers.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <iterator>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace apt {

namespace {

// ID1 ID2, deflate, no flags, time 0, "slowest compression", system unknown.
constexpr unsigned char kHeader[10] = {0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF};
constexpr size_t kTrailerBytes = 8;  // CRC-32 and size, little-endian
// A bound on one member's text, so that a damaged trailer cannot ask for
// gigabytes; a member of the raw-line cache holds about 1.5 MB.
constexpr size_t kMaxMemberText = size_t(256) << 20;

size_t LittleEndian32(const unsigned char* p)
{
    return size_t(p[0]) | size_t(p[1]) << 8 | size_t(p[2]) << 16 | size_t(p[3]) << 24;
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

}  // namespace

std::vector<TGzipMember> FindGzipMembers(const unsigned char* data, size_t size)
{
    std::vector<TGzipMember> members;
    if (!data || size < sizeof(kHeader) || std::memcmp(data, kHeader, sizeof(kHeader)) != 0)
        return members;
    std::vector<size_t> starts{0};
    // The header's last byte rarely occurs in it, so the search mostly
    // skips ten bytes at a time.
    const std::boyer_moore_horspool_searcher header(std::begin(kHeader), std::end(kHeader));
    const unsigned char* end = data + size;
    for (const unsigned char* at = data + 1; (at = std::search(at, end, header)) != end; ++at)
        starts.push_back(static_cast<size_t>(at - data));
    starts.push_back(size);
    size_t textOffset = 0;
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        TGzipMember member;
        member.Offset = starts[i];
        member.PackedBytes = starts[i + 1] - starts[i];
        if (member.PackedBytes < sizeof(kHeader) + kTrailerBytes)
            return {};
        member.TextBytes = LittleEndian32(data + starts[i + 1] - 4);
        if (member.TextBytes > kMaxMemberText)
            return {};
        member.TextOffset = textOffset;
        textOffset += member.TextBytes;
        members.push_back(member);
    }
    return members;
}

bool DecompressGzipMembers(const unsigned char* data, const std::vector<TGzipMember>& members, int maxThreads,
                           const std::function<bool(const TGzipMember& member, const char* text)>& use)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    size_t largest = 0;
    for (const TGzipMember& member : members)
        largest = std::max(largest, member.TextBytes);

    auto work = [&] {
        std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(libdeflate_alloc_decompressor());
        std::unique_ptr<char[]> text(new (std::nothrow) char[std::max<size_t>(largest, 1)]);
        if (!decompressor || !text) {
            failed = true;
            return;
        }
        for (size_t i = next++; i < members.size() && !failed; i = next++) {
            const TGzipMember& member = members[i];
            size_t packedUsed = 0, textMade = 0;
            const libdeflate_result result =
                libdeflate_gzip_decompress_ex(decompressor.get(), data + member.Offset, member.PackedBytes,
                                              text.get(), member.TextBytes, &packedUsed, &textMade);
            if (result != LIBDEFLATE_SUCCESS || packedUsed != member.PackedBytes || textMade != member.TextBytes ||
                !use(member, text.get()))
                failed = true;
        }
    };

    const int helpers = std::clamp(std::min(maxThreads, static_cast<int>(members.size())) - 1, 0, 15);
    std::vector<std::thread> threads;
    for (int t = 0; t < helpers; ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no thread to be had: the others share the members
        }
    }
    work();
    for (std::thread& thread : threads)
        thread.join();
    return !failed;
}

}  // namespace apt
