#include "import/Office.h"

#include "refdata/CodeFile.h"
#include "text/Encoding.h"

#include <filesystem>

namespace wb {

bool databaseFilePresent(UserInterface& ui) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(kDatabaseFile, ec))
        return true;
    // The text names the file as the office has always known it.
    ui.showMessage(gbk("文件(wagebook.dat)丢失,或运行目录不正确!"), gbk("文件丢失错误"),
                   kPlainMessage);
    return false;
}

void refuseWithoutDepartment(UserInterface& ui) {
    ui.showMessage(gbk(" 请选择部门!"), gbk("错误"), kStopMessage);
}

Office::Office(std::string databaseFile)
    : ADOConnection1(std::move(databaseFile)), AQ1(ADOConnection1), AQ2(ADOConnection1),
      ADOQuery1(ADOConnection1), ADOTable1(ADOConnection1, "ryjbxx") {
    fillBuiltinTables(tables);
}

void Office::ASetDm(UserInterface& ui) {
    loadCodeFile(CodeFileMap, ui);
}

RunOutcome Office::AInput(const ImportRequest& request, UserInterface& ui) {
    ImportComponents components{ADOConnection1, ADOTable1, ADOQuery1, AQ2, CodeFileMap, tables};
    return runImport(request, components, ui);
}

} // namespace wb
