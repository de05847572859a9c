// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's user interface on a terminal: run log and message boxes on stdout, the error
// list on stderr, every line flushed as it is written (a reader of a pipe or file sees each
// imported name when it is logged, and after a kill the log still holds every name logged).
// Ctrl-C asks a run to stop.

#include "import/UserInterface.h"
#include "xls/PasswordPrompt.h"

#include <string>
#include <vector>

namespace wb::cli {

class TerminalUi : public UserInterface {
public:
    // askPassword answers askPassword() (none: no password is given).
    explicit TerminalUi(PasswordPrompt askPassword = {}) : askPassword_(std::move(askPassword)) {}

    // The first Ctrl-C asks the run to stop after the row in progress; a second one ends the
    // program at once (each row is committed whole, so nothing half-written stays).
    static void installAbortHandler();

    void addRunLog(const Gbk& line) override;
    void addError(const ErrorLine& error) override;
    void setStatus(int, const Gbk&) override {}
    void showMessage(const Gbk& text, const Gbk& caption, int flags) override;
    void processEvents() override {}
    void clearAbort() override;
    bool abortRequested() const override;
    std::optional<std::string> askPassword(const std::string& workbook) override;

    // Every error-list line of the run, in its parts.
    const std::vector<ErrorLine>& errors() const { return errors_; }

private:
    std::vector<ErrorLine> errors_;
    PasswordPrompt askPassword_;
};

} // namespace wb::cli
