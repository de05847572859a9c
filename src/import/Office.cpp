#include "import/Office.h"

#include "refdata/CodeFile.h"

namespace wb {

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
