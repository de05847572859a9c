// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ImportActions.h"

#include "app/CellsWindow.h"
#include "app/FolderBrowser.h"
#include "app/MemoMenus.h"
#include "app/QtText.h"
#include "app/Umain.h"
#include "import/ImportRun.h"
#include "import/OverwriteDeletion.h"
#include "import/Undo.h"
#include "report/ImportTemplate.h"
#include "report/WorkbookCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QTreeWidget>

namespace wb {

QString ImportActions::selectedWorkbook() {
    const QString file = window_.Browser->selectedFile();
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        window_.prompts().messageBox(QStringLiteral("未选择导入文件!"), QStringLiteral("失败"),
                                     kPlainMessage);
        return {};
    }
    return file;
}

void ImportActions::import(bool dryRun) {
    if (window_.isRunning())
        return;
    if (window_.selectedDepartment() < 0) {
        refuseWithoutDepartment(window_);
        return;
    }
    if (!dryRun && window_.RadioButton5->isChecked()) {
        bool confirmed = false;
        window_.attempt([&] { confirmed = overwriteConfirmed(); });
        if (!confirmed)
            return;
    }
    window_.runCommand([&] {
        window_.ASetDmExecute();
        window_.AInputExecute(dryRun);
    });
}

bool ImportActions::overwriteConfirmed() {
    const QFileInfo workbook(window_.Browser->selectedFile());
    if (!workbook.isFile())
        return true;
    const Gbk code = window_.Depts.departmentCode(window_.selectedDepartment());
    const std::int64_t persons =
        departmentDataPersons(code, window_.office().connection.database());
    return window_.prompts().confirm(
        QStringLiteral("将删除部门 %1 及其下级部门的 %2 人及其全部记录，再导入工作簿 %3。确定吗？")
            .arg(window_.TV1->selectedItems().first()->text(0))
            .arg(persons)
            .arg(workbook.fileName()),
        QStringLiteral("覆盖导入"));
}

void ImportActions::undo() {
    window_.attempt([this] {
        Office& office = window_.office();
        office.prepareUndo();
        const std::optional<UndoRun> run = newestUndoRun(office.connection.database());
        if (!run) {
            window_.prompts().messageBox(QStringLiteral("没有可以撤销的导入"),
                                         QStringLiteral("提示"), kPlainMessage);
            return;
        }
        if (!window_.prompts().confirm(fromGbk(undoRunDescription(*run)),
                                       QStringLiteral("撤销导入")))
            return;
        if (const std::optional<Gbk> done = undoNewestRun(office.connection.database()))
            window_.addRunLog(*done);
        const int selected = window_.selectedDepartment();
        window_.reloadDepartments(selected < 0 ? Gbk() : window_.Depts.departmentCode(selected));
    });
}

void ImportActions::showCells() {
    const QString file = selectedWorkbook();
    if (file.isEmpty())
        return;
    window_.attempt([&] {
        const std::shared_ptr<const Sheet> sheet =
            openWorkbookSheet(toNativePath(file), [this](const std::string& workbook) {
                return window_.askPassword(workbook);
            });
        auto* cells = new CellsWindow(QFileInfo(file).fileName(), *sheet, &window_);
        cells->show();
    });
}

void ImportActions::exportErrors() {
    window_.ErrorList->saveAs();
}

void ImportActions::makeTemplate() {
    QString path = window_.prompts().chooseSaveFile(
        QStringLiteral("生成导入模板"),
        QDir::current().absoluteFilePath(QStringLiteral("导入模板.xlsx")),
        QStringLiteral("Excel 工作簿 (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    window_.attempt([&] { makeImportTemplate(window_.office(), window_, toNativePath(path)); });
}

void ImportActions::checkWorkbook() {
    const QString file = selectedWorkbook();
    if (file.isEmpty())
        return;
    ImportRequest request;
    const int selected = window_.selectedDepartment();
    if (selected >= 0)
        request.departmentCode = window_.Depts.departmentCode(selected);
    request.workbookPath = toNativePath(file);
    window_.runCommand([&] {
        wb::checkWorkbook(request, window_.office(), window_,
                          checkedCopyPath(request.workbookPath));
    });
}

} // namespace wb
