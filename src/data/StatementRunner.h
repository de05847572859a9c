// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"
#include "text/Gbk.h"

#include <string>

namespace wb {

class Connection;

// Runs statements written in the Jet dialect (GBK text) that return no rows, on the office's
// connection (the database renders the dialect for its engine).
class StatementRunner {
public:
    explicit StatementRunner(Connection& connection);
    ~StatementRunner();
    StatementRunner(const StatementRunner&) = delete;
    StatementRunner& operator=(const StatementRunner&) = delete;

    // Replaces the statement text (Jet dialect, GBK bytes).
    void setText(Gbk jet);
    // Runs the statement. Throws wb::Error with the engine's reason when it is rejected
    // (including a text that is no date written into a date column; a rejected statement
    // changes nothing), DatabaseFailure when the database itself fails.
    void exec();
    // Runs the statement, handing a refusal to `refused`, perhaps only when the database
    // settles (Database::executeDeferred).
    void execDeferred(const Database::Refusal& refused);

private:
    Connection& connection_;
    Gbk text_;
};

} // namespace wb
