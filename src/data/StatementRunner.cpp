#include "data/StatementRunner.h"

#include "data/Connection.h"

namespace wb {

StatementRunner::StatementRunner(Connection& connection) : connection_(connection) {}

StatementRunner::~StatementRunner() = default;

void StatementRunner::setText(std::string jetGbk) {
    text_ = std::move(jetGbk);
}

void StatementRunner::exec() {
    connection_.database().execute(text_);
}

} // namespace wb
