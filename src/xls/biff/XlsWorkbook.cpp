// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/biff/XlsWorkbook.h"

#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/biff/BiffReader.h"
#include "xls/biff/CompoundFile.h"

#include "xls/WorkbookFile.h"
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace wb {

std::unique_ptr<XlsWorkbook> XlsWorkbook::open(const std::string& path) {
    return fromBytes(readWorkbookFile(path), path);
}

std::unique_ptr<XlsWorkbook> XlsWorkbook::fromBytes(std::string_view bytes,
                                                    const std::string& displayName) {
    try {
        return std::unique_ptr<XlsWorkbook>(new XlsWorkbook(xls::readXlsActiveSheet(bytes)));
    } catch (const xls::FormatError& e) {
        throw workbookError(displayName, e.what());
    }
}

} // namespace wb
