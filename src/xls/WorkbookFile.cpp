#include "xls/WorkbookFile.h"

#include "text/GbkText.h"
#include "xls/BiffReader.h"
#include "xls/CompoundFile.h"
#include "xls/FormatError.h"
#include "xls/XlsxReader.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace wb {

namespace {

// Larger than any workbook the formats hold in practice; keeps 32-bit text offsets safe.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

constexpr std::string_view kZipSignature("PK\x03\x04", 4);
constexpr std::string_view kEmptyZipSignature("PK\x05\x06", 4);
constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::string_view kUtf16Bom("\xFF\xFE", 2);
// How much of a file is looked at to tell CSV text.
constexpr std::size_t kSniffSize = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool hasExtension(std::string_view name, std::string_view extension) {
    return name.size() >= extension.size() &&
           equalsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
}

// Text a spreadsheet program saved as CSV (or as tab-separated Unicode text): no control
// characters but tab and line ends, no markup, and a separator in its first line.
bool looksLikeCsv(std::string_view bytes) {
    if (bytes.starts_with(kUtf16Bom))
        return true;
    const std::string_view head = bytes.substr(0, kSniffSize);
    for (char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    const std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || head[start] == '<')
        return false;
    const std::string_view firstLine = head.substr(0, head.find_first_of("\r\n"));
    return firstLine.find_first_of(",;\t") != std::string_view::npos;
}

XlsSheet readByContent(std::string_view bytes, const std::string& displayName) {
    if (bytes.starts_with(kZipSignature) || bytes.starts_with(kEmptyZipSignature))
        return xls::readXlsxActiveSheet(bytes);
    if (!bytes.empty() && !bytes.starts_with(kCompoundFileSignature) &&
        (looksLikeCsv(bytes) || hasExtension(displayName, ".csv")))
        throw xls::FormatError(xls::reason::kCsvText);
    // The .xls reader also names what is wrong with anything else: empty, cut short, no
    // workbook.
    return xls::readXlsActiveSheet(bytes);
}

} // namespace

Error workbookError(const std::string& displayName, const std::string& reason) {
    return Error("工作簿 \"" + displayName + "\" 无法读取: " + reason);
}

std::string readWorkbookFile(const std::string& path) {
    // A folder is no workbook, and opening a FIFO would wait for a writer.
    std::error_code statusUnknown;
    const auto status = std::filesystem::status(path, statusUnknown);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw workbookError(path, "它不是普通文件");
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw workbookError(path, errno == ENOENT ? "文件不存在" : "无法打开文件");
    std::string bytes;
    std::error_code sizeUnknown;
    const auto size = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown) {
        if (size > kMaxFileSize)
            throw workbookError(path, xls::reason::kTooLarge);
        bytes.reserve(static_cast<std::size_t>(size));
    }
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, got);
        if (bytes.size() > kMaxFileSize)
            throw workbookError(path, xls::reason::kTooLarge);
    }
    if (std::ferror(file.get()))
        throw workbookError(path, "读取文件出错");
    return bytes;
}

XlsSheet xls::readXlsActiveSheet(std::string_view file) {
    if (file.size() > kMaxFileSize)
        throw FormatError(reason::kTooLarge);
    std::string storage;
    const WorkbookStream stream = readWorkbookStream(file, storage);
    return readActiveSheet(stream.bytes, stream.namedBook);
}

XlsSheet readWorkbookActiveSheet(std::string_view bytes, const std::string& displayName) {
    try {
        return readByContent(bytes, displayName);
    } catch (const xls::FormatError& e) {
        // Whatever is wrong inside, a .et file that does not read is one we do not read.
        if (hasExtension(displayName, ".et"))
            throw workbookError(displayName, xls::reason::kEtWorkbook);
        throw workbookError(displayName, e.what());
    }
}

XlsSheet openWorkbookActiveSheet(const std::string& path) {
    return readWorkbookActiveSheet(readWorkbookFile(path), path);
}

} // namespace wb
