// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The package structure of an .xlsx file: part names, and the relationships that lead from
// the package to the workbook and from the workbook to its sheets, styles and strings.

#include "xls/xlsx/XmlParser.h"
#include "xls/xlsx/ZipPackage.h"

#include <string>
#include <string_view>
#include <vector>

namespace wb::xls {

// The folder of a part, with its slash ("xl/" for "xl/workbook.xml"; "" at the root).
std::string folderOf(std::string_view part);

// Reads a whole part through an XML handler.
void parsePart(ZipPackage& package, const std::string& part, XmlHandler& handler);

struct Relationship {
    std::string id;
    std::string kind; // "worksheet", "officeDocument", ...; empty for other types
    std::string target;
};

// The relationships of a part ("" for the package); none when it has no relationships part.
std::vector<Relationship> readRelationships(ZipPackage& package, const std::string& source);

const Relationship* byKind(const std::vector<Relationship>& relationships, std::string_view kind);
const Relationship* byId(const std::vector<Relationship>& relationships, std::string_view id);

} // namespace wb::xls
