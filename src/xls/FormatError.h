// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reasons a workbook file cannot be read. The readers' parts throw FormatError with one
// of these (UTF-8) texts; XlsWorkbook and openWorkbookActiveSheet turn it into a wb::Error
// that names the file.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wb::xls {

class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& reason) : std::runtime_error(reason) {}
};

namespace reason {
inline constexpr const char* kEmpty = "文件为空";
inline constexpr const char* kNotWorkbook = "不是 .xls 或 .xlsx 工作簿文件";
inline constexpr const char* kZipWorkbook = "这是 .xlsx 格式(zip 压缩)的工作簿,请另存为 .xls 格式";
inline constexpr const char* kEncryptedZipWorkbook =
    "这是有密码保护的 .xlsx 格式工作簿,请去掉密码后再导入";
inline constexpr const char* kTruncated = "文件已截断";
inline constexpr const char* kBadByteOrder = "文件头的字节序标记不是 0xFFFE,文件已损坏";
inline constexpr const char* kBadSectorSize = "文件头的扇区大小不是 512 或 4096 字节,文件已损坏";
inline constexpr const char* kBadMiniSectorSize = "文件头的小扇区大小不是 64 字节,文件已损坏";
inline constexpr const char* kChainLoop = "扇区链成环,文件已损坏";
inline constexpr const char* kSectorOutside = "扇区编号超出文件范围,文件已损坏";
inline constexpr const char* kChainBroken = "扇区链中断,文件已损坏";
inline constexpr const char* kNoRootEntry = "文件目录的第一项不是根存储,文件已损坏";
inline constexpr const char* kBadDirectoryLink = "文件目录项的编号超出目录或成环,文件已损坏";
inline constexpr const char* kNoWorkbookStream = "文件中没有工作簿数据";
inline constexpr const char* kPasswordProtected = "工作簿有打开密码,此处无法输入密码";
inline constexpr const char* kPasswordNotGiven = "工作簿有打开密码,未输入密码";
inline constexpr const char* kWrongPassword = "密码不正确";
inline constexpr const char* kEncryptionInfoDamaged = "工作簿的加密信息已损坏";
inline constexpr const char* kEncryptedPackageCut = "加密的工作簿数据不完整,文件已截断";
inline constexpr const char* kEncryptionUnsupported =
    "工作簿的加密方式本程序不支持;请用电子表格程序打开,去掉密码后再导入";
inline constexpr const char* kOldVersion =
    "工作簿格式过旧(BIFF2-4,1994 年以前的格式),本程序不能读取;请用电子表格程序打开,另存为 "
    ".xlsx 或 97-2003 .xls 格式后再导入";
inline constexpr const char* kNoBof = "工作簿数据不以 BOF 记录开始,工作簿已损坏";
inline constexpr const char* kRecordHeaderCut = "工作簿数据末尾的记录头不完整,工作簿已损坏";
inline constexpr const char* kSheetOffsetOutside =
    "BOUNDSHEET 记录中工作表的位置超出工作簿数据,工作簿已损坏";
inline constexpr const char* kSheetNotAtBof =
    "BOUNDSHEET 记录指向的位置不是工作表的 BOF 记录,工作簿已损坏";
inline constexpr const char* kStringIndexOutside =
    "LABELSST 记录的字符串编号超出 SST 记录中的字符串数,工作簿已损坏";
inline constexpr const char* kNoSheet = "工作簿中没有工作表";
inline constexpr const char* kTooLarge = "文件过大(超过 1 GB)";
inline constexpr const char* kTooManyCells = "工作表的单元格超过 16,777,216 个,不予读取";

// Formats the program does not read: what it is and what to do.
inline constexpr const char* kOpenDocument =
    "这是 OpenDocument 电子表格(.ods),本程序不能读取;请用电子表格程序打开,另存为 .xlsx 或 "
    ".xls 格式后再导入";
inline constexpr const char* kEtWorkbook =
    "这是 .et 格式的表格文件,本程序不能读取;请用表格程序打开,另存为 .xlsx 或 .xls 格式后再导入";
inline constexpr const char* kCsvText =
    "这是 CSV 文本文件,本程序不能读取;请用电子表格程序打开,另存为 .xlsx 或 .xls 格式后再导入";

// The zip container of an .xlsx workbook.
inline constexpr const char* kZipCut = "文件已截断:zip 压缩包末尾的目录不完整";
inline constexpr const char* kZipDamaged = "zip 压缩包的目录已损坏";
inline constexpr const char* kNoWorkbookPart =
    "文件包中找不到工作簿部件(_rels/.rels 中没有指向工作簿的关系)";
inline constexpr const char* kNoSheetPart =
    "工作簿中活动工作表的关系(r:id)在 workbook.xml.rels 中找不到";
inline constexpr const char* kNoWorkbookElement = "工作簿部件的根元素不是 workbook";

// `part` is the part's name in the package ("xl/worksheets/sheet1.xml").
inline std::string partMissing(const std::string& part) {
    return "文件包中缺少部件 " + part;
}
// A bound in whole MB ("256 MB").
inline std::string megabytes(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}
inline std::string partTooLarge(const std::string& part, std::uint64_t bound) {
    return "部件 " + part + " 解压后超过 " + megabytes(bound) + ",不予读取";
}
inline std::string packageTooLarge(std::uint64_t bound) {
    return "文件包解压后的数据超过 " + megabytes(bound) + ",不予读取";
}
inline std::string partDamaged(const std::string& part) {
    return "部件 " + part + " 的压缩数据已损坏";
}
inline std::string partEncrypted(const std::string& part) {
    return "部件 " + part + " 已加密,请去掉密码后再导入";
}
inline std::string badXml(const std::string& part, unsigned long line, unsigned long column,
                          const std::string& detail) {
    return "部件 " + part + " 不是正确的 XML(第 " + std::to_string(line) + " 行第 " +
           std::to_string(column) + " 列: " + detail + ")";
}
inline std::string xmlTooManyNamespaces(const std::string& part) {
    return "部件 " + part + " 同时声明的 XML 命名空间超过 256 个,不予读取";
}
inline std::string xmlDoctype(const std::string& part) {
    return "部件 " + part + " 含有 DOCTYPE 声明,为安全起见不予读取";
}

// Cells of the sheet; `reference` is as the file gives it ("B2", "XFE1").
inline std::string badCellReference(std::string_view reference) {
    return "单元格引用 \"" + std::string(reference) +
           "\" 无效或超出工作表范围(最多 1,048,576 行、16,384 列)";
}
inline std::string badRowNumber(std::string_view row) {
    return "行号 \"" + std::string(row) + "\" 无效或超出工作表范围(最多 1,048,576 行)";
}
inline std::string sharedStringOutside(std::string_view cell, std::string_view index,
                                       std::size_t count) {
    return "单元格 " + std::string(cell) + " 的共享字符串编号 " + std::string(index) +
           " 超出共享字符串表(共 " + std::to_string(count) + " 个)";
}
inline std::string badNumber(std::string_view cell, std::string_view text) {
    return "单元格 " + std::string(cell) + " 的数值 \"" + std::string(text) + "\" 无效";
}

// A record whose data (with its CONTINUE records) ends before a field or string it must
// hold; `record` names it, as recordName gives ("SST", "NUMBER", "0x1234").
inline std::string recordTooShort(std::string_view record) {
    return std::string(record) + " 记录过短,工作簿已损坏";
}

// A record whose length runs past the end of the workbook data.
inline std::string recordPastEnd(std::string_view record) {
    return std::string(record) + " 记录的长度超出工作簿数据,工作簿已损坏";
}

// The active sheet is a chart or a module, which has no cells; `sheetName` is UTF-8.
inline std::string activeSheetHasNoCells(const std::string& sheetName) {
    return "活动工作表\"" + sheetName + "\"是图表或模块,不是工作表";
}
} // namespace reason

} // namespace wb::xls
