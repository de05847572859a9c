// wagebook-initdb [--demo] FILE|URL: creates a personnel database holding every table the
// import relies on, as a file or in a server's database; --demo adds a few sample
// departments. An existing file, or a database that holds any of the tables, is never touched.

#include "cli/CommandLine.h"
#include "data/Schema.h"
#include "text/Error.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    // The SQL driver is a plugin, and plugins need an application object.
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine(
        "wagebook-initdb",
        "用法: wagebook-initdb [--demo] [--] 文件\n"
        "      wagebook-initdb [--demo] [--] postgresql://用户[:密码]@主机[:端口]/数据库\n"
        "\n"
        "新建人事数据库文件, 其中有导入所需的全部表;\n"
        "或在服务器上已有的数据库中建立这些表 (已有其中任何一个表时不改动).\n",
        "");
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("另加几个示例部门 (01, 0101, 0102, 02, 0201)"));
    commandLine.addOption(demo);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> files = commandLine.positionalArguments();
    if (files.size() != 1 || files.front().empty())
        return commandLine.usageError("需要且只需要一个文件名");
    try {
        wb::createDatabase(files.front(), commandLine.isSet(demo));
    } catch (...) {
        std::cerr << "wagebook-initdb: " << wb::failureText() << '\n';
        return 1;
    }
    return 0;
}
