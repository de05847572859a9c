// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Gbk.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace wb {

class Connection;

// A read-only query in the Jet dialect (GBK text), read row by row: the departments, the
// staff list. Its rows are read whole when it opens, so no statement stays open.
class Query {
public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void close();
    // Replaces the statement text; the query must be reopened for it to take effect.
    void setText(Gbk jet);
    // Runs the statement and stands on its first row. Throws wb::Error on failure.
    void open();
    bool isOpen() const;
    // True once the query has moved past its last row (at once when it has none), and
    // while it is closed.
    bool eof() const;
    void next(); // nothing at the end
    // Field of the current row by column name (any case); a column that holds no value
    // reads as 0 or empty text. Throw wb::Error when there is no current row, for an
    // unknown column or a value that is no integer (a whole number, or a text of one).
    std::int32_t fieldInteger(std::string_view column) const;
    Gbk fieldText(std::string_view column) const; // numbers in general form
    // Number of rows the open query yielded; throws when closed.
    int rowCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace wb
