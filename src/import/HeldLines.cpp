// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/HeldLines.h"

#include <algorithm>

namespace wb {

void HeldLines::release() {
    std::vector<Line> lines;
    lines.swap(held_);
    placedLate_ = 0;
    ++generation_;
    for (const Line& line : lines) {
        if (const Gbk* runLog = std::get_if<Gbk>(&line))
            shown_.addRunLog(*runLog);
        else
            shown_.addError(std::get<ErrorLine>(line));
    }
}

void HeldLines::drop() {
    held_.clear();
    placedLate_ = 0;
    ++generation_;
}

void HeldLines::dropFrom(std::size_t mark) {
    if (mark < held_.size())
        held_.resize(mark);
    ++generation_;
}

std::function<void(const ErrorLine&)> HeldLines::errorSlot() {
    if (muted_)
        return [](const ErrorLine&) {
        };
    // Late lines arrive in the order of their slots (the database reports refusals in
    // statement order), so every late line placed after this slot was made stands at or
    // before its place and has moved it on by one.
    return [this, place = held_.size(), placedBefore = placedLate_,
            generation = generation_](const ErrorLine& error) {
        if (generation != generation_)
            return;
        const std::size_t at = std::min(place + (placedLate_ - placedBefore), held_.size());
        held_.insert(held_.begin() + static_cast<std::ptrdiff_t>(at), Line(error));
        ++placedLate_;
    };
}

} // namespace wb
