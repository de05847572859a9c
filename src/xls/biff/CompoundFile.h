// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The compound file container of a .xls workbook: header, FAT with its DIFAT, directory,
// mini stream. Only what is needed to take out the workbook stream.

#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

struct WorkbookStream {
    // The stream's bytes: a view into the file when its sectors are consecutive, else into
    // the storage passed to readWorkbookStream.
    std::string_view bytes;
    // The stream is named "Book", as BIFF5 writers name it, rather than "Workbook".
    bool namedBook = false;
};

// Finds the "Workbook" stream (else the "Book" stream) among the root storage's entries and
// returns its bytes. Every sector number, chain and size is checked against the file: a
// chain that loops, leaves the file or ends early throws FormatError, as does a file that
// is no compound file (an .xlsx zip, a text file) or has no workbook stream.
WorkbookStream readWorkbookStream(std::string_view file, std::string& storage);

// The two streams of an .xlsx workbook encrypted with a password.
struct EncryptedPackageStreams {
    std::string_view info;    // EncryptionInfo
    std::string_view package; // EncryptedPackage
};

// Those streams when the compound file holds both, else nullopt; they are views into the
// file or into the storages. Throws FormatError as readWorkbookStream does for a damaged
// container.
std::optional<EncryptedPackageStreams> readEncryptedPackageStreams(std::string_view file,
                                                                   std::string& infoStorage,
                                                                   std::string& packageStorage);

} // namespace wb::xls
