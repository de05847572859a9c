#include "text/Encoding.h"

#include <gtest/gtest.h>

using namespace wb;

TEST(Encoding, GbkCharactersKeepTheirGbkBytes) {
    EXPECT_EQ(utf8ToGbk("姓名"), "\xD0\xD5\xC3\xFB");
    EXPECT_EQ(gbkToUtf8("\xD0\xD5\xC3\xFB"), "姓名");
    EXPECT_EQ(utf16ToGbk(u"管理10级"), utf8ToGbk("管理10级"));
    EXPECT_EQ(utf8ToGbk("plain ascii"), "plain ascii");
}

TEST(Encoding, CharactersOutsideGbkSurviveTheRoundTrip) {
    // Rare name characters and emoji are not in GBK; GB18030 carries them as four bytes.
    for (const char* text : {"𠀀", "䶵", "王𪚥", "€", "😀"}) {
        const std::string bytes = utf8ToGbk(text);
        EXPECT_EQ(bytes.find('?'), std::string::npos) << text;
        EXPECT_EQ(gbkToUtf8(bytes), text);
    }
    EXPECT_EQ(utf16ToGbk(u"王𪚥"), utf8ToGbk("王𪚥"));
}

TEST(Encoding, BrokenInputIsReplacedNotFatal) {
    // Half a double-byte character, as a 20-byte cut can leave it.
    EXPECT_EQ(gbkToUtf8("ab\xB1"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(gbkToUtf8("\xB1 x"), "\xEF\xBF\xBD x");
    const std::u16string loneSurrogate = {u'a', char16_t(0xD800), u'b'};
    EXPECT_EQ(gbkToUtf8(utf16ToGbk(loneSurrogate)), "a\xEF\xBF\xBD"
                                                    "b");
}

TEST(Encoding, CodePageBytesBecomeGbk) {
    EXPECT_EQ(codePageToGbk("\xD0\xD5", 936), "\xD0\xD5");
    EXPECT_EQ(gbkToUtf8(codePageToGbk("caf\xE9", 1252)), "café");
    EXPECT_EQ(gbkToUtf8(codePageToGbk("caf\xE9", 99999)), "café");
}
