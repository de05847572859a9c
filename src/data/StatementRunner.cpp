#include "data/StatementRunner.h"

#include "data/Connection.h"
#include "data/JetSql.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <QSqlError>
#include <QSqlQuery>

#include <unordered_map>
#include <vector>

namespace wb {

struct StatementRunner::Impl {
    struct Shape {
        EngineStatement translated;
        SqliteStatement* statement; // kept by the connection
    };
    std::unordered_map<std::string, Shape> shapes;
    std::vector<EngineValue> values; // of the statement being run, kept for its capacity
};

StatementRunner::StatementRunner(Connection& connection)
    : connection_(connection), impl_(new Impl) {}

StatementRunner::~StatementRunner() = default;

void StatementRunner::setText(std::string jetGbk) {
    text_ = std::move(jetGbk);
}

void StatementRunner::exec() {
    const auto what = [&] {
        return "数据库拒绝了语句“" + gbkToUtf8(text_) + "”";
    };
    if (connection_.engine() == Connection::Engine::Jet) {
        QSqlQuery query(connection_.database());
        if (!query.exec(QString::fromUtf8(gbkToUtf8(text_))))
            connection_.fail(query.lastError(), what());
        return;
    }

    JetStatement split = splitJetLiterals(text_);
    auto found = impl_->shapes.find(split.shape);
    if (found == impl_->shapes.end()) {
        EngineStatement translated = translateJetShape(
            split.shape, [this](std::string_view table) { return connection_.columns(table); });
        SqliteStatement& statement = connection_.statement(translated.sql, what());
        found = impl_->shapes
                    .emplace(std::move(split.shape), Impl::Shape{std::move(translated), &statement})
                    .first;
    }
    const Impl::Shape& shape = found->second;
    // Every value is converted before anything is bound, so that a value that is no date
    // leaves the statement unrun.
    std::vector<EngineValue>& values = impl_->values;
    values.clear();
    for (const EngineStatement::Parameter& parameter : shape.translated.parameters) {
        try {
            values.push_back(
                engineValue(split.literals[static_cast<std::size_t>(parameter.literal)],
                            parameter.dateColumn, parameter.likePattern));
        } catch (const Error& error) {
            throw Error(what() + "：" + error.what());
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        shape.statement->bind(static_cast<int>(i), values[i]);
    connection_.run(*shape.statement, what);
}

} // namespace wb
