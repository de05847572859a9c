// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace wb {

// Puts Qt's own texts (message box and dialog buttons, context menus) into simplified
// Chinese, whatever the system's language: the window is Chinese throughout. Loads
// qtbase_zh_CN.qm from Qt's translations folder once per application; later calls do
// nothing. Returns whether the translations are in place (false when the file is missing).
bool installChineseQtTranslations();

} // namespace wb
