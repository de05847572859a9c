// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the opener of workbooks asks for the password of a workbook encrypted with one: the
// window asks in a dialog, the command lines on the terminal or standard input.

#include <functional>
#include <optional>
#include <string>

namespace wb {

// Asks for the password to open the workbook displayName (UTF-8); the password (UTF-8),
// or nullopt when the user gives none. The caller wipes the password after use.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& displayName)>;

} // namespace wb
