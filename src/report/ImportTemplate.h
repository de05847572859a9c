// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import template: the workbook an office sends its departments to fill in. Its first
// sheet has every title the import understands in row 1 (the four required ones first),
// date columns formatted as dates, drop-down lists of the office's own texts on the coded
// columns and notes on the multi-line ones; the sheet 填写说明 says what each column holds;
// the hidden sheet 代码 lists the texts the import translates, with their codes.

#include "import/Office.h"
#include "import/UserInterface.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wb {

// A drop-down list of the template: its column's title and how many texts it offers.
struct TemplateList {
    Gbk title;
    std::size_t texts = 0;
};

// What a template holds.
struct ImportTemplateContents {
    std::size_t columns = 0;
    std::size_t codeTexts = 0;  // texts of the code file on the sheet 代码 (those with a code)
    std::size_t gradeNames = 0; // built-in position grade names there
    std::vector<TemplateList> lists; // in column order; a column with no text has none
};

// Writes the template of `office` to `path` (in the file system's encoding), whole or not
// at all: its code table as loaded, its built-in tables, and for the lists of 性别, 民族,
// 工资类别 and 绩效工资类别 the codes the office's database holds in those columns of
// ryjbxx. A list offers only texts the import translates in that column (for 性别 the texts
// from "1" to "2", for 民族 names), of those the ones whose code the column already holds,
// or all of them when it holds none of their codes. Throws wb::Error naming the file, or
// what the database gives.
ImportTemplateContents writeImportTemplate(Office& office, const std::string& path);

// What the window's 导入 › 生成导入模板… and wagebook-template do: reads dm.txt in the current
// directory, then writes the template and adds a line saying what it holds to the run log.
// Without a code file read as GBK it writes nothing (the lists and the sheet 代码 would not be
// the office's texts) and says so in an error box; gives nullopt then. Throws as
// writeImportTemplate.
std::optional<ImportTemplateContents> makeImportTemplate(Office& office, UserInterface& ui,
                                                         const std::string& path);

// "已生成导入模板 PATH：16 列；代码 23 条、岗位等级 29 个；下拉列表：性别 2 项、…"
Gbk templateSummary(const ImportTemplateContents& contents, const std::string& path);

} // namespace wb
