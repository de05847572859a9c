#pragma once
// The window's edge between the program's GBK bytes and QString.

#include <QString>
#include <string>
#include <string_view>

namespace wb {

QString fromGbk(std::string_view gbk);
std::string toGbk(const QString& text);

// A file system path as the engine takes it (the platform's file name encoding).
std::string toNativePath(const QString& path);

} // namespace wb
