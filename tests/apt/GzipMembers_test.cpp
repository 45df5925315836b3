#include "AptTestHelpers.h"
#include "apt/GzipMembers.h"

#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

using apttest::GzipMember;

std::string Text(int index, size_t bytes)
{
    std::string text;
    for (size_t i = 0; text.size() < bytes; ++i)
        text += std::to_string(index * 1000003 + i * 7919) + ' ';
    text.resize(bytes);
    return text;
}

// The texts the members decode to, in file order; false when decoding fails.
bool Decode(const Bytes& file, std::string& text, int threads = 3)
{
    const std::vector<apt::TGzipMember> members = apt::FindGzipMembers(file.data(), file.size());
    if (members.empty())
        return false;
    text.assign(members.back().TextOffset + members.back().TextBytes, '\0');
    std::mutex lock;
    return apt::DecompressGzipMembers(file.data(), members, threads,
                                      [&](const apt::TGzipMember& member, const char* part) {
                                          std::lock_guard guard(lock);
                                          text.replace(member.TextOffset, member.TextBytes, part, member.TextBytes);
                                          return true;
                                      });
}

}  // namespace

TEST(GzipMembers, MembersAreFoundAndDecodedInTheirPlaces)
{
    Bytes file;
    std::string whole;
    const size_t sizes[] = {40000, 1, 250000, 17, 90000};
    for (int i = 0; i < 5; ++i) {
        const std::string text = Text(i, sizes[i]);
        const Bytes member = GzipMember(text, 9);
        file.insert(file.end(), member.begin(), member.end());
        whole += text;
    }
    const std::vector<apt::TGzipMember> members = apt::FindGzipMembers(file.data(), file.size());
    ASSERT_EQ(members.size(), 5u);
    EXPECT_EQ(members[2].TextOffset, 40001u);
    EXPECT_EQ(members[2].TextBytes, 250000u);
    EXPECT_EQ(members[4].Offset + members[4].PackedBytes, file.size());
    for (int threads : {1, 4}) {
        std::string text;
        ASSERT_TRUE(Decode(file, text, threads)) << threads << " threads";
        EXPECT_TRUE(text == whole) << threads << " threads";
    }
}

TEST(GzipMembers, FilesThatCannotBeSplitSafelyAreRefused)
{
    const Bytes first = GzipMember(Text(1, 30000), 9);
    const Bytes second = GzipMember(Text(2, 30000), 9);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());

    // A stored member shows its text as it is: a header inside it, after
    // what reads as a plausible size, is no member.
    const std::string header("\x10\x00\x00\x00\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\xFF", 14);
    const Bytes stored = GzipMember(Text(3, 5000) + header + Text(4, 5000), 0);
    Bytes planted = first;
    planted.insert(planted.end(), stored.begin(), stored.end());

    Bytes badCrc = both, cutShort = both, trailingBytes = both;
    badCrc[first.size() - 6] ^= 1;
    cutShort.erase(cutShort.begin() + first.size() + 100, cutShort.begin() + first.size() + 103);
    trailingBytes.push_back(0);
    struct Case {
        const char* name;
        Bytes file;
        bool found;  // members are suggested at all
    };
    const Case cases[] = {
        {"a header inside compressed data", planted, true},
        {"a wrong CRC", badCrc, true},
        {"bytes missing inside the last member", cutShort, true},
        {"bytes after the last member", trailingBytes, true},
        {"a member of another writer first", GzipMember(Text(5, 1000), 6), false},
        {"an empty file", Bytes{}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(!apt::FindGzipMembers(c.file.data(), c.file.size()).empty(), c.found) << c.name;
        std::string text;
        EXPECT_FALSE(Decode(c.file, text)) << c.name;
    }
}
