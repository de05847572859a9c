// SPDX-License-Identifier: GPL-3.0-or-later
// Protected workbooks through the opener: each method reads exactly as the plain copy, the
// fixed password without asking, a real one asked for once; wrong, missing and damaged
// encryption give messages that name the file. tools/protect_workbooks.py wrote the
// encrypted staff workbooks and checked each with an independent decryptor.

#include "support/FileLines.h"
#include "support/OpenError.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "xls/Bytes.h"
#include "xls/FormatError.h"
#include "xls/WorkbookFile.h"
#include "xls/biff/CompoundFile.h"
#include "xls/biff/Records.h"
#include "xls/crypto/EncryptedPackage.h"
#include "xls/crypto/XlsDecryption.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

using namespace wb;
namespace reason = wb::xls::reason;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(WB_FIXTURES);
constexpr const char* kRealPassword = "工资 2024";

std::string fixture(const std::string& name) {
    return wb::test::fileBytes(kFixtures / name);
}

// Every cell of the sheet, one line each.
std::vector<std::string> cells(const XlsSheet& sheet) {
    std::vector<std::string> out;
    for (int row = 1; row <= sheet.lastRow(); ++row)
        for (int column = 1; column <= sheet.lastColumn(); ++column) {
            const CellValue v = sheet.cell(row, column);
            std::ostringstream line;
            line << row << ',' << column << ':' << static_cast<int>(v.kind) << ':' << v.number
                 << ':' << gbkToUtf8(v.text);
            out.push_back(line.str());
        }
    return out;
}

// A prompt that counts its calls and gives `answer` (none: the user cancels).
struct Prompt {
    std::optional<std::string> answer;
    std::vector<std::string> askedFor;

    PasswordPrompt callback() {
        return [this](const std::string& name) {
            askedFor.push_back(name);
            return answer;
        };
    }
};

std::string openError(const std::string& name, const PasswordPrompt& prompt) {
    return test::openErrorOf([&] { readWorkbookActiveSheet(fixture(name), name, prompt); });
}

TEST(Decryption, TheFixedPasswordReadsAsThePlainCopyWithoutAsking) {
    const struct {
        const char* file;
        const char* plain;
    } cases[] = {
        {"import/full_xor.xls", "import/full.xls"},
        {"import/full_rc4.xls", "import/full.xls"},
        {"import/full_cryptoapi.xls", "import/full.xls"},
        {"import/full_fixed.xlsx", "import/full.xlsx"},
        {"import/full_standard.xlsx", "import/full.xlsx"},
    };
    for (const auto& c : cases) {
        Prompt prompt;
        const XlsSheet sheet = readWorkbookActiveSheet(fixture(c.file), c.file, prompt.callback());
        EXPECT_EQ(cells(sheet), cells(openWorkbookActiveSheet((kFixtures / c.plain).string())))
            << c.file;
        EXPECT_TRUE(prompt.askedFor.empty()) << c.file;
    }
}

TEST(Decryption, ARealPasswordIsAskedForOnceNamingTheFile) {
    const struct {
        const char* file;
        const char* plain;
        const char* password;
    } cases[] = {
        {"import/full_password.xls", "import/full.xls", kRealPassword},
        {"import/full_password.xlsx", "import/full.xlsx", kRealPassword},
        // Written by the spreadsheet program itself.
        {"xls/password_2002_40_xor.xls", "xls/password_2002_128_strong.xls", "password"},
    };
    for (const auto& c : cases) {
        Prompt prompt{c.password, {}};
        const XlsSheet sheet = readWorkbookActiveSheet(fixture(c.file), c.file, prompt.callback());
        Prompt plainPrompt{c.password, {}};
        const XlsSheet plain =
            readWorkbookActiveSheet(fixture(c.plain), c.plain, plainPrompt.callback());
        EXPECT_EQ(cells(sheet), cells(plain)) << c.file;
        EXPECT_EQ(prompt.askedFor, std::vector<std::string>{c.file});
    }
    // The first cell of the spreadsheet program's files is 1.
    Prompt prompt{"password", {}};
    const XlsSheet sheet = readWorkbookActiveSheet(fixture("xls/password_2002_128_strong.xls"),
                                                   "x.xls", prompt.callback());
    EXPECT_EQ(sheet.cell(1, 1).number, 1);
}

TEST(Decryption, AWrongMissingOrRefusedPasswordNamesTheFile) {
    const std::string files[] = {"import/full_password.xls", "import/full_password.xlsx",
                                 "xls/password_2002_40_xor.xls",
                                 "xls/password_2002_128_strong.xls"};
    for (const std::string& file : files) {
        const std::string start = "工作簿 \"" + file + "\" 无法读取: ";
        Prompt wrong{"passwort", {}};
        EXPECT_EQ(openError(file, wrong.callback()), start + reason::kWrongPassword);
        Prompt cancelled;
        EXPECT_EQ(openError(file, cancelled.callback()), start + reason::kPasswordNotGiven);
        EXPECT_EQ(openError(file, {}), start + reason::kPasswordProtected);
    }
    // Whatever the file's name says, a password is a password.
    Prompt wrong{"x", {}};
    const std::string et = fixture("import/full_password.xls");
    try {
        readWorkbookActiveSheet(et, "a.et", wrong.callback());
        ADD_FAILURE() << "opened";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("工作簿 \"a.et\" 无法读取: ") + reason::kWrongPassword);
    }
}

TEST(Decryption, APlainWorkbookNeverAsks) {
    for (const char* file : {"import/full.xls", "import/full.xlsx"}) {
        Prompt prompt;
        readWorkbookActiveSheet(fixture(file), file, prompt.callback());
        EXPECT_TRUE(prompt.askedFor.empty()) << file;
    }
}

