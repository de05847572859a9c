#pragma once

#include <memory>
#include <string>

namespace wb {

class Connection;

// ADOQuery1: runs statements written in the Jet dialect (GBK text) that return no rows.
// The text is translated for the engine once per statement shape (the text with its
// literal values taken out), and that shape's statement is prepared once; the values are
// bound on each run. Texts reach the database as UTF-8.
class StatementRunner {
public:
    explicit StatementRunner(Connection& connection);
    ~StatementRunner();
    StatementRunner(const StatementRunner&) = delete;
    StatementRunner& operator=(const StatementRunner&) = delete;

    // Replaces the statement text (Jet dialect, GBK bytes).
    void setText(std::string jetGbk);
    // Runs the statement. Throws wb::Error with the engine's reason when it is rejected
    // (including a text that is no date written into a date column); a rejected statement
    // changes nothing.
    void exec();

private:
    struct Impl;
    Connection& connection_;
    std::string text_;
    std::unique_ptr<Impl> impl_;
};

} // namespace wb
