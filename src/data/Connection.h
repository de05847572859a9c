// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"

#include <memory>
#include <string>

namespace wb {

// The office's one connection to its personnel database: every component writes and reads
// through it. The database opens on first use (a relative name resolves against the current
// directory at that moment), by what the file is (openDatabase), and stays open until the
// connection is destroyed; a failed open is tried again on the next use. The components
// built on a connection (StatementRunner, PersonTable, Query) must not outlive it.
class Connection {
public:
    // How a database is opened (openDatabase).
    using Opener = std::unique_ptr<Database> (*)(const std::string& location, int busyTimeoutMs);

    // fileName is a path in the file system's encoding. busyTimeoutMs is how long a write
    // waits for another program's lock before it fails. The opener is named where the
    // connection is made, so that the libraries that only use a connection link no kind of
    // database; the program that makes one links them all.
    explicit Connection(std::string fileName, int busyTimeoutMs = 5000, Opener open = openDatabase);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The open database; opens it on first use. Throws as openDatabase does when it cannot.
    Database& database();
    bool isOpen() const;
    // The database as messages name it (UTF-8): once open, as the database says; before,
    // the file name.
    std::string displayName() const;

private:
    std::string fileName_;
    int busyTimeoutMs_;
    Opener open_;
    std::unique_ptr<Database> database_;
};

} // namespace wb
