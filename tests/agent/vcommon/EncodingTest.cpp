#include "encoding.h"

#include <gtest/gtest.h>

TEST(Base64, DecodesTheRfc4648Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"},
    };
    for (const auto& [encoded, plain] : vectors) {
        EXPECT_EQ(base64_decode(encoded), plain) << encoded;
    }
    EXPECT_EQ(base64_decode("+/+/"), std::string("\xfb\xff\xbf", 3));
}

TEST(Base64, StopsAtTheFirstPadOrForeignCharacterAndKeepsWhatItHas)
{
    EXPECT_EQ(base64_decode("Zm9v\nYmFy"), "foo"); // a value split over two lines
    EXPECT_EQ(base64_decode("Zm9v YmFy"), "foo");
    EXPECT_EQ(base64_decode("Zm9vY"), "foo"); // a lone trailing character yields nothing
    EXPECT_EQ(base64_decode("Zm=9v"), "f");
    EXPECT_EQ(base64_decode("\x80\xff junk"), "");
    EXPECT_EQ(base64_decode("===="), "");
}

TEST(Base64, AlphabetIsLettersDigitsPlusAndSlash)
{
    int count = 0;
    for (int c = 0; c < 256; ++c) {
        count += is_base64(static_cast<unsigned char>(c)) ? 1 : 0;
    }
    EXPECT_EQ(count, 64);
    EXPECT_TRUE(is_base64('+'));
    EXPECT_TRUE(is_base64('/'));
    EXPECT_FALSE(is_base64('='));
    EXPECT_FALSE(is_base64('-'));
}

TEST(EncodedValues, TagsAreStrippedAndTheRestDecoded)
{
    EXPECT_FALSE(IsEncoded("SGVsbG8="));
    EXPECT_EQ(DecodeAndStripTags("SGVsbG8="), "SGVsbG8="); // base64-looking text without the tag stays
    EXPECT_EQ(DecodeAndStripTags("plain text"), "plain text");

    EXPECT_TRUE(IsEncoded("!ENC!SGVsbG8sIFdvcmxk!ENC!"));
    EXPECT_EQ(DecodeAndStripTags("!ENC!SGVsbG8sIFdvcmxk!ENC!"), "Hello, World");
    EXPECT_EQ(DecodeAndStripTags("SGVs!ENC!bG8="), "Hello"); // every tag is removed, wherever it is
    EXPECT_EQ(DecodeAndStripTags("!ENC!!ENC!!ENC!"), "");
    EXPECT_EQ(DecodeAndStripTags("!ENC!!ENC!ENC!"), base64_decode("ENC")); // scanning goes on after a removal
    EXPECT_EQ(DecodeAndStripTags("!ENC!\xff\xfe garbage !!"), "");
}
