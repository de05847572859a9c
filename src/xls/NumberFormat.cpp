#include "xls/NumberFormat.h"

namespace wb::xls {

bool isBuiltInDateFormat(int index) {
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) ||
           (index >= 45 && index <= 47) || (index >= 50 && index <= 58) ||
           (index >= 71 && index <= 81);
}

bool isDateFormatText(std::u16string_view format) {
    enum class State { Plain, Quoted, Escaped, Bracketed } state = State::Plain;
    int dateParts = 0;
    int digitParts = 0;
    for (char16_t unit : format) {
        switch (state) {
        case State::Quoted:
            if (unit == u'"')
                state = State::Plain;
            continue;
        case State::Escaped:
            state = State::Plain;
            continue;
        case State::Bracketed:
            if (unit == u']')
                state = State::Plain;
            continue;
        case State::Plain:
            break;
        }
        switch (unit) {
        case u'"':
            state = State::Quoted;
            break;
        case u'\\':
        case u'_':
        case u'*':
            state = State::Escaped;
            break;
        case u'[':
            state = State::Bracketed;
            break;
        case u'y':
        case u'Y':
        case u'm':
        case u'M':
        case u'd':
        case u'D':
        case u'h':
        case u'H':
        case u's':
        case u'S':
            ++dateParts;
            break;
        case u'0':
        case u'#':
        case u'?':
            ++digitParts;
            break;
        default:
            break;
        }
    }
    return dateParts > digitParts;
}

} // namespace wb::xls
