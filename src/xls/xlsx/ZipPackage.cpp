// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/xlsx/ZipPackage.h"

#include "xls/FormatError.h"

#include <zip.h>

#include <memory>

namespace wb::xls {

namespace {

constexpr std::size_t kChunkSize = std::size_t{1} << 16;

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// The reason for a libzip failure while reading `part`.
std::string partFailure(int code, const std::string& part) {
    switch (code) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return reason::partEncrypted(part);
    default:
        return reason::partDamaged(part);
    }
}

} // namespace

ZipPackage::ZipPackage(std::string_view bytes, InflateBounds bounds)
    : bounds_(bounds), buffer_(kChunkSize) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source)
        zip_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!zip_) {
        if (source)
            zip_source_free(source);
        // No end-of-directory record: the end of the file is missing.
        throw FormatError(code == ZIP_ER_NOZIP || code == ZIP_ER_EOF ? reason::kZipCut
                                                                     : reason::kZipDamaged);
    }
}

ZipPackage::~ZipPackage() {
    zip_discard(zip_);
}

bool ZipPackage::contains(const std::string& part) const {
    return zip_name_locate(zip_, part.c_str(), ZIP_FL_NOCASE) >= 0;
}

void ZipPackage::read(const std::string& part, const std::function<void(std::string_view)>& sink) {
    const zip_int64_t index = zip_name_locate(zip_, part.c_str(), ZIP_FL_NOCASE);
    if (index < 0)
        throw FormatError(reason::partMissing(part));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw FormatError(reason::partDamaged(part));
    // A declared size over the bound is refused before anything is inflated; the count
    // below holds whatever the data really inflate to.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > bounds_.part)
        throw FormatError(reason::partTooLarge(part, bounds_.part));
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > bounds_.total - inflated_)
        throw FormatError(reason::packageTooLarge(bounds_.total));

    const std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0));
    if (!file)
        throw FormatError(partFailure(zip_error_code_zip(zip_get_error(zip_)), part));
    std::uint64_t size = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer_.data(), buffer_.size());
        if (got < 0)
            throw FormatError(
                partFailure(zip_error_code_zip(zip_file_get_error(file.get())), part));
        if (got == 0)
            break;
        size += static_cast<std::uint64_t>(got);
        inflated_ += static_cast<std::uint64_t>(got);
        if (size > bounds_.part)
            throw FormatError(reason::partTooLarge(part, bounds_.part));
        if (inflated_ > bounds_.total)
            throw FormatError(reason::packageTooLarge(bounds_.total));
        sink(std::string_view(buffer_.data(), static_cast<std::size_t>(got)));
    }
}

} // namespace wb::xls
