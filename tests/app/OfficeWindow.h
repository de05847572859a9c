// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window on an office in a temporary folder, driven through its menus: the items found by
// object name, the dialogs they run played by the test (see RecordingWindow).

#include "app/DepartmentDialog.h"
#include "app/LastOffice.h"
#include "app/OfficeChooser.h"
#include "app/WindowMenus.h"
#include "app/WindowOffice.h"
#include "migrate/SqliteRows.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>

namespace wb::test {

using PlayDialog = std::function<int(QDialog&)>;

class OfficeWindow : public WindowOffice {
protected:
    QAction* action(const char* name) const {
        auto* found = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void trigger(const char* name) { action(name)->trigger(); }

    // A folder beside the office (made, empty), absolute.
    QString sibling(const std::string& name) const {
        const std::filesystem::path path =
            folder().parent_path() / (folder().filename().string() + "-" + name);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        siblings_.push_back(path);
        return QString::fromStdString(path.string());
    }
    static std::string path(const QString& folder, const char* name) {
        return (std::filesystem::path(folder.toStdString()) / name).string();
    }
    static Strings rowsIn(const QString& folder, const std::string& sql) {
        return sqliteRows(path(folder, "wagebook.mdb"), sql);
    }

    // The tree as "name_code" lines in tree order.
    Strings treeNodes() const {
        Strings nodes;
        for (QTreeWidgetItemIterator it(window->TV1); *it; ++it)
            nodes.push_back(utf8((*it)->text(0)));
        return nodes;
    }
    std::string selectedCode() const {
        const int record = window->selectedDepartment();
        return record < 0 ? std::string() : gbkToUtf8(window->Depts.departmentCode(record));
    }

    // Plays a department dialog: the code (when given) and the name entered, then 确定.
    static PlayDialog departmentAnswer(const char* code, const char* name,
                                       std::string* codeShown = nullptr) {
        return [=](QDialog& dialog) {
            auto& form = dynamic_cast<DepartmentDialog&>(dialog);
            if (codeShown)
                *codeShown = utf8(form.codeField()->text());
            if (code)
                form.codeField()->setText(QString::fromUtf8(code));
            form.nameField()->setText(QString::fromUtf8(name));
            return static_cast<int>(QDialog::Accepted);
        };
    }
    // Plays the chooser: the button of `choice`.
    static PlayDialog choose(OfficeChooser::Choice choice, std::string* note = nullptr) {
        return [=](QDialog& dialog) {
            auto& chooser = dynamic_cast<OfficeChooser&>(dialog);
            if (note)
                *note = utf8(chooser.findChild<QLabel*>()->text());
            chooser.button(choice)->click();
            return chooser.result();
        };
    }

    void TearDown() override {
        WindowOffice::TearDown();
        for (const auto& path : siblings_)
            std::filesystem::remove_all(path);
    }

private:
    mutable std::vector<std::filesystem::path> siblings_;
};

} // namespace wb::test
