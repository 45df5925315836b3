#include "maps/Inflater.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kInputBytes = 64 * 1024;

// Lengths 3..258 and distances 1..32768: the base of each code and its extra bits.
constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the code lengths of its code-length code.
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

std::uint32_t Reversed(std::uint32_t code, int bits)
{
    std::uint32_t reversed = 0;
    for (int i = 0; i < bits; ++i, code >>= 1)
        reversed = (reversed << 1) | (code & 1);
    return reversed;
}

// A match: length bytes from distance back, which may overlap what it writes.
void CopyMatch(std::uint8_t* at, int distance, int length)
{
    if (distance == 1) {
        std::memset(at, at[-1], static_cast<size_t>(length));
        return;
    }
    while (length > 0) {
        const int chunk = std::min(distance, length);
        std::memcpy(at, at - distance, static_cast<size_t>(chunk));
        at += chunk;
        length -= chunk;
    }
}

}  // namespace

// ---- bits ----

void TBitInput::Start(std::FILE* file)
{
    File = file;
    Buffer.resize(kInputBytes);
    At = Size = 0;
    Bits = 0;
    Count = ZeroBits = 0;
}

void TBitInput::Refill()
{
    if (Size - At >= 8) {
        // Eight bytes at once; only the whole bytes that fit are counted, and
        // the bits above Count are cleared for the next refill.
        std::uint64_t word = 0;
        for (int i = 7; i >= 0; --i)
            word = (word << 8) | Buffer[At + i];
        const int bytes = (64 - Count) / 8;
        Bits |= word << Count;
        At += bytes;
        Count += 8 * bytes;
        if (Count < 64)
            Bits &= (std::uint64_t{1} << Count) - 1;
        return;
    }
    while (Count <= 56) {
        if (At == Size) {
            Size = std::fread(Buffer.data(), 1, Buffer.size(), File);
            At = 0;
            if (Size == 0) {
                Count += 8;
                ZeroBits += 8;
                continue;
            }
        }
        Bits |= std::uint64_t{Buffer[At++]} << Count;
        Count += 8;
    }
}

// ---- Huffman codes ----

