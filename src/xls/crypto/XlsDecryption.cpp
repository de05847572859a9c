// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/XlsDecryption.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"
#include "xls/biff/Records.h"
#include "xls/crypto/EncryptionHeader.h"
#include "xls/crypto/Rc4Encryption.h"
#include "xls/crypto/XorObfuscation.h"

#include <memory>

namespace wb::xls {

namespace {

// Records whose data stays plain in an encrypted stream.
constexpr std::uint16_t kInterfaceHeader = 0x00E1;
constexpr std::uint16_t kRevisionHeader = 0x0138;
constexpr std::uint16_t kUserExclusive = 0x0194;
constexpr std::uint16_t kFileLock = 0x0195;
constexpr std::uint16_t kRevisionInfo = 0x0196;
// BOUNDSHEET's first field, the sheet's position in the stream, stays plain too.
constexpr std::size_t kBoundSheetPlainBytes = 4;

// FILEPASS.
constexpr std::uint16_t kXorType = 0;
constexpr std::uint16_t kRc4Type = 1;
constexpr std::size_t kBiff5XorSize = 4; // BIFF5: key and verifier, no type
constexpr std::size_t kXorSize = 6;
constexpr std::size_t kRc4FieldsAt = 6; // after type and version
constexpr std::size_t kRc4Size = kRc4FieldsAt + 48;
constexpr std::size_t kCryptoApiHeaderAt = kRc4FieldsAt + 4; // after the flags
constexpr std::size_t kRc4HashBytes = 20;

// How many of the record's first bytes stay plain in an encrypted stream.
std::size_t plainBytes(std::uint16_t id, std::size_t size) {
    switch (id) {
    case record::kBof:
    case record::kFilePass:
    case kInterfaceHeader:
    case kRevisionHeader:
    case kUserExclusive:
    case kFileLock:
    case kRevisionInfo:
        return size;
    case record::kBoundSheet:
        return std::min(size, kBoundSheetPlainBytes);
    default:
        return 0;
    }
}

struct FilePass {
    std::size_t end = 0; // where the encrypted records begin
    std::string_view data;
};

std::optional<FilePass> findFilePass(std::string_view stream) {
    RecordStream records(stream, 0);
    Record r;
    while (records.next(r)) {
        if (r.id == record::kFilePass)
            return FilePass{records.position(), r.data};
        if (r.id == record::kEof || r.id == record::kBoundSheet)
            break;
    }
    return std::nullopt;
}

std::unique_ptr<RecordCipher> cryptoApiCipher(std::string_view d, std::string_view password) {
    if (d.size() < kCryptoApiHeaderAt)
        throw FormatError(reason::recordTooShort(recordName(record::kFilePass)));
    const EncryptionHeader h = readEncryptionHeader(d.substr(kCryptoApiHeaderAt), kRc4HashBytes);
    const std::uint32_t bits = h.keyBits == 0 ? 40 : h.keyBits;
    if (h.algorithm != algorithm::kRc4 || bits < 40 || bits > 128 || bits % 8 != 0)
        throw FormatError(reason::kEncryptionUnsupported);
    return rc4CryptoApiCipher({h.salt, h.encryptedVerifier, h.encryptedVerifierHash}, bits,
                              password);
}

// The cipher the FILEPASS record describes, or nullptr for a wrong password.
std::unique_ptr<RecordCipher> cipherFor(std::string_view d, std::string_view password) {
    if (d.size() == kBiff5XorSize)
        return xorObfuscationCipher(u16At(d, 0), u16At(d, 2), password);
    if (d.size() < 2)
        throw FormatError(reason::recordTooShort(recordName(record::kFilePass)));
    const std::uint16_t type = u16At(d, 0);
    if (type == kXorType) {
        if (d.size() < kXorSize)
            throw FormatError(reason::recordTooShort(recordName(record::kFilePass)));
        return xorObfuscationCipher(u16At(d, 2), u16At(d, 4), password);
    }
    if (type != kRc4Type || d.size() < kRc4FieldsAt)
        throw FormatError(reason::kEncryptionUnsupported);
    const std::uint16_t major = u16At(d, 2);
    const std::uint16_t minor = u16At(d, 4);
    if (major == 1 && minor == 1) {
        if (d.size() < kRc4Size)
            throw FormatError(reason::recordTooShort(recordName(record::kFilePass)));
        return rc4Cipher({d.substr(kRc4FieldsAt, 16), d.substr(kRc4FieldsAt + 16, 16),
                          d.substr(kRc4FieldsAt + 32, 16)},
                         password);
    }
    if (major >= 2 && major <= 4 && minor == 2)
        return cryptoApiCipher(d, password);
    throw FormatError(reason::kEncryptionUnsupported);
}

} // namespace

bool hasFilePass(std::string_view stream) {
    return findFilePass(stream).has_value();
}

std::optional<std::string> decryptWorkbookStream(std::string_view stream,
                                                 std::string_view password) {
    const std::optional<FilePass> filePass = findFilePass(stream);
    if (!filePass)
        return std::string(stream);
    const std::unique_ptr<RecordCipher> cipher = cipherFor(filePass->data, password);
    if (!cipher)
        return std::nullopt;
    std::string plain(stream);
    RecordStream records(stream, filePass->end);
    Record r;
    // Bytes too few for a record header after the last record are left as they are.
    while (records.headerFollows() && records.next(r)) {
        const std::size_t size = r.data.size();
        const std::size_t data = records.position() - size;
        const std::size_t skip = plainBytes(r.id, size);
        if (skip < size)
            cipher->decrypt(plain, data + skip, size - skip, size);
    }
    return plain;
}

} // namespace wb::xls
