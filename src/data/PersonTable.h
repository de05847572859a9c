// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/CellValue.h"
#include "text/Gbk.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace wb {

class Connection;

// The person table component: appends rows to one table field by field. Opening reads the column
// names and types only, never the rows. Each value is converted to its column's type when it is
// set:
//   INTEGER column: an integer, a whole number, or a text that is a whole number
//                   (blanks around it allowed); anything else fails;
//   REAL column:    a number, or a text that is a decimal number;
//   TEXT column:    a text as it is, an integer in decimal, a cell as its text (a number
//                   as its general text: 12 -> "12", 12.5 -> "12.5");
//   DATE column:    a date text in any form the date parser reads, a date cell or a
//                   number (days from 1899-12-30), stored as "yyyy-mm-dd" (with
//                   " hh:mm:ss" when there is a time of day); anything else fails.
// An empty cell sets the field to the empty value (NULL) whatever its type; an error cell
// (#N/A, ...) fails. Post inserts only the fields that were set (the others take the
// column defaults) and reads back the new id. Texts are GBK here and UTF-8 in the database.
class PersonTable {
public:
    PersonTable(Connection& connection, std::string table);
    ~PersonTable();
    PersonTable(const PersonTable&) = delete;
    PersonTable& operator=(const PersonTable&) = delete;

    void open();  // throws wb::Error when the table does not exist; nothing when open
    void close(); // discards a pending record
    bool isOpen() const;

    // Starts a new record. Settles a record still pending first (never posted, or whose
    // post failed): posts it when it has set fields (a failure is thrown to the caller and
    // the record stays pending), else drops it. Throws when the table is not open.
    void append();
    // Set a field of the pending record by column name (any case); throw wb::Error when
    // there is no pending record, the column does not exist or cannot take the value (the
    // field then keeps what it had).
    void setText(std::string_view column, const Gbk& text);
    void setInteger(std::string_view column, std::int32_t value);
    void setCell(std::string_view column, const CellValue& value);
    // Inserts the pending record (outside a unit it is committed on its own);
    // throws wb::Error when there is none or the database rejects it (the record then stays
    // pending; DatabaseFailure when the database itself fails), and when its new id does not
    // fit 32 bits (the record is then taken out).
    void post();
    // The id the database gave the last posted record; 0 before the first post.
    std::int32_t id() const;
    // Discards the pending record.
    void cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace wb