// The streams of an encrypted package, copied out of the fixture.
struct PackageStreams {
    std::string info;
    std::string package;
};

PackageStreams packageOf(const std::string& file) {
    std::string infoStorage, packageStorage;
    const std::string bytes = fixture(file);
    const auto streams = xls::readEncryptedPackageStreams(bytes, infoStorage, packageStorage);
    if (!streams)
        throw std::runtime_error("no encrypted package in " + file);
    return {std::string(streams->info), std::string(streams->package)};
}

std::string packageError(const std::string& info, const std::string& package,
                         std::uint32_t maxSpinCount = xls::kMaxSpinCount) {
    try {
        xls::decryptEncryptedPackage(info, package, xls::kFixedPassword, maxSpinCount);
    } catch (const xls::FormatError& e) {
        return e.what();
    }
    return "(decrypted)";
}

TEST(Decryption, DamagedOrUnknownPackageEncryptionIsRefused) {
    const PackageStreams agile = packageOf("import/full_fixed.xlsx");
    const PackageStreams standard = packageOf("import/full_standard.xlsx");
    const auto withVersion = [](std::string info, char major, char minor) {
        info[0] = major;
        info[2] = minor;
        return info;
    };
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const struct {
        const char* what;
        std::string info;
        std::string package;
        std::string reason;
    } cases[] = {
        {"extensible encryption", withVersion(agile.info, 4, 3), agile.package,
         reason::kEncryptionUnsupported},
        {"package cut", agile.info, agile.package.substr(0, agile.package.size() - 17),
         reason::kEncryptedPackageCut},
        {"no size", agile.info, agile.package.substr(0, 7), reason::kEncryptedPackageCut},
        {"info cut", agile.info.substr(0, 7), agile.package, reason::kEncryptionInfoDamaged},
        {"another cipher", replaced(agile.info, "\"AES\"", "\"DES\""), agile.package,
         reason::kEncryptionUnsupported},
        {"another hash", replaced(agile.info, "SHA512", "MD5"), agile.package,
         reason::kEncryptionUnsupported},
        {"no key encryptor", replaced(agile.info, "encryptedKey ", "encryptedKez "), agile.package,
         reason::kEncryptionInfoDamaged},
        {"not base64", replaced(agile.info, "saltValue=\"", "saltValue=\"*"), agile.package,
         reason::kEncryptionInfoDamaged},
        {"standard cut", standard.info.substr(0, 60), standard.package,
         reason::kEncryptionInfoDamaged},
        {"standard package cut", standard.info, standard.package.substr(0, 100),
         reason::kEncryptedPackageCut},
    };
    for (const auto& c : cases)
        EXPECT_EQ(packageError(c.info, c.package), c.reason) << c.what;
    // The hash may be iterated no more than the bound allows.
    EXPECT_EQ(packageError(agile.info, agile.package, 1000), reason::kEncryptionUnsupported);
}

TEST(Decryption, DamagedFilePassIsRefused) {
    // BOF, then FILEPASS with the given data.
    const auto stream = [](const std::string& filePass) {
        std::string s("\x09\x08\x04\x00\x00\x06\x05\x00", 8);
        s += std::string("\x2F\x00", 2) + static_cast<char>(filePass.size()) + '\0' + filePass;
        return s;
    };
    const struct {
        const char* what;
        std::string filePass;
        std::string reason;
    } cases[] = {
        {"no type", std::string(1, '\0'), reason::recordTooShort("FILEPASS")},
        {"XOR cut", std::string("\0\0\1\0", 5), reason::recordTooShort("FILEPASS")},
        {"RC4 cut", std::string("\1\0\1\0\1\0", 6) + std::string(40, '\0'),
         reason::recordTooShort("FILEPASS")},
        {"unknown type", std::string("\2\0\1\0\1\0", 6), reason::kEncryptionUnsupported},
        {"unknown RC4 version", std::string("\1\0\5\0\5\0", 6), reason::kEncryptionUnsupported},
        // Found by the fuzz target: the version of CryptoAPI, and no flags after it.
        {"CryptoAPI flags cut", std::string("\1\0\2\0\2\0\4\0", 8),
         reason::recordTooShort("FILEPASS")},
        {"CryptoAPI header cut", std::string("\1\0\4\0\2\0\4\0\0\0\xFF\0\0\0", 14),
         reason::kEncryptionInfoDamaged},
    };
    for (const auto& c : cases) {
        std::string message = "(decrypted)";
        try {
            xls::decryptWorkbookStream(stream(c.filePass), "x");
        } catch (const xls::FormatError& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.reason) << c.what;
    }
}

TEST(Decryption, ARecordPastTheEndOfAnEncryptedStreamIsRefused) {
    const std::string file = fixture("import/full_xor.xls");
    std::string storage;
    const std::string stream(xls::readWorkbookStream(file, storage).bytes);
    ASSERT_TRUE(xls::hasFilePass(stream));
    ASSERT_TRUE(xls::decryptWorkbookStream(stream, xls::kFixedPassword));
    // The record after FILEPASS claims more bytes than the stream has.
    std::string damaged = stream;
    std::size_t at = 0;
    while (xls::u16At(damaged, at) != xls::record::kFilePass)
        at += 4 + xls::u16At(damaged, at + 2);
    at += 4 + xls::u16At(damaged, at + 2);
    ASSERT_LT(stream.size(), 0xFFFFu);
    damaged[at + 2] = damaged[at + 3] = '\xFF';
    EXPECT_THROW(xls::decryptWorkbookStream(damaged, xls::kFixedPassword), xls::FormatError);
}

} // namespace
