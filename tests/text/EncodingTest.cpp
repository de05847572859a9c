#include "text/Encoding.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

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
