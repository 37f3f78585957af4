#include "strutil.h"

#include <gtest/gtest.h>

using Pieces = std::vector<std::string>;

TEST(Tokenize, SplitsAtWholeDelimitersAndKeepsEmptyPieces)
{
    EXPECT_EQ(Tokenize("a^^^^b", "^^"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(Tokenize("a^^", "^^"), (Pieces{"a", ""}));
    EXPECT_EQ(Tokenize("a^^b^c", "^^"), (Pieces{"a", "b^c"}));
    EXPECT_EQ(Tokenize("^^a", "^^"), (Pieces{"", "a"}));
    EXPECT_EQ(Tokenize("a^^^b", "^^"), (Pieces{"a", "^b"}));
    EXPECT_EQ(Tokenize("^b^5", "^"), (Pieces{"", "b", "5"}));
    EXPECT_EQ(Tokenize("", "^"), Pieces{});
    EXPECT_EQ(Tokenize("abc", "^"), Pieces{"abc"});
    EXPECT_EQ(Tokenize("abc", ""), Pieces{"abc"});
}

TEST(Tokenize, PiecesMadeOnlyOfDelimiterCharactersComeOutEmpty)
{
    EXPECT_EQ(Tokenize("^^^^^", "^^"), (Pieces{"", "", ""})); // last piece "^" is only delimiter characters
    EXPECT_EQ(Tokenize("ab-ba-xy", "ab"), (Pieces{"", "-ba-xy"}));
    EXPECT_EQ(Tokenize("baab", "ab"),
              (Pieces{"", ""})); // "ba" before the delimiter holds only its characters
}

TEST(Tokenize, AlwaysOneMorePieceThanDelimiters)
{
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "^";
    }
    EXPECT_EQ(Tokenize(text, "^").size(), 5001u);
    EXPECT_EQ(Tokenize(text, "^^").size(), 2501u);
}

TEST(Trim, RemovesOnlyTheGivenCharactersAtTheEnds)
{
    const std::string blanks = " \t\r\n";
    EXPECT_EQ(trim_both("   ", blanks), "");
    EXPECT_EQ(trim_both(" \t value with  inside \r\n", blanks), "value with  inside");
    EXPECT_EQ(trim_right("xxabcxx", "x"), "xxabc");
    EXPECT_EQ(trim_left("xxabcxx", "x"), "abcxx");
    EXPECT_EQ(trim_both(" a ", ""), " a ");
    EXPECT_EQ(trim_both("", blanks), "");
}

TEST(SanitizeFilename, ReplacesEveryNonAlphanumericByteOneForOne)
{
    EXPECT_EQ(sanitizeFilename("a-b.c"), "aXbXc");
    EXPECT_EQ(sanitizeFilename("4af52202f77beb11ba59ce2056aa7878"), "4af52202f77beb11ba59ce2056aa7878");
    EXPECT_EQ(sanitizeFilename("../../etc/passwd"), "XXXXXXetcXpasswd");
    EXPECT_EQ(sanitizeFilename("caf\xc3\xa9 x"), "cafXXXx");
    EXPECT_EQ(sanitizeFilename(std::string("a\0b", 3)), "aXb");
}

TEST(ParseLeadingInt, BehavesLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(ParseLeadingInt("42abc"), 42);
    EXPECT_EQ(ParseLeadingInt("  -7"), -7);
    EXPECT_EQ(ParseLeadingInt("+8"), 8);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("4294967297"), 1);               // low 32 bits
    EXPECT_EQ(ParseLeadingInt("99999999999999999999999"), -1); // saturated long, low 32 bits
}
