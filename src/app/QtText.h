// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's edge between the program's GBK bytes and QString.

#include "text/Gbk.h"

#include <QString>
#include <string>
#include <string_view>

namespace wb {

QString fromGbk(const Gbk& text);
Gbk toGbk(const QString& text);

// A file system path as the engine takes it (the platform's file name encoding).
std::string toNativePath(const QString& path);

} // namespace wb
