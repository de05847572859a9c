#include "refdata/CodeFile.h"

#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace wb {

namespace {
constexpr const char* kCodeFileName = "dm.txt";
constexpr std::size_t kValueBytes = 20;
} // namespace

void parseCodeFile(std::string_view content, CodeTable& map) {
    for (const std::string& rawLine : splitLines(content)) {
        const std::string line = trim(rawLine);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = trim(std::string_view(line).substr(0, equals));
        if (key.empty())
            continue;
        map.set(std::move(key), trim(std::string_view(line).substr(equals + 1, kValueBytes)));
    }
}

void loadCodeFile(CodeTable& CodeFileMap, UserInterface& ui) {
    CodeFileMap.clear();
    std::error_code ec;
    if (!std::filesystem::exists(kCodeFileName, ec)) {
        static const std::string missing = gbk("代码文件dm.txt不存在");
        ui.addError(missing);
        ui.showMessage(missing, gbk("错误"), kStopMessage);
        return;
    }
    std::ifstream file(kCodeFileName, std::ios::binary);
    if (!file)
        throw Error(std::string("代码文件dm.txt无法读取: ") + std::strerror(errno));
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    if (file.bad())
        throw Error(std::string("代码文件dm.txt读取失败: ") + std::strerror(errno));
    parseCodeFile(content, CodeFileMap);
}

} // namespace wb
