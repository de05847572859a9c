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

} // namespace wb
