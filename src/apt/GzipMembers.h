#pragma once
// A gzip file (RFC 1952) made of many members, decompressed on several
// threads. A deflate stream decodes only from its start, so the members are
// found by their headers: the file is split wherever the 10-byte header that
// libdeflate writes (no name, no time, level 8 or more, system unknown)
// appears, and each piece's trailer gives its decompressed size. A header
// pattern that merely occurs inside compressed data cannot pass for a split:
// every piece must then decode to exactly its recorded size, consuming all of
// its bytes, with a matching CRC.
#include <cstddef>
#include <functional>
#include <vector>

namespace apt {

struct TGzipMember {
    size_t Offset = 0;       // of its header in the file
    size_t PackedBytes = 0;  // header, deflate data and trailer
    size_t TextOffset = 0;   // of its first byte in the whole decompressed text
    size_t TextBytes = 0;    // as its trailer records it
};

// The members the headers in data suggest, in order; empty unless data starts
// with such a header and every piece is large enough to be a member.
std::vector<TGzipMember> FindGzipMembers(const unsigned char* data, size_t size);

// Decompresses every member on up to maxThreads threads, the caller's among
// them, and hands each text to use() on the thread that decoded it. False
// when a member does not decode to exactly its recorded size or use() refuses
// one; the remaining members are then skipped.
bool DecompressGzipMembers(const unsigned char* data, const std::vector<TGzipMember>& members, int maxThreads,
                           const std::function<bool(const TGzipMember& member, const char* text)>& use);

}  // namespace apt
