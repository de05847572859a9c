// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/UserInterface.h"

#include <cstddef>
#include <functional>
#include <variant>
#include <vector>

namespace wb {

// The user interface of a run whose rows are committed in groups: the lines a row shows (its
// name in the run log, its error-list lines) are held back until release(), which the run
// calls once the rows are committed, and hands them on in the order they were given. Lines
// of rows rolled back are dropped with them, so what the user saw is always what was stored.
// Everything else (status, boxes, events, abort, progress, passwords) goes through at once.
class HeldLines : public UserInterface {
public:
    explicit HeldLines(UserInterface& shown) : shown_(shown) {}

    // Hands every held line on to the user interface, in order.
    void release();
    // Forgets the held lines: their rows were not stored.
    void drop();
    bool empty() const { return held_.empty(); }
    // How many lines are held: the mark of the lines a row is about to give.
    std::size_t held() const { return held_.size(); }
    // Forgets the lines held since `mark`, late ones still to come included: their row was
    // rolled back.
    void dropFrom(std::size_t mark);
    // While muted, lines are not held: rows written again after a rollback already gave
    // theirs.
    void setMuted(bool muted) { muted_ = muted; }

    void addRunLog(const Gbk& line) override {
        if (!muted_)
            held_.emplace_back(line);
    }
    void addError(const ErrorLine& error) override {
        if (!muted_)
            held_.emplace_back(error);
    }
    // The place of a line that comes later (a refusal the database reports when it settles):
    // right after the lines held now and after earlier late lines given the same place.
    std::function<void(const ErrorLine&)> errorSlot() override;

    void setStatus(int panel, const Gbk& text) override { shown_.setStatus(panel, text); }
    void showMessage(const Gbk& text, const Gbk& caption, int flags) override {
        shown_.showMessage(text, caption, flags);
    }
    void processEvents() override { shown_.processEvents(); }
    void clearAbort() override { shown_.clearAbort(); }
    bool abortRequested() const override { return shown_.abortRequested(); }
    void setProgress(int done, int total) override { shown_.setProgress(done, total); }
    std::optional<std::string> askPassword(const std::string& workbook) override {
        return shown_.askPassword(workbook);
    }

private:
    using Line = std::variant<Gbk, ErrorLine>; // run log, error list

    UserInterface& shown_;
    std::vector<Line> held_;
    // Late lines placed since the last release: each moved the lines after it on by one.
    std::size_t placedLate_ = 0;
    // Counts releases and drops, so that a slot of lines already gone places nothing.
    std::size_t generation_ = 0;
    bool muted_ = false;
};

} // namespace wb
