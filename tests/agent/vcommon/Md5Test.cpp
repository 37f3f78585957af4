#include "md5.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// RFC 1321, appendix A.5.
const std::pair<const char*, const char*> kSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

std::string HexOf(const unsigned char digest[16])
{
    char hex[33];
    MD5_ToHexString(digest, hex);
    return hex;
}

} // namespace

TEST(Md5, MatchesTheRfc1321TestSuite)
{
    for (const auto& [text, expected] : kSuite) {
        EXPECT_EQ(CreateHash(text), expected) << '"' << text << '"';
        unsigned char digest[16];
        EXPECT_TRUE(MD5_String(text, digest));
        EXPECT_EQ(HexOf(digest), expected);
    }
}

TEST(Md5, IncrementalUpdatesAtEveryBlockBoundaryMatchOneShot)
{
    // Lengths around the 56/64-byte padding boundaries are where a wrong
    // buffer index or bit count shows.
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        const std::string part = text.substr(0, length);
        const std::string expected = CreateHash(part);
        for (size_t split = 0; split <= length; split += 7) {
            VMD5_CTX context;
            VMD5_Init(&context);
            VMD5_Update(&context, reinterpret_cast<const unsigned char*>(part.data()), split);
            VMD5_Update(&context, reinterpret_cast<const unsigned char*>(part.data()) + split,
                        length - split);
            unsigned char digest[16];
            VMD5_Final(digest, &context);
            EXPECT_EQ(HexOf(digest), expected) << "length " << length << " split " << split;
        }
    }
}

TEST(Md5, HashNamesMarkersFromTheTextUpToItsFirstNul)
{
    EXPECT_EQ(CreateHash("unnamed"), "4af52202f77beb11ba59ce2056aa7878");
    EXPECT_EQ(CreateHash(std::string("abc\0def", 7)), CreateHash("abc"));

    unsigned char digest[16];
    EXPECT_TRUE(MD5_String(nullptr, digest));
    EXPECT_EQ(HexOf(digest), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, EncodeWritesLittleEndianWords)
{
    const uint32_t words[2] = {0x04030201u, 0xa0b0c0d0u};
    unsigned char bytes[8];
    Encode(bytes, words, sizeof bytes);
    const unsigned char expected[8] = {0x01, 0x02, 0x03, 0x04, 0xd0, 0xc0, 0xb0, 0xa0};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
}
