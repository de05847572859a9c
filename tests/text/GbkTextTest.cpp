#include "text/GbkText.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

using namespace wb;
using Lines = std::vector<std::string>;

TEST(Trim, RemovesBlanksAndControlBytesButNotDoubleByteText) {
    EXPECT_EQ(trim(std::string(" \t\r\n\x01 ab c\x1F\x20", 12)), "ab c");
    EXPECT_EQ(trim(std::string("\0x\0", 3)), "x");
    EXPECT_EQ(trim("   "), "");
    // 0xA1A1 is the GBK ideographic space: a character, not a blank byte.
    EXPECT_EQ(trim("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");
}

TEST(SplitLines, BreakVariantsGiveTheSameLines) {
    const Lines expected{"a", "", "b"};
    EXPECT_EQ(splitLines("a\n\nb"), expected);
    EXPECT_EQ(splitLines("a\r\n\r\nb"), expected);
    EXPECT_EQ(splitLines("a\r\rb"), expected);
    EXPECT_EQ(splitLines("a\r\n\rb"), expected);
}

TEST(SplitLines, EndBreakAddsNoLineButLoneBreakIsOneEmptyLine) {
    EXPECT_EQ(splitLines("a\n"), Lines{"a"});
    EXPECT_EQ(splitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(splitLines("a\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(splitLines("\n"), Lines{""});
    EXPECT_EQ(splitLines(""), Lines{});
    // LF then CR is two breaks.
    EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, TextEndsAtFirstNul) {
    EXPECT_EQ(splitLines(std::string("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines(std::string("\0a", 2)), Lines{});
}

TEST(ByteRange, CountsBytesFromOneAndMayCutACharacter) {
    const std::string text = "1990.07" + gbk("本科");
    EXPECT_EQ(byteRange(text, 1, 4), "1990");
    EXPECT_EQ(byteRange(text, 6, 7), "07");
    EXPECT_EQ(byteRange(text, 8, 27), gbk("本科"));
    EXPECT_EQ(byteRange(text, 8, 8), gbk("本").substr(0, 1));
    EXPECT_EQ(byteRange(text, 12, 20), "");
    EXPECT_EQ(byteRange("abc", 3, 100), "c");
}

TEST(ParseWholeNumber, AcceptsOnlySignAndDigitsInRange) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"6", 6},
        {"-6", -6},
        {"+6", 6},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", {}},
        {"12.5", {}},
        {"abc", {}},
        {"", {}},
        {" 6", {}},
        {"6 ", {}},
        {"-", {}},
        {"+", {}},
        {"+-6", {}},
        {"1e3", {}},
        {"0x10", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseWholeNumber(c.text), c.value) << "text: " << c.text;
}
