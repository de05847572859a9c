#pragma once

#include "text/Error.h"

#include <string>

namespace wb {

// A failure of the database itself rather than of one record: the disk is full, the file
// cannot be read or written, it is read-only, locked by another program, damaged, gone or
// replaced, or the engine abandoned the open transaction. Nothing more can be stored, so it
// ends a run instead of being listed against one row and passed over.
class DatabaseFailure : public Error {
public:
    using Error::Error;
};

// The cause of an engine failure in words a clerk can act on (UTF-8), from the engine's
// result code and the operating system's error number behind it (0 when none); empty when
// the code names no cause of its own (a rejected statement: the engine's text says why).
std::string failureCause(int engineCode, int systemErrno);

// Whether a failure with this engine result code is one of the database itself (see
// DatabaseFailure) rather than the rejection of one statement.
bool isDatabaseFailure(int engineCode);

} // namespace wb
