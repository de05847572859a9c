// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-initdb [--demo] FILE|URL: creates a personnel database holding every table the
// import relies on, as a file or in a server's database; --demo adds a few sample
// departments. An existing file, or a database that holds any of the tables, is never touched.
// wagebook-initdb --add-indexes FILE|URL: adds to an existing database the indexes an import
// needs that it lacks, and nothing else.

#include "cli/CommandLine.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"
#include "text/Error.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>

namespace {

// Adds the indexes the database at `location` lacks and says which, or that none was missing.
int addMissingIndexes(const std::string& location) {
    constexpr int kBusyTimeoutMs = 5000;
    // A file is the file named, whatever settings file its folder holds.
    const std::unique_ptr<wb::Database> database =
        wb::isServerUrl(location) ? wb::openDatabase(location, kBusyTimeoutMs)
                                  : wb::openDatabaseFile(location, kBusyTimeoutMs);
    const std::vector<std::string> added = wb::addMissingIndexes(*database);
    std::string names;
    for (const std::string& name : added)
        names += (names.empty() ? "" : "、") + name;
    std::cout << (added.empty()
                      ? "数据库 " + database->displayName() + " 不缺少索引，没有改动。"
                      : "在数据库 " + database->displayName() + " 中添加了索引 " + names + "。")
              << '\n';
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // The SQL driver is a plugin, and plugins need an application object.
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine(
        "wagebook-initdb",
        "用法: wagebook-initdb [--demo] [--] 文件\n"
        "      wagebook-initdb [--demo] [--] postgresql://用户[:密码]@主机[:端口]/数据库\n"
        "      wagebook-initdb --add-indexes [--] 文件|postgresql://...\n"
        "\n"
        "新建人事数据库文件, 其中有导入所需的全部表;\n"
        "或在服务器上已有的数据库中建立这些表 (已有其中任何一个表时不改动).\n"
        "--add-indexes 只给已有的人事数据库添加导入所需而缺少的索引, 不改动别的.\n",
        "");
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("另加几个示例部门 (01, 0101, 0102, 02, 0201)"));
    commandLine.addOption(demo);
    const QCommandLineOption addIndexes(QStringLiteral("add-indexes"),
                                        QStringLiteral("给已有的数据库添加缺少的索引"));
    commandLine.addOption(addIndexes);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> files = commandLine.positionalArguments();
    if (files.size() != 1 || files.front().empty())
        return commandLine.usageError("需要且只需要一个文件名");
    if (commandLine.isSet(addIndexes) && commandLine.isSet(demo))
        return commandLine.usageError("--add-indexes 不能与 --demo 一起使用");
    try {
        if (commandLine.isSet(addIndexes))
            return addMissingIndexes(files.front());
        wb::createDatabase(files.front(), commandLine.isSet(demo));
    } catch (...) {
        std::cerr << "wagebook-initdb: " << wb::failureText() << '\n';
        return 1;
    }
    return 0;
}
