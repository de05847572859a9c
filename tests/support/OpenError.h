// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What opening a workbook that cannot be read says.

#include "text/Error.h"

#include <functional>
#include <string>

namespace wb::test {

// The message of the wb::Error that `open` throws; "(opened)" when it throws none.
inline std::string openErrorOf(const std::function<void()>& open) {
    try {
        open();
    } catch (const Error& e) {
        return e.what();
    }
    return "(opened)";
}

// The message for the workbook at `path` (as given to the opener) that cannot be read.
inline std::string unreadable(const std::string& path, const std::string& why) {
    return "工作簿 \"" + path + "\" 无法读取: " + why;
}

} // namespace wb::test
