// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Error.h"

#include <stdexcept>
#include <string>

namespace wb {

// A failure of the database itself rather than of one record: the disk is full, the file
// cannot be read or written, it is read-only, locked by another program, damaged, gone or
// replaced, or the engine abandoned the open transaction. Nothing more can be stored, so it
// ends a run instead of being listed against one row and passed over: it is no wb::Error,
// and no handler of one takes it.
class DatabaseFailure : public Failure {
public:
    explicit DatabaseFailure(const std::string& utf8Message) : text_(utf8Message) {}
    const char* what() const noexcept override { return text_.what(); }

private:
    std::runtime_error text_; // copied without allocating, as a thrown object must be
};

} // namespace wb
