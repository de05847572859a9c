// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/EncryptedPackage.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"
#include "xls/crypto/StandardEncryption.h"

namespace wb::xls {

namespace {

// EncryptionInfo: major and minor version, flags; EncryptedPackage: the zip's size.
constexpr std::size_t kInfoHeaderSize = 8;
constexpr std::size_t kPackageSizeField = 8;

} // namespace

std::optional<std::string> decryptEncryptedPackage(std::string_view info, std::string_view package,
                                                   std::string_view password,
                                                   std::uint32_t maxSpinCount) {
    if (info.size() < kInfoHeaderSize)
        throw FormatError(reason::kEncryptionInfoDamaged);
    if (package.size() < kPackageSizeField)
        throw FormatError(reason::kEncryptedPackageCut);
    const std::uint16_t major = u16At(info, 0);
    const std::uint16_t minor = u16At(info, 2);
    const std::uint64_t size = u64At(package, 0);
    info.remove_prefix(kInfoHeaderSize);
    package.remove_prefix(kPackageSizeField);
    if (size > package.size())
        throw FormatError(reason::kEncryptedPackageCut);
    if (major >= 2 && major <= 4 && minor == 2)
        return decryptStandardPackage(info, package, size, password);
    if (major == 4 && minor == 4)
        return decryptAgilePackage(info, package, size, password, maxSpinCount);
    throw FormatError(reason::kEncryptionUnsupported);
}

} // namespace wb::xls
