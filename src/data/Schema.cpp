#include "data/Schema.h"

#include "text/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <iterator>

namespace wb {

namespace {

constexpr const char* kDependentTables[] = {"ryxl", "ryrz", "rykh",   "rybdrz",
                                            "ryjl", "ryjc", "rygzbhb"};

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

std::vector<std::string> buildSchema() {
    // A person's id is never reused: a dependent row left behind must not attach itself to
    // a later person. Dependent rows are referred to by nobody, so their ids are plain
    // row numbers, which spares every insert the update of the sequence table.
    const std::string personId = "id INTEGER PRIMARY KEY AUTOINCREMENT";
    const std::string id = "id INTEGER PRIMARY KEY";
    std::vector<std::string> statements = {
        "CREATE TABLE ryjbxx (" + personId +
            ", bm TEXT, bh TEXT, xm TEXT, sfzh TEXT, xb TEXT, mz TEXT, csny DATE, gzsj DATE,"
            " grsf TEXT, jkzk TEXT, jxqyf INTEGER, kjgl INTEGER, kjtgnf INTEGER, sylb TEXT,"
            " ltxlb TEXT, dzysxl INTEGER)",
        "CREATE TABLE ryxl (" + id +
            ", mid INTEGER, xxxs TEXT, xlrq DATE, xldm TEXT, dzysxl INTEGER)",
        "CREATE TABLE ryrz (" + id + ", mid INTEGER, rzrq DATE, gzzwdm TEXT, gwzwdm TEXT)",
        "CREATE TABLE rykh (" + id + ", mid INTEGER, khnd INTEGER, khjg INTEGER)",
        // Changes, rewards, disciplinary records and wage changes: the import only removes
        // them with their person.
        "CREATE TABLE rybdrz (" + id + ", mid INTEGER, bdrq DATE, bdnr TEXT)",
        "CREATE TABLE ryjl (" + id + ", mid INTEGER, jlrq DATE, jlnr TEXT)",
        "CREATE TABLE ryjc (" + id + ", mid INTEGER, jcrq DATE, jcnr TEXT)",
        "CREATE TABLE rygzbhb (" + id + ", mid INTEGER, bhrq DATE, bhnr TEXT)",
        "CREATE TABLE dm_jg (id INTEGER PRIMARY KEY, upid INTEGER, px INTEGER, jgdm TEXT,"
        " jgmc TEXT, jgjb TEXT)",
        "CREATE INDEX ryjbxx_bm ON ryjbxx (bm)",
    };
    for (const char* table : kDependentTables)
        statements.push_back("CREATE INDEX " + std::string(table) + "_mid ON " + table + " (mid)");
    return statements;
}

void removeDatabaseFiles(const QString& path) {
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

} // namespace

const std::vector<std::string>& schemaStatements() {
    static const std::vector<std::string> statements = buildSchema();
    return statements;
}

const std::vector<std::string>& dependentTables() {
    static const std::vector<std::string> tables(std::begin(kDependentTables),
                                                 std::end(kDependentTables));
    return tables;
}

const std::vector<std::string>& demoStatements() {
    static const std::vector<std::string> statements = {
        "INSERT INTO dm_jg (id, upid, px, jgdm, jgmc, jgjb) VALUES"
        " (1, 0, 1, '01', '行政部门', '1'),"
        " (2, 1, 1, '0101', '办公室', '2'),"
        " (3, 1, 2, '0102', '人事科', '2'),"
        " (4, 0, 2, '02', '教学部门', '1'),"
        " (5, 4, 1, '0201', '语文教研组', '2')",
    };
    return statements;
}

void createDatabase(const std::string& fileName, bool demo) {
    const QString path = QFileInfo(QFile::decodeName(fileName.c_str())).absoluteFilePath();
    {
        // Created here, atomically, so that an existing file is never touched.
        QFile file(path);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            throw Error("文件 " + utf8(path) + " 已经存在，不会改动它。");
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw Error("无法创建文件 " + utf8(path) + "：" + utf8(file.errorString()) + "。");
    }

    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("wagebook-initdb-%1").arg(++counter);
    std::string failure;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        if (!database.open()) {
            failure = utf8(database.lastError().text());
        } else {
            std::vector<std::string> statements = {"PRAGMA journal_mode=WAL", "BEGIN"};
            statements.insert(statements.end(), schemaStatements().begin(),
                              schemaStatements().end());
            if (demo)
                statements.insert(statements.end(), demoStatements().begin(),
                                  demoStatements().end());
            statements.emplace_back("COMMIT");
            QSqlQuery query(database);
            for (const std::string& statement : statements) {
                if (!query.exec(QString::fromUtf8(statement))) {
                    failure = utf8(query.lastError().text());
                    break;
                }
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.empty()) {
        removeDatabaseFiles(path);
        throw Error("无法创建数据库 " + utf8(path) + "：" + failure);
    }
}

} // namespace wb