bool THuffmanCode::Build(const std::uint8_t* lengths, int symbols)
{
    std::fill(std::begin(Count), std::end(Count), 0);
    for (int s = 0; s < symbols; ++s)
        ++Count[lengths[s]];
    Count[0] = 0;
    int left = 1;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        left = 2 * left - Count[bits];
        if (left < 0)
            return false;
    }
    std::uint16_t offsets[kMaxBits + 2] = {};
    std::uint32_t next[kMaxBits + 1] = {};
    for (int bits = 1, code = 0; bits <= kMaxBits; ++bits) {
        offsets[bits + 1] = offsets[bits] + Count[bits];
        code = (code + Count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::fill(std::begin(Fast), std::end(Fast), 0);
    for (int s = 0; s < symbols; ++s) {
        const int bits = lengths[s];
        if (bits == 0)
            continue;
        Symbols[offsets[bits]++] = static_cast<std::uint16_t>(s);
        const std::uint32_t code = next[bits]++;
        if (bits <= kFastBits)
            for (std::uint32_t i = Reversed(code, bits); i < (1u << kFastBits); i += 1u << bits)
                Fast[i] = static_cast<std::uint16_t>((s << 4) | bits);
    }
    return true;
}

int THuffmanCode::Decode(TBitInput& in) const
{
    in.Ensure(kMaxBits);
    if (const int entry = Fast[in.Peek(kFastBits)]) {
        in.Drop(entry & 15);
        return entry >> 4;
    }
    // Canonical codes of one length are consecutive numbers: walk the
    // lengths, a bit at a time, until the code falls inside one.
    const std::uint32_t bits = in.Peek(kMaxBits);
    int code = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
        code |= (bits >> (length - 1)) & 1;
        const int count = Count[length];
        if (code - first < count) {
            in.Drop(length);
            return Symbols[index + code - first];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

// ---- blocks ----

bool TInflater::ReadBlockHeader(TBitInput& in)
{
    LastBlock = in.Take(1);
    switch (in.Take(2)) {
    case 0: {
        in.AlignToByte();
        const std::uint32_t length = in.Take(16);
        if ((length ^ in.Take(16)) != 0xFFFF)
            return false;
        StoredLeft = length;
        State = Stored;
        return true;
    }
    case 1: {
        std::uint8_t lengths[288 + 30];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        std::fill(lengths + 288, lengths + 318, 5);
        Literals.Build(lengths, 288);
        Distances.Build(lengths + 288, 30);
        State = Codes;
        return true;
    }
    case 2:
        if (!ReadDynamicCodes(in))
            return false;
        State = Codes;
        return true;
    default:
        return false;
    }
}

bool TInflater::ReadDynamicCodes(TBitInput& in)
{
    const int literals = static_cast<int>(in.Take(5)) + 257;
    const int distances = static_cast<int>(in.Take(5)) + 1;
    const int codeLengths = static_cast<int>(in.Take(4)) + 4;
    if (literals > 286 || distances > 30)
        return false;
    std::uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < codeLengths; ++i)
        lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(in.Take(3));
    THuffmanCode lengthCode;
    if (!lengthCode.Build(lengths, 19))
        return false;
    std::fill(std::begin(lengths), std::end(lengths), 0);
    for (int at = 0; at < literals + distances;) {
        const int symbol = lengthCode.Decode(in);
        if (symbol < 0)
            return false;
        if (symbol < 16) {
            lengths[at++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t value = 0;
        int repeat = 0;
        if (symbol == 16) {
            if (at == 0)
                return false;  // nothing to repeat
            value = lengths[at - 1];
            repeat = 3 + static_cast<int>(in.Take(2));
        } else if (symbol == 17) {
            repeat = 3 + static_cast<int>(in.Take(3));
        } else {
            repeat = 11 + static_cast<int>(in.Take(7));
        }
        if (at + repeat > literals + distances)
            return false;
        std::fill(lengths + at, lengths + at + repeat, value);
        at += repeat;
    }
    if (lengths[256] == 0)
        return false;  // a block must be able to end
    return Literals.Build(lengths, literals) && Distances.Build(lengths + literals, distances) && !in.PastEnd();
}

std::uint8_t* TInflater::Decode(TBitInput& in, std::uint8_t* at, const std::uint8_t* stop, const std::uint8_t* window)
{
    // Each step is checked before it writes, so on damage what was written
    // is still the stream's true output.
    auto damaged = [&] {
        State = Damaged;
        return at;
    };
    while (at < stop) {
        switch (State) {
        case Done:
        case Damaged: return at;
        case BlockHeader:
            if (!ReadBlockHeader(in) || in.PastEnd())
                return damaged();
            continue;
        case Stored:
            for (; StoredLeft > 0 && at < stop; --StoredLeft) {
                const auto byte = static_cast<std::uint8_t>(in.Take(8));
                if (in.PastEnd())
                    return damaged();
                *at++ = byte;
            }
            if (StoredLeft == 0)
                State = LastBlock ? Done : BlockHeader;
            continue;
        case Codes: break;
        }
        const int symbol = Literals.Decode(in);
        if (symbol < 0 || symbol > 285 || in.PastEnd())
            return damaged();
        if (symbol < 256) {
            *at++ = static_cast<std::uint8_t>(symbol);
            continue;
        }
        if (symbol == 256) {
            State = LastBlock ? Done : BlockHeader;
            continue;
        }
        const int lengthCode = symbol - 257;
        const int length = kLengthBase[lengthCode] + static_cast<int>(in.Take(kLengthExtra[lengthCode]));
        const int distanceCode = Distances.Decode(in);
        if (distanceCode < 0 || distanceCode > 29)
            return damaged();
        const int distance = kDistanceBase[distanceCode] + static_cast<int>(in.Take(kDistanceExtra[distanceCode]));
        if (distance > at - window || in.PastEnd())
            return damaged();
        CopyMatch(at, distance, length);
        at += length;
    }
    return at;
}
