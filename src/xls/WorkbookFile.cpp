// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/WorkbookFile.h"

#include "text/GbkText.h"
#include "xls/Bytes.h"
#include "xls/FormatError.h"
#include "xls/biff/BiffReader.h"
#include "xls/biff/CompoundFile.h"
#include "xls/biff/Records.h"
#include "xls/crypto/Crypto.h"
#include "xls/crypto/EncryptedPackage.h"
#include "xls/crypto/XlsDecryption.h"
#include "xls/xlsx/XlsxReader.h"

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

// A reason that concerns the password, not the file's content: kept as it is whatever the
// file's name.
class PasswordError : public xls::FormatError {
public:
    using FormatError::FormatError;
};

// The plain bytes attempt gives with the fixed password, else with the one asked for.
template <typename Attempt>
std::string decryptWithPassword(const Attempt& attempt, const PasswordPrompt& askPassword,
                                const std::string& displayName) {
    if (std::optional<std::string> plain = attempt(xls::kFixedPassword))
        return std::move(*plain);
    if (!askPassword)
        throw PasswordError(xls::reason::kPasswordProtected);
    std::optional<std::string> password = askPassword(displayName);
    if (!password)
        throw PasswordError(xls::reason::kPasswordNotGiven);
    std::optional<std::string> plain = attempt(*password);
    xls::crypto::wipe(*password);
    if (!plain)
        throw PasswordError(xls::reason::kWrongPassword);
    return std::move(*plain);
}

// An .xlsx workbook encrypted with a password, when the compound file is one.
std::optional<XlsSheet> readEncryptedPackage(std::string_view bytes,
                                             const PasswordPrompt& askPassword,
                                             const std::string& displayName) {
    std::string infoStorage;
    std::string packageStorage;
    const std::optional<xls::EncryptedPackageStreams> streams =
        xls::readEncryptedPackageStreams(bytes, infoStorage, packageStorage);
    if (!streams)
        return std::nullopt;
    std::string zip = decryptWithPassword(
        [&](std::string_view password) {
            return xls::decryptEncryptedPackage(streams->info, streams->package, password);
        },
        askPassword, displayName);
    XlsSheet sheet = xls::readXlsxActiveSheet(zip);
    xls::crypto::wipe(zip);
    return sheet;
}

// A workbook stream with no container around it: how the versions before BIFF5 were
// saved. It starts with a BOF record of any version and its usual length.
bool isBareWorkbookStream(std::string_view bytes) {
    if (bytes.size() < 4)
        return false;
    const std::uint16_t id = xls::u16At(bytes, 0);
    const std::uint16_t length = xls::u16At(bytes, 2);
    const bool bof = id == xls::record::kBofBiff2 || id == xls::record::kBofBiff3 ||
                     id == xls::record::kBofBiff4 || id == xls::record::kBof;
    return bof && length >= 4 && length <= 20;
}

XlsSheet readByContent(std::string_view bytes, const std::string& displayName,
                       const PasswordPrompt& askPassword) {
    if (bytes.starts_with(kZipSignature) || bytes.starts_with(kEmptyZipSignature))
        return xls::readXlsxActiveSheet(bytes);
    if (bytes.starts_with(kCompoundFileSignature) && bytes.size() <= kMaxFileSize) {
        if (std::optional<XlsSheet> sheet = readEncryptedPackage(bytes, askPassword, displayName))
            return std::move(*sheet);
    }
    // BIFF2-4 are refused by the records' reader with what to do instead; a bare stream of
    // a later version is read.
    if (isBareWorkbookStream(bytes))
        return xls::readActiveSheet(bytes, false);
    if (!bytes.empty() && !bytes.starts_with(kCompoundFileSignature) &&
        (looksLikeCsv(bytes) || hasExtension(displayName, ".csv")))
        throw xls::FormatError(xls::reason::kCsvText);
    // The .xls reader also names what is wrong with anything else: empty, cut short, no
    // workbook.
    return xls::readXlsActiveSheet(bytes, askPassword, displayName);
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

XlsSheet xls::readXlsActiveSheet(std::string_view file, const PasswordPrompt& askPassword,
                                 const std::string& displayName) {
    if (file.size() > kMaxFileSize)
        throw FormatError(reason::kTooLarge);
    std::string storage;
    const WorkbookStream stream = readWorkbookStream(file, storage);
    if (!hasFilePass(stream.bytes))
        return readActiveSheet(stream.bytes, stream.namedBook);
    std::string plain = decryptWithPassword(
        [&](std::string_view password) { return decryptWorkbookStream(stream.bytes, password); },
        askPassword, displayName);
    XlsSheet sheet = readActiveSheet(plain, stream.namedBook, true);
    crypto::wipe(plain);
    return sheet;
}

XlsSheet readWorkbookActiveSheet(std::string_view bytes, const std::string& displayName,
                                 const PasswordPrompt& askPassword) {
    try {
        return readByContent(bytes, displayName, askPassword);
    } catch (const PasswordError& e) {
        throw workbookError(displayName, e.what());
    } catch (const xls::FormatError& e) {
        // Whatever is wrong inside, a .et file that does not read is one we do not read.
        if (hasExtension(displayName, ".et"))
            throw workbookError(displayName, xls::reason::kEtWorkbook);
        throw workbookError(displayName, e.what());
    }
}

XlsSheet openWorkbookActiveSheet(const std::string& path, const PasswordPrompt& askPassword) {
    return readWorkbookActiveSheet(readWorkbookFile(path), path, askPassword);
}

} // namespace wb
