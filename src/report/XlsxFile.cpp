// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/XlsxFile.h"

#include "text/Encoding.h"
#include "text/Error.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace wb {

namespace {

// Excel's limit on the characters of a cell.
constexpr std::size_t kCellCharacters = 32767;

// Cuts UTF-8 text after `characters` characters.
std::string cutCharacters(std::string utf8, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
            continue;
        if (count++ == characters) {
            utf8.resize(i);
            break;
        }
    }
    return utf8;
}

// Why the system refused a write, in the user's words.
std::string writeFailure(int error) {
    switch (error) {
    case ENOENT:
        return "文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有写入权限";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case EROFS:
        return "磁盘是只读的";
    case EISDIR:
        return "这是一个文件夹";
    default:
        break;
    }
    const char* name = ::strerrorname_np(error);
    return "系统错误 " + (name ? std::string(name) : std::to_string(error));
}

} // namespace

XlsxFile::XlsxFile(std::string path) : path_(std::move(path)) {
    const std::filesystem::path target(path_);
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw Error("无法写入文件 " + path_ + "：" + writeFailure(errno));
    // mkstemp makes the file private; the finished file gets a new file's permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    temporary_ = pattern;
    workbook_ = workbook_new(temporary_.c_str());
    if (!workbook_) {
        std::filesystem::remove(temporary_);
        throw Error("无法写入文件 " + path_ + "：内存不足");
    }
}

XlsxFile::~XlsxFile() {
    if (workbook_)
        lxw_workbook_free(workbook_); // nothing written

    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

lxw_worksheet* XlsxFile::addSheet(const std::string& name) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_, name.c_str());
    if (!sheet)
        throw Error("无法写入文件 " + path_ + "：工作表名 " + name + " 不可用");
    return sheet;
}

lxw_format* XlsxFile::addFormat() {
    return workbook_add_format(workbook_);
}

void XlsxFile::save() {
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;
    errno = 0;
    const lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR && errno != 0)
        throw Error("无法写入文件 " + path_ + "：" + writeFailure(errno));
    check(closed, "写出");
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
        throw Error("无法写入文件 " + path_ + "：" + writeFailure(errno));
    temporary_.clear();
}

void XlsxFile::check(lxw_error error, const char* what) const {
    if (error != LXW_NO_ERROR)
        throw Error("无法写入文件 " + path_ + "：" + what + "失败（" + lxw_strerror(error) + "）");
}

std::string cellName(CellPosition cell, bool absolute) {
    char name[LXW_MAX_CELL_NAME_LENGTH];
    if (absolute)
        lxw_rowcol_to_cell_abs(name, static_cast<lxw_row_t>(cell.row - 1),
                               static_cast<lxw_col_t>(cell.column - 1), 1, 1);
    else
        lxw_rowcol_to_cell(name, static_cast<lxw_row_t>(cell.row - 1),
                           static_cast<lxw_col_t>(cell.column - 1));
    return name;
}

std::string columnName(int column) {
    char name[LXW_MAX_COL_NAME_LENGTH];
    lxw_col_to_name(name, static_cast<lxw_col_t>(column - 1), 0);
    return name;
}

std::string sheetReference(const std::string& sheet, const std::string& cells) {
    return "'" + sheet + "'!" + cells;
}

std::string cellString(const Gbk& text) {
    return cutCharacters(gbkToUtf8(text), kCellCharacters);
}

std::string noteString(const Gbk& text) {
    std::string utf8 = cellString(text);
    std::string safe;
    safe.reserve(utf8.size());
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
            safe += "\xEF\xBF\xBD";
        else
            safe += c;
    }
    return safe;
}

} // namespace wb
