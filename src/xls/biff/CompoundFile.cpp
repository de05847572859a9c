// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/biff/CompoundFile.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace wb::xls {

namespace {

constexpr std::string_view kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::uint32_t kMaxSector = 0xFFFFFFFA; // larger values are markers, never sectors
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntrySize = 128;
constexpr unsigned kMiniSectorShift = 6;
constexpr unsigned kSmallSectorShift = 9;  // 512-byte sectors (version 3)
constexpr unsigned kLargeSectorShift = 12; // 4096-byte sectors (version 4)
constexpr std::uint16_t kLittleEndian = 0xFFFE;
// From version 4 on, a stream's size is 64 bits wide.
constexpr std::uint16_t kFirstVersionWithLargeSizes = 4;

// Fields of the header, by byte offset.
namespace headerField {
constexpr std::size_t kMajorVersion = 26;
constexpr std::size_t kByteOrder = 28;
constexpr std::size_t kSectorShift = 30;
constexpr std::size_t kMiniSectorShift = 32;
constexpr std::size_t kFatSectorCount = 44;
constexpr std::size_t kDirectoryStart = 48;
constexpr std::size_t kMiniStreamCutoff = 56;
constexpr std::size_t kMiniFatStart = 60;
constexpr std::size_t kDifatStart = 68;
constexpr std::size_t kDifat = 76; // the first 109 FAT sector numbers
} // namespace headerField

// Fields of a directory entry, by byte offset.
namespace entryField {
constexpr std::size_t kNameLength = 64; // in bytes, with the terminating zero
constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kType = 66;
constexpr std::size_t kLeft = 68;
constexpr std::size_t kRight = 72;
constexpr std::size_t kChild = 76;
constexpr std::size_t kStart = 116;
constexpr std::size_t kSize = 120;
} // namespace entryField
constexpr std::uint64_t kWholeChain = std::numeric_limits<std::uint64_t>::max();

enum class EntryType : std::uint8_t { Storage = 1, Stream = 2, Root = 5 };

struct DirEntry {
    std::u16string name;
    std::uint8_t type = 0;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

bool sameName(std::u16string_view name, std::string_view ascii) {
    if (name.size() != ascii.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t a = name[i];
        char16_t b = static_cast<unsigned char>(ascii[i]);
        if (a >= u'A' && a <= u'Z')
            a = static_cast<char16_t>(a - u'A' + u'a');
        if (b >= u'A' && b <= u'Z')
            b = static_cast<char16_t>(b - u'A' + u'a');
        if (a != b)
            return false;
    }
    return true;
}

// One sector size's worth of addressing: sector n of `area` starts at base + n * size.
struct SectorSpace {
    std::string_view area;
    std::uint64_t base = 0;
    unsigned shift = 9;
    const char* beyondArea = reason::kTruncated; // the reason when a sector lies past the end

    std::uint64_t sectorSize() const { return std::uint64_t{1} << shift; }
    std::uint64_t offset(std::uint32_t sector) const {
        return base + (static_cast<std::uint64_t>(sector) << shift);
    }
};

using Chain = std::vector<std::uint32_t>;

// The sectors of a chain through `table` from `start`: `count` of them, or up to the end
// marker for kWholeChain. A sector visited twice is a loop; a number outside the table
// points outside the file.
Chain followChain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                  std::uint64_t count) {
    Chain chain;
    if (count != kWholeChain)
        chain.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, table.size())));
    std::vector<bool> seen(table.size());
    std::uint32_t sector = start;
    while (chain.size() < count) {
        if (sector == kEndOfChain && count == kWholeChain)
            break;
        if (sector > kMaxSector)
            throw FormatError(reason::kChainBroken);
        if (sector >= table.size())
            throw FormatError(reason::kSectorOutside);
        if (seen[sector])
            throw FormatError(reason::kChainLoop);
        seen[sector] = true;
        chain.push_back(sector);
        sector = table[sector];
    }
    return chain;
}

