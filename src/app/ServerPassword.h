// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The password of a login to the office's server, asked when neither the settings nor
// libpq's own sources give it. It is used for the login alone and never written to a file.

#include "data/ServerAddress.h"

#include <QString>

#include <optional>

class QWidget;

namespace wb {

class WindowPrompts;

// Asks in a password field naming the server, the database and the user; nullopt when the
// user cancels.
std::optional<QString> askServerPassword(WindowPrompts& prompts, QWidget* parent,
                                         const ServerAddress& address);

} // namespace wb
