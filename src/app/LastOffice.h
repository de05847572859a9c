// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The office folder the window opened last, kept in the user's settings file
// $XDG_CONFIG_HOME/wagebook/wagebook.conf (~/.config when XDG_CONFIG_HOME is unset), in
// QSettings' INI format: group [office], key folder.

#include <QString>

namespace wb {

// Where the settings file is, as the environment names it now.
QString userSettingsFile();

// The absolute path remembered; empty when none is.
QString lastOfficeFolder();

// Remembers `folder` (made absolute) as the office folder opened last.
void rememberOfficeFolder(const QString& folder);

} // namespace wb
