// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/ErrorLine.h"
#include "text/Gbk.h"

#include <functional>
#include <optional>
#include <string>

namespace wb {

// Message box flags as the window shows them.
enum MessageFlags : int {
    kPlainMessage = 0, // OK button, no icon
    kStopMessage = 16, // OK button, stop icon
};

// Everything the engine tells the user or asks of the user goes through this interface.
// The window implements it with its controls, the command line with stdout and stderr,
// tests with a recorder.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A line added to the run log (Memo1); lines are only ever added.
    virtual void addRunLog(const Gbk& line) = 0;
    // A line added to the error list (Memo2), shown as error.line().
    virtual void addError(const ErrorLine& error) = 0;
    // Where a line known only later goes (a statement's refusal that the database reports
    // when it settles): the returned function adds it where addError would have added it
    // now. It must be called, if at all, before the run ends. By default, at the end.
    virtual std::function<void(const ErrorLine&)> errorSlot() {
        return [this](const ErrorLine& error) {
            addError(error);
        };
    }
    // Sets a status bar panel: 0 is the staff count, 1 the state of the last run.
    virtual void setStatus(int panel, const Gbk& text) = 0;
    // A modal message box; returns when the user has closed it.
    virtual void showMessage(const Gbk& text, const Gbk& caption, int flags) = 0;
    // Handles pending user input once (Abort clicks among it).
    virtual void processEvents() = 0;
    // Clears the abort request; called when a run starts.
    virtual void clearAbort() = 0;
    // Whether Abort was requested since the run started.
    virtual bool abortRequested() const = 0;
    // Progress of a run: rows done out of rows to do. Optional to show.
    virtual void setProgress(int /*done*/, int /*total*/) {}
    // Asks for the password that opens the protected workbook `workbook` (its path, UTF-8):
    // the password (UTF-8), or nullopt when the user gives none. Never logged or kept. By
    // default nothing is asked.
    virtual std::optional<std::string> askPassword(const std::string& /*workbook*/) {
        return std::nullopt;
    }
};

} // namespace wb
