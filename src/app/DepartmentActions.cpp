// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DepartmentActions.h"

#include "app/DepartmentDialog.h"
#include "app/QtText.h"
#include "app/Umain.h"
#include "refdata/DepartmentChanges.h"
#include "text/Error.h"

#include <exception>

namespace wb {

namespace {

const QString kAdd = QStringLiteral("新增部门");
const QString kRename = QStringLiteral("修改部门名称");
const QString kRemove = QStringLiteral("删除部门");

// "办公室（0101）"
QString described(const TFKvDbf& window, int record) {
    return fromGbk(window.Depts.records()[record].jgmc) + QStringLiteral("（") +
           fromGbk(window.Depts.departmentCode(record)) + QStringLiteral("）");
}

// Runs `change`; a refusal or failure is shown under `caption`. Whether it went through;
// `ended` tells a failure that leaves nothing to try again (see OfficeActions::showFailure).
template <class Change>
bool changed(TFKvDbf& window, const QString& caption, Change&& change, bool* ended = nullptr) {
    try {
        change();
        return true;
    } catch (...) {
        const bool final =
            window.officeActions().showFailure(QString::fromUtf8(failureText()), caption);
        if (ended)
            *ended = final;
        return false;
    }
}

// The selected department's record; -1, after saying so, when none is selected.
int selected(TFKvDbf& window, const QString& caption, const QString& what) {
    const int record = window.selectedDepartment();
    if (record < 0)
        window.prompts().messageBox(QStringLiteral("请先在部门树中选择要%1的部门。").arg(what),
                                    caption, kPlainMessage);
    return record;
}

// Asks with `dialog` until `change` (given the code entered) goes through, then shows the
// department changed; nothing when the user cancels.
template <class Change>
void askUntilChanged(TFKvDbf& window, DepartmentDialog& dialog, const QString& caption,
                     Change&& change) {
    while (window.prompts().execDialog(dialog) == QDialog::Accepted) {
        const Gbk code = toGbk(dialog.code());
        bool ended = false;
        if (changed(
                window, caption, [&] { change(code); }, &ended)) {
            window.reloadDepartments(code);
            return;
        }
        if (ended)
            return;
    }
}

} // namespace

void DepartmentActions::add() {
    const int parent = window_.selectedDepartment();
    const Gbk parentCode = parent >= 0 ? window_.Depts.departmentCode(parent) : Gbk();
    DepartmentDialog dialog(
        kAdd,
        parent >= 0 ? QStringLiteral("新部门在 %1 之下。").arg(described(window_, parent))
                    : QStringLiteral("新部门在顶层（部门树中没有选中部门）。"),
        fromGbk(parentCode), QString(), true, &window_);
    askUntilChanged(window_, dialog, kAdd, [&](const Gbk& code) {
        addDepartment(window_.office().connection, parentCode, code, toGbk(dialog.name()));
    });
}

void DepartmentActions::rename() {
    const int record = selected(window_, kRename, QStringLiteral("改名"));
    if (record < 0)
        return;
    const Gbk code = window_.Depts.departmentCode(record);
    DepartmentDialog dialog(
        kRename, QStringLiteral("部门 %1 的新名称：").arg(described(window_, record)),
        fromGbk(code), fromGbk(window_.Depts.records()[record].jgmc), false, &window_);
    askUntilChanged(window_, dialog, kRename, [&](const Gbk& code) {
        renameDepartment(window_.office().connection, code, toGbk(dialog.name()));
    });
}

void DepartmentActions::remove() {
    const int record = selected(window_, kRemove, QStringLiteral("删除"));
    if (record < 0)
        return;
    const Gbk code = window_.Depts.departmentCode(record);
    if (!window_.prompts().question(
            QStringLiteral("删除部门 %1吗？").arg(described(window_, record)), kRemove,
            QStringLiteral("删除")))
        return;
    if (changed(window_, kRemove, [&] { removeDepartment(window_.office().connection, code); }))
        window_.reloadDepartments(Gbk());
}

} // namespace wb
