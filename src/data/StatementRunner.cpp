// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/StatementRunner.h"

#include "data/Connection.h"

namespace wb {

StatementRunner::StatementRunner(Connection& connection) : connection_(connection) {}

StatementRunner::~StatementRunner() = default;

void StatementRunner::setText(Gbk jet) {
    text_ = std::move(jet);
}

void StatementRunner::exec() {
    connection_.database().execute(text_);
}

void StatementRunner::execDeferred(const Database::Refusal& refused) {
    connection_.database().executeDeferred(text_, refused);
}

} // namespace wb
