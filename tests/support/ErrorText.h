// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a refused action says.

#include "text/Error.h"

#include <functional>
#include <string>

namespace wb::test {

// The message of the wb::Error that `action` throws; "<no error>" when it throws none.
inline std::string errorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "<no error>";
}

} // namespace wb::test
