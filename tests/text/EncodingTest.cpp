// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Encoding.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace wb;
using test::bytes;

TEST(Encoding, GbkCharactersKeepTheirGbkBytes) {
    EXPECT_EQ(utf8ToGbk("姓名"), "\xD0\xD5\xC3\xFB");
    EXPECT_EQ(gbkToUtf8(Gbk::fromBytes("\xD0\xD5\xC3\xFB")), "姓名");
    EXPECT_EQ(utf16ToGbk(u"管理10级"), utf8ToGbk("管理10级"));
    EXPECT_EQ(utf8ToGbk("plain ascii"), "plain ascii");
}

TEST(Encoding, CharactersOutsideGbkSurviveTheRoundTrip) {
    // Rare name characters and emoji are not in GBK; GB18030 carries them as four bytes.
    for (const char* text : {"𠀀", "䶵", "王𪚥", "€", "😀"}) {
        const Gbk gbk = utf8ToGbk(text);
        EXPECT_EQ(gbk.find('?'), Gbk::npos) << text;
        EXPECT_EQ(gbkToUtf8(gbk), text);
    }
    EXPECT_EQ(utf16ToGbk(u"王𪚥"), utf8ToGbk("王𪚥"));
}

TEST(Encoding, BrokenInputIsReplacedNotFatal) {
    // Half a double-byte character, as a 20-byte cut can leave it.
    EXPECT_EQ(gbkToUtf8(Gbk::fromBytes("ab\xB1")), "ab\xEF\xBF\xBD");
    EXPECT_EQ(gbkToUtf8(Gbk::fromBytes("\xB1 x")), "\xEF\xBF\xBD x");
    const std::u16string loneSurrogate = {u'a', char16_t(0xD800), u'b'};
    EXPECT_EQ(gbkToUtf8(utf16ToGbk(loneSurrogate)), "a\xEF\xBF\xBD"
                                                    "b");
}

TEST(Encoding, CodePageBytesBecomeGbk) {
    EXPECT_EQ(codePageToGbk("\xD0\xD5", 936), "\xD0\xD5");
    EXPECT_EQ(gbkToUtf8(codePageToGbk("caf\xE9", 1252)), "café");
    EXPECT_EQ(gbkToUtf8(codePageToGbk("caf\xE9", 99999)), "café");
}

TEST(Encoding, TextSavedInAnotherEncodingIsToldFromGbk) {
    struct Case {
        const char* name;
        std::string bytes;
        ForeignEncoding encoding;
    };
    const Case cases[] = {
        {"empty", "", ForeignEncoding::None},
        {"ASCII", "1=1\r\nkey = value\n", ForeignEncoding::None},
        {"GBK Chinese", gbk("汉族=01\r\n本科=21\r\n在编=1").bytes(), ForeignEncoding::None},
        {"GBK with the euro sign of code page 936", "\x80=1", ForeignEncoding::None},
        {"UTF-8 byte-order mark alone", "\xEF\xBB\xBF", ForeignEncoding::Utf8},
        {"UTF-8 byte-order mark and ASCII", "\xEF\xBB\xBFk=v", ForeignEncoding::Utf8},
        {"UTF-8 Chinese that is no GBK", "汉族=01\r\n在编=1\r\n本科=21", ForeignEncoding::Utf8},
        {"one UTF-8 character", "中=1", ForeignEncoding::Utf8},
        {"UTF-16 LE byte-order mark", std::string("\xFF\xFEk\0=\0", 6), ForeignEncoding::Utf16},
        {"UTF-16 BE byte-order mark", std::string("\xFE\xFF\0k\0=", 6), ForeignEncoding::Utf16},
        // "汉族" in UTF-8 is also six bytes of valid GBK: too close to call, so GBK.
        {"UTF-8 that also reads as GBK", "汉族", ForeignEncoding::None},
        {"neither (half a GBK character)", "a=\xB1", ForeignEncoding::None},
        {"neither (Latin-1)", "caf\xE9=1", ForeignEncoding::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectForeignEncoding(c.bytes), c.encoding) << c.name;
}
