// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/Office.h"

#include "import/OfficeFolder.h"
#include "import/OldUndoJournal.h"
#include "refdata/CodeFile.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <filesystem>

namespace wb {

bool databaseFilePresent(UserInterface& ui) {
    if (holdsOfficeDatabase("."))
        return true;
    // The text names the file as the office has always known it.
    ui.showMessage(gbk("文件(wagebook.dat)丢失,或运行目录不正确!"), gbk("文件丢失错误"),
                   kPlainMessage);
    return false;
}

bool officeUsesServer() {
    return folderUsesServer(".");
}

void refuseWithoutDepartment(UserInterface& ui) {
    ui.showMessage(gbk(" 请选择部门!"), gbk("错误"), kStopMessage);
}

Office::Office(std::string databaseFile)
    : connection(databaseFile), departmentQuery(connection), staffQuery(connection),
      statements(connection), personTable(connection, "ryjbxx"), undoJournal(connection),
      folder_(std::filesystem::absolute(std::filesystem::path(databaseFile)).parent_path()) {
    fillBuiltinTables(tables);
}

void Office::prepareUndo() {
    if (undoPrepared_)
        return;
    takeOverOldJournal(connection.database(), folder_);
    undoPrepared_ = true;
}

bool Office::loadCodeFile(UserInterface& ui) {
    static const Gbk kNoCodes = gbk("没有读到代码文件，本次要翻译成代码的文字都查不到代码");
    static const Gbk kForeign = gbk("代码文件不是 GBK 编码，其中的中文文字都查不到代码");
    const auto problem = wb::loadCodeFile(codeMap);
    if (!problem)
        return true;
    // A file that is there but cannot be read ends the command: a run without its codes
    // would store every coded text untranslated, and an overwrite would replace good data.
    if (problem->kind == CodeFileProblem::Unreadable)
        throw Error(gbkToUtf8(problem->text));
    // Otherwise the run goes on: without codes when there is no file.
    const bool missing = problem->kind == CodeFileProblem::Missing;
    ui.addError(ErrorLine::plain(problem->text, missing ? kNoCodes : kForeign));
    if (missing)
        ui.showMessage(problem->text, gbk("错误"), kStopMessage);
    return false;
}

RunOutcome Office::import(const ImportRequest& request, UserInterface& ui,
                          const WorkbookOpener& openWorkbook) {
    if (!request.dryRun)
        prepareUndo();
    return runImport(request, *this, ui, openWorkbook);
}

} // namespace wb
