#pragma once
// A file layer under the database engine that makes writes, syncs, reads or the opening
// of new files fail on command, as a full disk, a failing disk or a file system turned
// read-only would, or makes writes and syncs slow, as a busy disk does. One test source
// per program includes it.
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// --- the fault layer ---------------------------------------------------------------

struct Faults {
    int writeError = SQLITE_OK; // returned by xWrite and xTruncate
    int syncError = SQLITE_OK;  // returned by xSync
    int openError = SQLITE_OK;  // returned when a file other than the database is opened
    int readError = SQLITE_OK;  // returned by xRead
    int passWrites = 0;         // writes that still succeed before writeError strikes
    int injected = 0;           // faults actually returned
    void clear()
    {
        writeError = syncError = openError = readError = SQLITE_OK;
        passWrites = injected = 0;
        slowUs = 0;
    }
    // Every write and sync takes this long (microseconds); set from one thread while
    // the engine works on another.
    std::atomic<int> slowUs{0};
};
Faults g_faults;
sqlite3_vfs *g_real = nullptr;

struct FaultFile {
    sqlite3_file base;
    sqlite3_file *real; // allocated right behind this struct
};

sqlite3_file *real(sqlite3_file *f) { return reinterpret_cast<FaultFile *>(f)->real; }

int fClose(sqlite3_file *f) { return real(f)->pMethods->xClose(real(f)); }
int fRead(sqlite3_file *f, void *p, int n, sqlite3_int64 off)
{
    if (g_faults.readError != SQLITE_OK)
        return ++g_faults.injected, g_faults.readError;
    return real(f)->pMethods->xRead(real(f), p, n, off);
}
void slowly()
{
    if (const int us = g_faults.slowUs.load())
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}
int fWrite(sqlite3_file *f, const void *p, int n, sqlite3_int64 off)
{
    slowly();
    if (g_faults.writeError != SQLITE_OK) {
        if (g_faults.passWrites > 0)
            --g_faults.passWrites;
        else
            return ++g_faults.injected, g_faults.writeError;
    }
    return real(f)->pMethods->xWrite(real(f), p, n, off);
}
int fTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (g_faults.writeError != SQLITE_OK && g_faults.passWrites == 0)
        return ++g_faults.injected, g_faults.writeError;
    return real(f)->pMethods->xTruncate(real(f), size);
}
int fSync(sqlite3_file *f, int flags)
{
    slowly();
    if (g_faults.syncError != SQLITE_OK)
        return ++g_faults.injected, g_faults.syncError;
    return real(f)->pMethods->xSync(real(f), flags);
}
int fFileSize(sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); }
int fLock(sqlite3_file *f, int l) { return real(f)->pMethods->xLock(real(f), l); }
int fUnlock(sqlite3_file *f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
int fCheckReserved(sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
int fFileControl(sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
int fSectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
int fDeviceCharacteristics(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }

// Version 1 only: the notes file keeps its journal in a separate file, no shared memory.
const sqlite3_io_methods kMethods = {1,      fClose,         fRead,       fWrite,          fTruncate,
                                     fSync,  fFileSize,      fLock,       fUnlock,         fCheckReserved,
                                     fFileControl, fSectorSize, fDeviceCharacteristics,
                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

int fOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *ff = reinterpret_cast<FaultFile *>(f);
    ff->base.pMethods = nullptr;
    if (g_faults.openError != SQLITE_OK && !(flags & SQLITE_OPEN_MAIN_DB))
        return ++g_faults.injected, g_faults.openError;
    ff->real = reinterpret_cast<sqlite3_file *>(ff + 1);
    const int rc = g_real->xOpen(g_real, name, ff->real, flags, outFlags);
    if (ff->real->pMethods)
        ff->base.pMethods = &kMethods;
    return rc;
}
int fDelete(sqlite3_vfs *, const char *name, int sync) { return g_real->xDelete(g_real, name, sync); }
int fAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return g_real->xAccess(g_real, name, flags, out); }
int fFullPathname(sqlite3_vfs *, const char *name, int n, char *out) { return g_real->xFullPathname(g_real, name, n, out); }
void *fDlOpen(sqlite3_vfs *, const char *name) { return g_real->xDlOpen(g_real, name); }
void fDlError(sqlite3_vfs *, int n, char *msg) { g_real->xDlError(g_real, n, msg); }
void (*fDlSym(sqlite3_vfs *, void *h, const char *sym))(void) { return g_real->xDlSym(g_real, h, sym); }
void fDlClose(sqlite3_vfs *, void *h) { g_real->xDlClose(g_real, h); }
int fRandomness(sqlite3_vfs *, int n, char *out) { return g_real->xRandomness(g_real, n, out); }
int fSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int fCurrentTime(sqlite3_vfs *, double *t) { return g_real->xCurrentTime(g_real, t); }
int fGetLastError(sqlite3_vfs *, int n, char *msg) { return g_real->xGetLastError(g_real, n, msg); }

// Registered once as the default, so that the data module's plain open goes through it.
void installFaultLayer()
{
    static sqlite3_vfs vfs{};
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    vfs.iVersion = 1;
    vfs.szOsFile = int(sizeof(FaultFile)) + g_real->szOsFile;
    vfs.mxPathname = g_real->mxPathname;
    vfs.zName = "faulty";
    vfs.xOpen = fOpen;
    vfs.xDelete = fDelete;
    vfs.xAccess = fAccess;
    vfs.xFullPathname = fFullPathname;
    vfs.xDlOpen = fDlOpen;
    vfs.xDlError = fDlError;
    vfs.xDlSym = fDlSym;
    vfs.xDlClose = fDlClose;
    vfs.xRandomness = fRandomness;
    vfs.xSleep = fSleep;
    vfs.xCurrentTime = fCurrentTime;
    vfs.xGetLastError = fGetLastError;
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace
