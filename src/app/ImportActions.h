// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's 导入 menu, beside the Import button: a dry run, undo of the newest import, a
// workbook's cells as the import reads them, the error list exported, the import template
// and a workbook's checked copy. Each uses the engine call its command-line program uses.

class QString;

namespace wb {

class TFKvDbf;

class ImportActions {
public:
    explicit ImportActions(TFKvDbf& window) : window_(window) {}

    // The Import command (the Import button), or with `dryRun` (试导入(不写入数据库)) the same
    // run rolled back at its end and followed by its summary line in the run log, no question
    // asked and the grid left as it is. An overwrite with its workbook there asks first.
    void import(bool dryRun);
    void dryRun() { import(true); }
    // 撤销上次导入…: asks with the newest run's description, undoes it, reloads tree and grid.
    void undo();
    // 查看工作簿内容…: the selected workbook in a CellsWindow.
    void showCells();
    // 导出错误信息…: the error list saved as CSV, as its 另存为….
    void exportErrors();
    // 生成导入模板…: asks where, then writes the template.
    void makeTemplate();
    // 检查工作簿…: the selected workbook checked for the selected department (none: for no
    // department), its checked copy written beside it.
    void checkWorkbook();

private:
    // The 覆盖导入 question, naming the department, the persons its deletion takes and the
    // workbook; whether the user confirmed. Not asked (true) when the workbook is not there:
    // the run then refuses before it deletes anything.
    bool overwriteConfirmed();
    // The selected workbook (absolute); empty, after the run's box, when none is selected or
    // it is gone.
    QString selectedWorkbook();

    TFKvDbf& window_;
};

} // namespace wb
