// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Connection.h"

#include <QFile>

namespace wb {

Connection::Connection(std::string fileName, int busyTimeoutMs, Opener open)
    : fileName_(std::move(fileName)), busyTimeoutMs_(busyTimeoutMs), open_(open) {}

Connection::~Connection() = default;

Database& Connection::database() {
    if (!database_)
        database_ = open_(fileName_, busyTimeoutMs_);
    return *database_;
}

bool Connection::isOpen() const {
    return database_ != nullptr;
}

std::string Connection::displayName() const {
    return database_ ? database_->displayName()
                     : QFile::decodeName(fileName_.c_str()).toUtf8().toStdString();
}

} // namespace wb
