// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/GbkText.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;
using test::bytesOf;
using Lines = std::vector<std::string>;

TEST(Trim, RemovesBlanksAndControlBytesButNotDoubleByteText) {
    EXPECT_EQ(trim(bytes(std::string_view(" \t\r\n\x01 ab c\x1F\x20", 12))).bytes(), "ab c");
    EXPECT_EQ(trim(bytes(std::string_view("\0x\0", 3))).bytes(), "x");
    EXPECT_EQ(trim("   "_ascii).bytes(), "");
    // 0xA1A1 is the GBK ideographic space: a character, not a blank byte.
    EXPECT_EQ(trim(bytes("\xA1\xA1x\xA1\xA1")).bytes(), "\xA1\xA1x\xA1\xA1");
}

TEST(SplitLines, BreakVariantsGiveTheSameLines) {
    const Lines expected{"a", "", "b"};
    EXPECT_EQ(bytesOf(splitLines("a\n\nb"_ascii)), expected);
    EXPECT_EQ(bytesOf(splitLines("a\r\n\r\nb"_ascii)), expected);
    EXPECT_EQ(bytesOf(splitLines("a\r\rb"_ascii)), expected);
    EXPECT_EQ(bytesOf(splitLines("a\r\n\rb"_ascii)), expected);
}

TEST(SplitLines, EndBreakAddsNoLineButLoneBreakIsOneEmptyLine) {
    EXPECT_EQ(bytesOf(splitLines("a\n"_ascii)), Lines{"a"});
    EXPECT_EQ(bytesOf(splitLines("a\r\n"_ascii)), Lines{"a"});
    EXPECT_EQ(bytesOf(splitLines("a\n\n"_ascii)), (Lines{"a", ""}));
    EXPECT_EQ(bytesOf(splitLines("\n"_ascii)), Lines{""});
    EXPECT_EQ(bytesOf(splitLines(""_ascii)), Lines{});
    // LF then CR is two breaks.
    EXPECT_EQ(bytesOf(splitLines("a\n\rb"_ascii)), (Lines{"a", "", "b"}));
}

TEST(SplitLines, TextEndsAtFirstNul) {
    EXPECT_EQ(bytesOf(splitLines(bytes(std::string_view("a\nb\0c\nd", 7)))), (Lines{"a", "b"}));
    EXPECT_EQ(bytesOf(splitLines(bytes(std::string_view("\0a", 2)))), Lines{});
}

TEST(ByteRange, CountsBytesFromOneAndMayCutACharacter) {
    const Gbk text = "1990.07"_ascii + gbk("本科");
    EXPECT_EQ(byteRange(text, 1, 4).bytes(), "1990");
    EXPECT_EQ(byteRange(text, 6, 7).bytes(), "07");
    EXPECT_EQ(byteRange(text, 8, 27), gbk("本科"));
    EXPECT_EQ(byteRange(text, 8, 8), gbk("本").substr(0, 1));
    EXPECT_EQ(byteRange(text, 12, 20).bytes(), "");
    EXPECT_EQ(byteRange("abc"_ascii, 3, 100).bytes(), "c");
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
