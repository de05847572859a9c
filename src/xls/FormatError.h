#pragma once
// The reasons a workbook file cannot be read. The reader's parts throw FormatError with one
// of these (UTF-8) texts; XlsWorkbook turns it into a wb::Error that names the file.

#include <stdexcept>
#include <string>

namespace wb::xls {

class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& reason) : std::runtime_error(reason) {}
};

namespace reason {
inline constexpr const char* kEmpty = "文件为空";
inline constexpr const char* kNotWorkbook = "不是 .xls 工作簿文件";
inline constexpr const char* kZipWorkbook = "这是 .xlsx 格式(zip 压缩)的工作簿,请另存为 .xls 格式";
inline constexpr const char* kEncryptedZipWorkbook =
    "这是有密码保护的 .xlsx 格式工作簿,请去掉密码并另存为 .xls 格式";
inline constexpr const char* kTruncated = "文件已截断";
inline constexpr const char* kBadHeader = "文件头已损坏";
inline constexpr const char* kChainLoop = "扇区链成环,文件已损坏";
inline constexpr const char* kSectorOutside = "扇区编号超出文件范围,文件已损坏";
inline constexpr const char* kChainBroken = "扇区链中断,文件已损坏";
inline constexpr const char* kBadDirectory = "文件目录已损坏";
inline constexpr const char* kNoWorkbookStream = "文件中没有工作簿数据";
inline constexpr const char* kPasswordProtected = "工作簿有密码保护,请去掉密码后再导入";
inline constexpr const char* kOldVersion = "工作簿格式过旧(BIFF2-4),请另存为 97-2003 .xls 格式";
inline constexpr const char* kBadRecord = "工作簿记录已损坏";
inline constexpr const char* kNoSheet = "工作簿中没有工作表";
inline constexpr const char* kTooLarge = "文件过大(超过 1 GB)";

// The active sheet is a chart or a module, which has no cells; `sheetName` is UTF-8.
inline std::string activeSheetHasNoCells(const std::string& sheetName) {
    return "活动工作表\"" + sheetName + "\"是图表或模块,不是工作表";
}
} // namespace reason

} // namespace wb::xls
