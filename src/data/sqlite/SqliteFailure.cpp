// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sqlite/SqliteFailure.h"

#include <sqlite3.h>

#include <cerrno>

namespace wb {

namespace {

// What the operating system said, where it says more than the engine's code.
std::string systemCause(int systemErrno) {
    switch (systemErrno) {
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case EFBIG:
        return "数据库文件超出了允许的文件大小";
    case EROFS:
        return "数据库所在的磁盘是只读的";
    case EACCES:
    case EPERM:
        return "没有读写数据库文件的权限";
    case EIO:
        return "读写磁盘时发生输入输出错误";
    case ENOENT:
    case ESTALE:
        return "数据库文件已不存在";
    default:
        return {};
    }
}

} // namespace

std::string failureCause(int engineCode, int systemErrno) {
    const std::string fromSystem = systemCause(systemErrno);
    switch (engineCode & 0xFF) {
    case SQLITE_FULL:
        return fromSystem.empty() ? "磁盘已满" : fromSystem;
    case SQLITE_IOERR:
        return fromSystem.empty() ? "读写数据库文件时发生输入输出错误" : fromSystem;
    case SQLITE_READONLY:
        return "数据库文件是只读的，不能写入";
    case SQLITE_CANTOPEN:
        return fromSystem.empty() ? "无法打开数据库文件或它的日志文件" : fromSystem;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "没有读写数据库文件的权限";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "数据库正被其他程序使用（已锁定），请稍后再试";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return "数据库文件已损坏";
    case SQLITE_NOMEM:
        return "内存不足";
    case SQLITE_PROTOCOL:
        return "数据库的锁出错，请关闭其他使用它的程序后再试";
    default:
        return {};
    }
}

bool isDatabaseFailure(int engineCode) {
    switch (engineCode & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_NOMEM:
    case SQLITE_PROTOCOL:
        return true;
    default:
        return false;
    }
}

} // namespace wb
