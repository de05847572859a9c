#include "data/StatementRunner.h"

#include "data/Connection.h"
#include "data/JetSql.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <unordered_map>

namespace wb {

namespace {

QVariant boundValue(const EngineValue& value) {
    switch (value.kind) {
    case EngineValue::Kind::Integer:
        return QVariant(static_cast<qlonglong>(value.integer));
    case EngineValue::Kind::Real:
        return QVariant(value.real);
    case EngineValue::Kind::Text:
        break;
    }
    return QVariant(
        QString::fromUtf8(value.text.data(), static_cast<qsizetype>(value.text.size())));
}

} // namespace

struct StatementRunner::Impl {
    struct Shape {
        EngineStatement statement;
        QSqlQuery* query; // owned by the connection
    };
    std::unordered_map<std::string, Shape> shapes;
};

StatementRunner::StatementRunner(Connection& connection)
    : connection_(connection), impl_(new Impl) {}

StatementRunner::~StatementRunner() {
    delete impl_;
}

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
        EngineStatement statement = translateJetShape(
            split.shape, [this](std::string_view table) { return connection_.columns(table); });
        QSqlQuery& query = connection_.prepared(statement.sql, what());
        found =
            impl_->shapes.emplace(std::move(split.shape), Impl::Shape{std::move(statement), &query})
                .first;
    }
    const Impl::Shape& shape = found->second;
    // Every value is converted before anything is bound, so that a value that is no date
    // leaves the statement unrun.
    std::vector<QVariant> values;
    values.reserve(shape.statement.parameters.size());
    for (const EngineStatement::Parameter& parameter : shape.statement.parameters) {
        try {
            values.push_back(
                boundValue(engineValue(split.literals[static_cast<std::size_t>(parameter.literal)],
                                       parameter.dateColumn)));
        } catch (const Error& error) {
            throw Error(what() + "：" + error.what());
        }
    }
    QSqlQuery& query = *shape.query;
    for (std::size_t i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), values[i]);
    if (!query.exec())
        connection_.fail(query.lastError(), what());
    query.finish();
}

} // namespace wb
