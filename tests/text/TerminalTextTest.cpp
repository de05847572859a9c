#include "text/TerminalText.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace wb;

TEST(TerminalSafe, ControlCharactersBecomeVisible) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"colour sequence", "甲\x1b[31m乙", "甲\\x1b[31m乙"},
        {"CR, TAB and DEL", "a\rb\tc\x7f", "a\\x0db\\x09c\\x7f"},
        {"NUL and the last C0 control", std::string("a\0b\x1f", 4), "a\\x00b\\x1f"},
        {"C1 controls at both ends of the range", "\xC2\x80x\xC2\x9B[2J\xC2\x9F",
         "\\u0080x\\u009b[2J\\u009f"},
        {"line breaks stay", "一\n二\n", "一\n二\n"},
        {"backslash, blank, tilde and U+00A0 stay", "a\\x1b ~\xC2\xA0", "a\\x1b ~\xC2\xA0"},
        // Continuation bytes in the C1 range inside other characters are no controls.
        {"characters whose bytes look like C1", "\xE2\x80\x9C\xE4\xB8\x80\xC3\x80",
         "\xE2\x80\x9C\xE4\xB8\x80\xC3\x80"},
        {"a lone C2 at the end", "a\xC2", "a\xC2"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(terminalSafe(c.in), c.out) << c.name;
}
