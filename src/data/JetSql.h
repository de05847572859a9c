#pragma once
// The Jet dialect the import writes its statements in, and the one helper that places a
// value into statement text.

#include <string>
#include <string_view>

namespace wb {

// A value for placing between single quotes in a statement: every quote doubled, so a
// quote in a code, a name or a department code is stored as it is.
std::string escapeSqlText(std::string_view value);

} // namespace wb
