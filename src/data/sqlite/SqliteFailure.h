// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How SQLite's failures read to a clerk, for every file the program keeps in SQLite.

#include <string>

namespace wb {

// The cause of an SQLite failure in words a clerk can act on (UTF-8), from the engine's
// result code and the operating system's error number behind it (0 when none); empty when
// the code names no cause of its own (a rejected statement: the engine's text says why).
std::string failureCause(int engineCode, int systemErrno);

// Whether a failure with this engine result code is one of the database itself (see
// DatabaseFailure) rather than the rejection of one statement.
bool isDatabaseFailure(int engineCode);

} // namespace wb
