#pragma once

#include "text/Error.h"

namespace wb {

// A failure of the database itself rather than of one record: the disk is full, the file
// cannot be read or written, it is read-only, locked by another program, damaged, gone or
// replaced, or the engine abandoned the open transaction. Nothing more can be stored, so it
// ends a run instead of being listed against one row and passed over.
class DatabaseFailure : public Error {
public:
    using Error::Error;
};

} // namespace wb
