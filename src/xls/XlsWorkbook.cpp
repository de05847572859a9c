#include "xls/XlsWorkbook.h"

#include "text/Error.h"
#include "xls/BiffReader.h"
#include "xls/CompoundFile.h"
#include "xls/FormatError.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace wb {

namespace {

// Larger than any workbook the format can hold in practice; keeps 32-bit text offsets safe.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

Error readError(const std::string& displayName, const std::string& reason) {
    return Error("工作簿 \"" + displayName + "\" 无法读取: " + reason);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::unique_ptr<XlsWorkbook> XlsWorkbook::open(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw readError(path, errno == ENOENT ? "文件不存在" : "无法打开文件");
    std::string bytes;
    std::error_code sizeUnknown;
    const auto size = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown) {
        if (size > kMaxFileSize)
            throw readError(path, xls::reason::kTooLarge);
        bytes.reserve(static_cast<std::size_t>(size));
    }
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, got);
        if (bytes.size() > kMaxFileSize)
            throw readError(path, xls::reason::kTooLarge);
    }
    if (std::ferror(file.get()))
        throw readError(path, "读取文件出错");
    return fromBytes(bytes, path);
}

std::unique_ptr<XlsWorkbook> XlsWorkbook::fromBytes(std::string_view bytes,
                                                    const std::string& displayName) {
    if (bytes.size() > kMaxFileSize)
        throw readError(displayName, xls::reason::kTooLarge);
    try {
        std::string storage;
        const xls::WorkbookStream stream = xls::readWorkbookStream(bytes, storage);
        return std::unique_ptr<XlsWorkbook>(
            new XlsWorkbook(xls::readActiveSheet(stream.bytes, stream.namedBook)));
    } catch (const xls::FormatError& e) {
        throw readError(displayName, e.what());
    }
}

} // namespace wb
