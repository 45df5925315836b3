#pragma once
// TGzipReader: a gzip file read strictly forward, as the land map is: its
// members one after the other, each inflated by TInflater; a file that is
// not gzip is read as it is. Trailing bytes that are no member end the data.
// The members' checksums are not verified: damage that breaks the deflate
// stream ends the data, and a reader that skips most of a file could not
// check them without inflating all of it anyway.
//
// Threads: one object, one thread.
#include "maps/Inflater.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <vector>

class TGzipReader {
public:
    TGzipReader() = default;
    ~TGzipReader();
    TGzipReader(const TGzipReader&) = delete;
    TGzipReader& operator=(const TGzipReader&) = delete;

    // False when the file cannot be opened.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return File != nullptr; }
    // Back to the first byte of the data.
    void Rewind();
    // False, having read what there was, at the end of the data or on damage.
    bool Read(void* buffer, std::int64_t bytes);
    bool Skip(std::int64_t bytes);

private:
    bool StartMember();
    bool Fill();

    std::FILE* File = nullptr;
    bool Plain = false;  // not gzip: the file's bytes as they are
    bool Ended = false;
    TBitInput Input;
    TInflater Inflater;
    // The decoded bytes from Next to End; the 32 KB before Next stay for the
    // matches that reach back.
    std::vector<std::uint8_t> Window;
    size_t Next = 0, End = 0;
    std::int64_t MemberBytes = 0;  // written by the current member
};