std::uint64_t sectorsFor(std::uint64_t size, unsigned shift) {
    return (size >> shift) + ((size & ((std::uint64_t{1} << shift) - 1)) != 0 ? 1 : 0);
}

// The first `size` bytes of a chain's sectors. Consecutive sectors are returned as a view
// of the area; scattered ones are copied into storage.
std::string_view chainBytes(const SectorSpace& space, const Chain& chain, std::uint64_t size,
                            std::string& storage) {
    if (size == 0 || chain.empty())
        return {};
    const auto fits = [&](std::uint64_t offset, std::uint64_t length) {
        return offset <= space.area.size() && length <= space.area.size() - offset;
    };
    bool consecutive = true;
    for (std::size_t i = 1; i < chain.size() && consecutive; ++i)
        consecutive = chain[i] == chain[0] + i;
    if (consecutive) {
        const std::uint64_t first = space.offset(chain[0]);
        if (!fits(first, size))
            throw FormatError(space.beyondArea);
        return space.area.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(size));
    }
    storage.clear();
    storage.reserve(static_cast<std::size_t>(size));
    std::uint64_t left = size;
    for (std::uint32_t sector : chain) {
        const std::uint64_t length = std::min(left, space.sectorSize());
        const std::uint64_t offset = space.offset(sector);
        if (!fits(offset, length))
            throw FormatError(space.beyondArea);
        storage.append(
            space.area.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
        left -= length;
        if (left == 0)
            break;
    }
    return storage;
}

class Container {
public:
    explicit Container(std::string_view file) : file_(file) {
        readHeader();
        readFat();
        readDirectory();
    }

    WorkbookStream workbookStream(std::string& storage) {
        const DirEntry* workbook = findStream("Workbook");
        const DirEntry* book = workbook ? nullptr : findStream("Book");
        if (!workbook && !book)
            throw FormatError(findStream("EncryptedPackage") ? reason::kEncryptedZipWorkbook
                                                             : reason::kNoWorkbookStream);
        const DirEntry& entry = workbook ? *workbook : *book;
        return {streamBytes(entry, storage), workbook == nullptr};
    }

    std::optional<EncryptedPackageStreams> encryptedPackage(std::string& infoStorage,
                                                            std::string& packageStorage) {
        const DirEntry* info = findStream("EncryptionInfo");
        const DirEntry* package = findStream("EncryptedPackage");
        if (!info || !package)
            return std::nullopt;
        return EncryptedPackageStreams{streamBytes(*info, infoStorage),
                                       streamBytes(*package, packageStorage)};
    }

private:
    void readHeader() {
        if (file_.empty())
            throw FormatError(reason::kEmpty);
        if (file_.starts_with(std::string_view("PK\x03\x04", 4)) ||
            file_.starts_with(std::string_view("PK\x05\x06", 4)))
            throw FormatError(reason::kZipWorkbook);
        if (!file_.starts_with(kSignature)) {
            if (file_.size() < kSignature.size() && kSignature.starts_with(file_))
                throw FormatError(reason::kTruncated);
            throw FormatError(reason::kNotWorkbook);
        }
        if (file_.size() < kHeaderSize)
            throw FormatError(reason::kTruncated);
        const unsigned shift = u16At(file_, headerField::kSectorShift);
        if (u16At(file_, headerField::kByteOrder) != kLittleEndian)
            throw FormatError(reason::kBadByteOrder);
        if (shift != kSmallSectorShift && shift != kLargeSectorShift)
            throw FormatError(reason::kBadSectorSize);
        if (u16At(file_, headerField::kMiniSectorShift) != kMiniSectorShift)
            throw FormatError(reason::kBadMiniSectorSize);
        largeSizes_ = u16At(file_, headerField::kMajorVersion) >= kFirstVersionWithLargeSizes;
        sectors_ = SectorSpace{file_, std::uint64_t{1} << shift, shift, reason::kTruncated};
        if (file_.size() < sectors_.base)
            throw FormatError(reason::kTruncated);
        fileSectors_ = sectorsFor(file_.size() - sectors_.base, shift);
        miniCutoff_ = u32At(file_, headerField::kMiniStreamCutoff);
    }

