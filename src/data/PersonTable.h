#pragma once

#include "data/CellValue.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace wb {

class Connection;

// ADOTable1: appends rows to one table field by field. Opening reads the column names and
// types only, never the rows. Each value is converted to its column's type when it is set:
// a number into a text column is its general text (12 -> "12"), a date into a date column
// ISO text, a text that is no number into a number column fails. Post inserts only the
// fields that were set (the others take the column defaults) and reads back the new id.
class PersonTable {
public:
    PersonTable(Connection& connection, std::string table);
    ~PersonTable();

    void open();  // throws wb::Error when the table does not exist
    void close(); // discards a pending record
    bool isOpen() const;

    // Starts a new record. Settles a record left pending by a failed post first: posts it
    // again when it has set fields (a failure is thrown to the caller), else drops it.
    void append();
    // Set a field of the pending record by column name; throw wb::Error when the column does
    // not exist or cannot take the value (the field then stays unset).
    void setText(std::string_view column, const std::string& gbk);
    void setInteger(std::string_view column, std::int32_t value);
    void setCell(std::string_view column, const CellValue& value);
    // Inserts the pending record; throws wb::Error when the database rejects it (the record
    // then stays pending).
    void post();
    // The id the database gave the last posted record.
    std::int32_t id() const;
    // Discards the pending record.
    void cancel();

private:
    struct Impl;
    Impl* impl_;
};

} // namespace wb
