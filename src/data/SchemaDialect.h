// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace wb {

// The engines whose SQL the schema writes: column types, indexes, the program's own tables.
enum class SchemaDialect { Sqlite, Postgres };

} // namespace wb