    // A sector the FAT claims to describe but the file lacks means the file was cut short;
    // a sector beyond anything the FAT describes is a wrong number.
    void checkInFile(std::uint32_t sector, std::uint64_t described) const {
        if (sector > kMaxSector)
            throw FormatError(reason::kChainBroken);
        if (sector >= fileSectors_)
            throw FormatError(sector < described ? reason::kTruncated : reason::kSectorOutside);
    }

    std::string_view wholeSector(std::uint32_t sector) const {
        const std::uint64_t offset = sectors_.offset(sector);
        if (offset > file_.size() || sectors_.sectorSize() > file_.size() - offset)
            throw FormatError(reason::kTruncated);
        return file_.substr(static_cast<std::size_t>(offset),
                            static_cast<std::size_t>(sectors_.sectorSize()));
    }

    void readFat() {
        const std::uint64_t perSector = sectors_.sectorSize() / 4;
        const std::uint64_t fatSectorCount = u32At(file_, headerField::kFatSectorCount);
        if (fatSectorCount > fileSectors_)
            throw FormatError(reason::kTruncated);
        const std::uint64_t described = fatSectorCount * perSector;

        std::vector<std::uint32_t> fatSectors;
        fatSectors.reserve(static_cast<std::size_t>(fatSectorCount));
        for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(u32At(file_, headerField::kDifat + 4 * i));
        std::vector<bool> seen(static_cast<std::size_t>(fileSectors_));
        std::uint32_t difat = u32At(file_, headerField::kDifatStart);
        while (fatSectors.size() < fatSectorCount) {
            if (difat == kEndOfChain || difat == kFreeSector)
                break;
            checkInFile(difat, described);
            if (seen[difat])
                throw FormatError(reason::kChainLoop);
            seen[difat] = true;
            const std::string_view bytes = wholeSector(difat);
            for (std::uint64_t i = 0; i + 1 < perSector && fatSectors.size() < fatSectorCount; ++i)
                fatSectors.push_back(u32At(bytes, static_cast<std::size_t>(4 * i)));
            difat = u32At(bytes, static_cast<std::size_t>(4 * (perSector - 1)));
        }

        fat_.reserve(static_cast<std::size_t>(fatSectors.size() * perSector));
        for (std::uint32_t sector : fatSectors) {
            if (sector == kFreeSector || sector == kEndOfChain) {
                fat_.insert(fat_.end(), static_cast<std::size_t>(perSector), kFreeSector);
                continue;
            }
            checkInFile(sector, described);
            const std::string_view bytes = wholeSector(sector);
            for (std::uint64_t i = 0; i < perSector; ++i)
                fat_.push_back(u32At(bytes, static_cast<std::size_t>(4 * i)));
        }
    }

