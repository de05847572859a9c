#include "import/OverwriteDeletion.h"

#include "data/JetSql.h"
#include "data/StatementRunner.h"

namespace wb {

std::vector<std::string> overwriteDeletionStatements(const std::string& departmentCode) {
    const std::string pattern = escapeSqlText(likePrefixPattern(departmentCode));
    const std::string filter = "b.bm like '" + pattern + "'";
    // rygzbhb's statement has always had two blanks after the table name.
    const char* const marks[] = {"ryrz ", "rybdrz ", "rykh ",    "ryxl ",
                                 "ryjl ", "ryjc ",   "rygzbhb  "};
    std::vector<std::string> statements;
    for (const std::string table : marks) {
        statements.push_back("update " + table + "a,ryjbxx b set a.mid=0 where a.mid=b.id and " +
                             filter);
        statements.push_back("delete from " + table.substr(0, table.find(' ')) + " where mid=0");
    }
    statements.push_back("delete from ryjbxx where bm like '" + pattern + "'");
    return statements;
}

void deleteDepartmentData(const std::string& departmentCode, StatementRunner& ADOQuery1) {
    for (std::string& statement : overwriteDeletionStatements(departmentCode)) {
        ADOQuery1.setText(std::move(statement));
        ADOQuery1.exec();
    }
}

} // namespace wb
