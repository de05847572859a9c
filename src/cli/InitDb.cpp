// wagebook-initdb [--demo] FILE: creates a personnel database holding every table the import
// relies on; --demo adds a few sample departments. An existing file is never touched.

#include "data/Schema.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr const char* kUsage = "用法: wagebook-initdb [--demo] 文件\n"
                               "\n"
                               "新建人事数据库文件, 其中有导入所需的全部表.\n"
                               "  --demo   另加几个示例部门 (01, 0101, 0102, 02, 0201)\n";

} // namespace

int main(int argc, char* argv[]) {
    // The SQL driver is a plugin, and plugins need an application object.
    QCoreApplication application(argc, argv);
    bool demo = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--demo" && !demo) {
            demo = true;
        } else if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (file.empty() && !argument.empty() && argument[0] != '-') {
            file = argument;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        wb::createDatabase(file, demo);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wagebook-initdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
