#pragma once
// TInflater: a decoder of deflate streams (stored, fixed and dynamic Huffman
// blocks), made for the land map: a map of mostly sea is long runs of one
// byte, which zlib's inflate copies a byte at a time; here a run is a memset
// and any other match a memcpy, so a sea row costs little more than its
// Huffman codes. TBitInput feeds it the bits of a file.
//
// Threads: one object, one thread.
#include <cstdint>
#include <cstdio>
#include <vector>

// A file's bits, least significant bit of each byte first, as deflate packs
// them. Past the file's end the bits read as zero and PastEnd() turns true.
class TBitInput {
public:
    void Start(std::FILE* file);  // from the file's current position
    // More than 56 bits available afterwards (zeros past the end).
    void Refill();
    void Ensure(int n)
    {
        if (Count < n)
            Refill();
    }
    std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(Bits & ((std::uint64_t{1} << n) - 1)); }
    void Drop(int n)
    {
        Bits >>= n;
        Count -= n;
    }
    // n <= 32 bits.
    std::uint32_t Take(int n)
    {
        Ensure(n);
        const std::uint32_t value = Peek(n);
        Drop(n);
        return value;
    }
    void AlignToByte() { Drop(Count % 8); }
    bool PastEnd() const { return Count < ZeroBits; }

private:
    std::FILE* File = nullptr;
    std::vector<std::uint8_t> Buffer;
    size_t At = 0, Size = 0;
    std::uint64_t Bits = 0;
    int Count = 0;     // bits in Bits
    int ZeroBits = 0;  // of them, how many are padding past the file's end
};

// A canonical Huffman code: the codes of up to kFastBits bits through one
// table look-up, longer ones bit by bit.
struct THuffmanCode {
    static constexpr int kFastBits = 10;
    static constexpr int kMaxBits = 15;
    // False for lengths that over-subscribe the code.
    bool Build(const std::uint8_t* lengths, int symbols);
    // The next symbol, or -1 for bits that are no code.
    int Decode(TBitInput& in) const;

    std::uint16_t Fast[1 << kFastBits];  // (symbol << 4) | length; 0: a longer code
    std::uint16_t Count[kMaxBits + 1];   // codes of each length
    std::uint16_t Symbols[288];          // by code
};

class TInflater {
public:
    // A new stream starts with its first block header.
    void Reset() { State = BlockHeader; }
    bool Finished() const { return State == Done; }
    bool IsDamaged() const { return State == Damaged; }
    // Decodes into at, up to stop, the stream's end or damage; a match may
    // run up to 258 bytes past stop, and reach back to window. Returns the
    // end of what was written.
    std::uint8_t* Decode(TBitInput& in, std::uint8_t* at, const std::uint8_t* stop, const std::uint8_t* window);

private:
    bool ReadBlockHeader(TBitInput& in);
    bool ReadDynamicCodes(TBitInput& in);

    enum { BlockHeader, Stored, Codes, Done, Damaged } State = BlockHeader;
    bool LastBlock = false;
    std::uint32_t StoredLeft = 0;
    THuffmanCode Literals, Distances;
};
