// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A disk that fails on request: an SQLite VFS wrapped around the default one and made the
// default while it lives, so every connection opened meanwhile (Qt's driver included, which
// uses the same library) writes through it. Once armed, writes fail as a full disk or an I/O
// error would make them fail, with the operating system's error number behind them.

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

namespace wb::test {

class FaultyDisk {
public:
    FaultyDisk() {
        real_ = sqlite3_vfs_find(nullptr);
        vfs_ = *real_;
        vfs_.zName = "wb-faulty-disk";
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
        vfs_.pAppData = this;
        vfs_.xOpen = open;
        vfs_.xGetLastError = lastError;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FaultyDisk() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(real_, 1);
    }
    FaultyDisk(const FaultyDisk&) = delete;
    FaultyDisk& operator=(const FaultyDisk&) = delete;

    // After `goodWrites` more writes, every write fails with `result` (SQLITE_FULL,
    // SQLITE_IOERR_WRITE, ...) and the system error `systemErrno`.
    void failWritesAfter(int goodWrites, int result, int systemErrno) {
        goodWrites_ = goodWrites;
        result_ = result;
        errno_ = systemErrno;
    }
    void heal() { goodWrites_ = -1; }
    int failedWrites() const { return failedWrites_; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
        FaultyDisk* disk;
    };

    static FaultyDisk& of(sqlite3_vfs* vfs) { return *static_cast<FaultyDisk*>(vfs->pAppData); }
    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

    static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
        FaultyDisk& disk = of(vfs);
        File* wrapped = reinterpret_cast<File*>(file);
        wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
        wrapped->disk = &disk;
        const int rc = disk.real_->xOpen(disk.real_, name, wrapped->real, flags, outFlags);
        wrapped->base.pMethods =
            wrapped->real->pMethods ? &disk.methodsFor(*wrapped->real) : nullptr;
        return rc;
    }
    static int lastError(sqlite3_vfs* vfs, int size, char* text) {
        FaultyDisk& disk = of(vfs);
        if (disk.failedWrites_ > 0)
            return disk.errno_;
        return disk.real_->xGetLastError ? disk.real_->xGetLastError(disk.real_, size, text) : 0;
    }

    const sqlite3_io_methods& methodsFor(const sqlite3_file& file) {
        if (!methodsReady_) {
            methods_ = *file.pMethods;
            methods_.xClose = [](sqlite3_file* f) {
                return real(f)->pMethods->xClose(real(f));
            };
            methods_.xRead = [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
                return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
            };
            methods_.xWrite = [](sqlite3_file* f, const void* buffer, int amount,
                                 sqlite3_int64 offset) {
                FaultyDisk& disk = *reinterpret_cast<File*>(f)->disk;
                if (disk.goodWrites_ == 0) {
                    ++disk.failedWrites_;
                    errno = disk.errno_;
                    return disk.result_;
                }
                if (disk.goodWrites_ > 0)
                    --disk.goodWrites_;
                return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
            };
            methods_.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
                return real(f)->pMethods->xTruncate(real(f), size);
            };
            methods_.xSync = [](sqlite3_file* f, int flags) {
                return real(f)->pMethods->xSync(real(f), flags);
            };
            methods_.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
                return real(f)->pMethods->xFileSize(real(f), size);
            };
            methods_.xLock = [](sqlite3_file* f, int lock) {
                return real(f)->pMethods->xLock(real(f), lock);
            };
            methods_.xUnlock = [](sqlite3_file* f, int lock) {
                return real(f)->pMethods->xUnlock(real(f), lock);
            };
            methods_.xCheckReservedLock = [](sqlite3_file* f, int* out) {
                return real(f)->pMethods->xCheckReservedLock(real(f), out);
            };
            methods_.xFileControl = [](sqlite3_file* f, int op, void* arg) {
                return real(f)->pMethods->xFileControl(real(f), op, arg);
            };
            methods_.xSectorSize = [](sqlite3_file* f) {
                return real(f)->pMethods->xSectorSize(real(f));
            };
            methods_.xDeviceCharacteristics = [](sqlite3_file* f) {
                return real(f)->pMethods->xDeviceCharacteristics(real(f));
            };
            methods_.xShmMap = [](sqlite3_file* f, int region, int size, int extend,
                                  void volatile** out) {
                return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
            };
            methods_.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
                return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
            };
            methods_.xShmBarrier = [](sqlite3_file* f) {
                real(f)->pMethods->xShmBarrier(real(f));
            };
            methods_.xShmUnmap = [](sqlite3_file* f, int deleteFlag) {
                return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
            };
            // Memory-mapped reads would bypass xRead; none are needed for the tests.
            methods_.xFetch = [](sqlite3_file*, sqlite3_int64, int, void** out) {
                *out = nullptr;
                return SQLITE_OK;
            };
            methods_.xUnfetch = [](sqlite3_file*, sqlite3_int64, void*) {
                return SQLITE_OK;
            };
            methodsReady_ = true;
        }
        return methods_;
    }

    sqlite3_vfs* real_;
    sqlite3_vfs vfs_;
    sqlite3_io_methods methods_{};
    bool methodsReady_ = false;
    int goodWrites_ = -1; // -1: never fail
    int result_ = SQLITE_OK;
    int errno_ = 0;
    int failedWrites_ = 0;
};

} // namespace wb::test
