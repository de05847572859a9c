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

    // 试导入(不写入数据库): the Import command run as a dry run.
    void dryRun();
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
    // The selected workbook (absolute); empty, after the run's box, when none is selected or
    // it is gone.
    QString selectedWorkbook();

    TFKvDbf& window_;
};

} // namespace wb