    void readDirectory() {
        std::string storage;
        const Chain chain =
            followChain(u32At(file_, headerField::kDirectoryStart), fat_, kWholeChain);
        const std::uint64_t size = chain.size() * sectors_.sectorSize();
        const std::string_view bytes = chainBytes(sectors_, chain, size, storage);
        const std::size_t count = bytes.size() / kDirEntrySize;
        entries_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view raw = bytes.substr(i * kDirEntrySize, kDirEntrySize);
            DirEntry entry;
            const std::size_t nameBytes = std::min<std::size_t>(u16At(raw, entryField::kNameLength),
                                                                entryField::kMaxNameBytes);
            const std::size_t units = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
            for (std::size_t u = 0; u < units; ++u)
                entry.name.push_back(static_cast<char16_t>(u16At(raw, 2 * u)));
            entry.type = u8At(raw, entryField::kType);
            entry.left = u32At(raw, entryField::kLeft);
            entry.right = u32At(raw, entryField::kRight);
            entry.child = u32At(raw, entryField::kChild);
            entry.start = u32At(raw, entryField::kStart);
            // Version 3 files may leave garbage in the high half of the size.
            entry.size =
                largeSizes_ ? u64At(raw, entryField::kSize) : u32At(raw, entryField::kSize);
            entries_.push_back(std::move(entry));
        }
        if (entries_.empty() || entries_[0].type != static_cast<std::uint8_t>(EntryType::Root))
            throw FormatError(reason::kNoRootEntry);
    }

    // The stream of that name among the root storage's entries, or nullptr.
    const DirEntry* findStream(std::string_view name) const {
        std::vector<bool> seen(entries_.size());
        std::vector<std::uint32_t> pending{entries_[0].child};
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoEntry)
                continue;
            if (id >= entries_.size() || seen[id])
                throw FormatError(reason::kBadDirectoryLink);
            seen[id] = true;
            const DirEntry& entry = entries_[id];
            if (entry.type == static_cast<std::uint8_t>(EntryType::Stream) &&
                sameName(entry.name, name))
                return &entry;
            pending.push_back(entry.left);
            pending.push_back(entry.right);
        }
        return nullptr;
    }

    std::string_view streamBytes(const DirEntry& entry, std::string& storage) {
        if (entry.size > file_.size())
            throw FormatError(reason::kTruncated);
        if (entry.size >= miniCutoff_) {
            const Chain chain =
                followChain(entry.start, fat_, sectorsFor(entry.size, sectors_.shift));
            return chainBytes(sectors_, chain, entry.size, storage);
        }
        // Small streams live in 64-byte sectors inside the root entry's stream.
        std::vector<std::uint32_t> miniFat;
        std::string miniFatStorage;
        const std::uint32_t miniFatStart = u32At(file_, headerField::kMiniFatStart);
        if (miniFatStart != kEndOfChain) {
            const Chain chain = followChain(miniFatStart, fat_, kWholeChain);
            const std::string_view bytes =
                chainBytes(sectors_, chain, chain.size() * sectors_.sectorSize(), miniFatStorage);
            miniFat.reserve(bytes.size() / 4);
            for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4)
                miniFat.push_back(u32At(bytes, at));
        }
        const DirEntry& root = entries_[0];
        if (root.size > file_.size())
            throw FormatError(reason::kTruncated);
        std::string miniStreamStorage;
        const Chain rootChain =
            followChain(root.start, fat_, sectorsFor(root.size, sectors_.shift));
        const SectorSpace mini{chainBytes(sectors_, rootChain, root.size, miniStreamStorage), 0,
                               kMiniSectorShift, reason::kSectorOutside};
        const Chain chain = followChain(entry.start, miniFat, sectorsFor(entry.size, mini.shift));
        const std::string_view bytes = chainBytes(mini, chain, entry.size, storage);
        // The mini stream may be held in a local buffer: keep the result in the caller's.
        if (bytes.data() != storage.data())
            storage.assign(bytes);
        return storage;
    }

    std::string_view file_;
    SectorSpace sectors_;
    std::uint64_t fileSectors_ = 0;
    std::uint32_t miniCutoff_ = 4096;
    bool largeSizes_ = false;
    std::vector<std::uint32_t> fat_;
    std::vector<DirEntry> entries_;
};

} // namespace

WorkbookStream readWorkbookStream(std::string_view file, std::string& storage) {
    Container container(file);
    return container.workbookStream(storage);
}

std::optional<EncryptedPackageStreams> readEncryptedPackageStreams(std::string_view file,
                                                                   std::string& infoStorage,
                                                                   std::string& packageStorage) {
    Container container(file);
    return container.encryptedPackage(infoStorage, packageStorage);
}

} // namespace wb::xls
