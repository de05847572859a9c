// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records everything the engine tells the user, in UTF-8 for readable test failures.

#include "import/UserInterface.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"

#include <functional>
#include <string>
#include <vector>

namespace wb::test {

struct RecordingUi : UserInterface {
    std::vector<std::string> runLog;
    std::vector<std::string> errors; // as shown
    std::vector<ErrorLine> errorLines;
    std::vector<std::string> boxes; // "caption|text|flags"
    std::string status[2];
    int eventsProcessed = 0;
    bool abort = false;
    // Called from processEvents, to act "during" a run (press Abort, look at the database).
    std::function<void(RecordingUi&)> onEvents;

    void addRunLog(const Gbk& line) override { runLog.push_back(gbkToUtf8(line)); }
    void addError(const ErrorLine& error) override {
        errors.push_back(gbkToUtf8(error.line()));
        errorLines.push_back(error);
    }
    void setStatus(int panel, const Gbk& text) override { status[panel] = gbkToUtf8(text); }
    void showMessage(const Gbk& text, const Gbk& caption, int flags) override {
        boxes.push_back(gbkToUtf8(caption) + "|" + gbkToUtf8(text) + "|" + std::to_string(flags));
    }
    void processEvents() override {
        ++eventsProcessed;
        if (onEvents)
            onEvents(*this);
    }
    void clearAbort() override { abort = false; }
    bool abortRequested() const override { return abort; }
};

} // namespace wb::test
