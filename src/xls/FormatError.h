#pragma once
// The reasons a workbook file cannot be read. The reader's parts throw FormatError with one
// of these (UTF-8) texts; XlsWorkbook turns it into a wb::Error that names the file.

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
inline constexpr const char* kNotWorkbook = "不是 .xls 工作簿文件";
inline constexpr const char* kZipWorkbook = "这是 .xlsx 格式(zip 压缩)的工作簿,请另存为 .xls 格式";
inline constexpr const char* kEncryptedZipWorkbook =
    "这是有密码保护的 .xlsx 格式工作簿,请去掉密码并另存为 .xls 格式";
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
inline constexpr const char* kPasswordProtected = "工作簿有密码保护,请去掉密码后再导入";
inline constexpr const char* kOldVersion = "工作簿格式过旧(BIFF2-4),请另存为 97-2003 .xls 格式";
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
