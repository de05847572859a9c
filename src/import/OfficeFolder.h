// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An office folder: the folder whose wagebook.mdb, or the server its wagebook.ini names, is
// the office's database, with dm.txt beside it. Folder names are paths in
// the file system's encoding; messages are UTF-8.

#include "data/ServerAddress.h"

#include <optional>
#include <string>

namespace wb {

// The database file of the office in `folder`: folder/wagebook.mdb.
std::string officeDatabaseFile(const std::string& folder);

// Whether the office in `folder` uses a server: whether it holds wagebook.ini (its
// [database] url is then the office's database, see openDatabase, and wagebook.mdb is not
// used).
bool folderUsesServer(const std::string& folder);

// Whether `folder` holds an office database: a wagebook.mdb file, or a wagebook.ini (which
// names a server).
bool holdsOfficeDatabase(const std::string& folder);

// Why no new office database can be made in `folder`, or nullopt when one can: it is no
// folder, or it holds an office database (or anything else named wagebook.mdb) already.
std::optional<std::string> newOfficeRefusal(const std::string& folder);

// Makes an empty personnel database, with every table and no department, in `folder`.
// Throws wb::Error with the refusal above, or when it cannot be made (createDatabase).
void createOfficeDatabase(const std::string& folder);

// The server the office in `folder` uses: its wagebook.ini's url; nullopt without
// wagebook.ini. Throws wb::Error naming the file when it cannot be read or names no server.
std::optional<ServerAddress> officeServer(const std::string& folder);

// Points the office in `folder` at `address`: wagebook.ini with [database] url, the password
// left out (libpq's password file gives it, or the window asks at login). The file is
// replaced whole or not at all, and an existing one is kept as wagebook.ini.bak. Throws
// wb::Error naming the file and the reason.
void saveOfficeServer(const std::string& folder, const ServerAddress& address);

// Points the office in `folder` back at its wagebook.mdb: wagebook.ini becomes
// wagebook.ini.bak. Throws wb::Error naming the file when it cannot.
void forgetOfficeServer(const std::string& folder);

} // namespace wb
