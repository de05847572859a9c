// wagebook-initdb [--demo] FILE: creates a personnel database holding every table the import
// relies on; --demo adds a few sample departments. An existing file is never touched.

#include "cli/CommandLine.h"
#include "data/Schema.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    // The SQL driver is a plugin, and plugins need an application object.
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-initdb",
                                     "用法: wagebook-initdb [--demo] [--] 文件\n"
                                     "\n"
                                     "新建人事数据库文件, 其中有导入所需的全部表.\n",
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
    } catch (const std::exception& error) {
        std::cerr << "wagebook-initdb: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
