// The fault-injecting SQLite file system of the tests.
#include "tests/support/fault_vfs.h"

#include "sqlite3.h"

namespace {

sqlite3_vfs g_vfs;
sqlite3_vfs *g_system = nullptr;
sqlite3_io_methods g_methods;
const sqlite3_io_methods *g_systemMethods = nullptr;
HANDLE g_waited = nullptr;
volatile LONG g_instant = 0;
CRITICAL_SECTION g_lock;
long long g_space = -1;
bool g_stillFull = false;
bool g_full = false;
volatile LONG g_readOnly = 0;

// A file of ours: the header SQLite sees, followed by the system's own file.
struct FaultFile {
    sqlite3_file base;
    void *alignment;   // keeps the system's file, which holds 64-bit fields, on an 8-byte boundary
};

sqlite3_file *Inner(sqlite3_file *file)
{
    return reinterpret_cast<sqlite3_file *>(reinterpret_cast<FaultFile *>(file) + 1);
}

bool TakeSpace(int bytes)
{
    EnterCriticalSection(&g_lock);
    bool written = true;
    if (g_full) {
        written = false;
        g_full = g_stillFull;
    } else if (g_space >= 0) {
        if (bytes > g_space) {
            written = false;
            g_full = g_stillFull;
            g_space = -1;
        } else {
            g_space -= bytes;
        }
    }
    LeaveCriticalSection(&g_lock);
    return written;
}

int Write(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset)
{
    if (!TakeSpace(amount))
        return SQLITE_FULL;
    return g_systemMethods->xWrite(Inner(file), data, amount, offset);
}

int Close(sqlite3_file *file) { return g_systemMethods->xClose(Inner(file)); }
int Read(sqlite3_file *file, void *data, int amount, sqlite3_int64 offset)
{
    return g_systemMethods->xRead(Inner(file), data, amount, offset);
}
int Truncate(sqlite3_file *file, sqlite3_int64 size) { return g_systemMethods->xTruncate(Inner(file), size); }
int Sync(sqlite3_file *file, int flags) { return g_systemMethods->xSync(Inner(file), flags); }
int FileSize(sqlite3_file *file, sqlite3_int64 *size) { return g_systemMethods->xFileSize(Inner(file), size); }
int Lock(sqlite3_file *file, int level) { return g_systemMethods->xLock(Inner(file), level); }
int Unlock(sqlite3_file *file, int level) { return g_systemMethods->xUnlock(Inner(file), level); }
int CheckReservedLock(sqlite3_file *file, int *out) { return g_systemMethods->xCheckReservedLock(Inner(file), out); }
int FileControl(sqlite3_file *file, int op, void *arg) { return g_systemMethods->xFileControl(Inner(file), op, arg); }
int SectorSize(sqlite3_file *file) { return g_systemMethods->xSectorSize(Inner(file)); }
int DeviceCharacteristics(sqlite3_file *file) { return g_systemMethods->xDeviceCharacteristics(Inner(file)); }

int Open(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    sqlite3_file *inner = Inner(file);
    file->pMethods = nullptr;
    // As the system's own file system does with a file it may not write: opened for reading only,
    // which SQLite learns from the flags it gets back.
    if (g_readOnly && (flags & SQLITE_OPEN_MAIN_DB) && (flags & SQLITE_OPEN_READWRITE))
        flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    int result = g_system->xOpen(g_system, name, inner, flags, outFlags);
    if (result != SQLITE_OK || !inner->pMethods)
        return result;
    // The system's files all share one set of methods; ours stands in front of it. Write-ahead
    // logging is not used by the store, so the shared-memory methods are left out.
    if (!g_systemMethods) {
        g_systemMethods = inner->pMethods;
        g_methods = sqlite3_io_methods{1, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock,
                                       CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    }
    file->pMethods = &g_methods;
    return SQLITE_OK;
}

// The busy handler sleeps between its tries: a connection waiting for another's lock.
int SleepWaiting(sqlite3_vfs *, int microseconds)
{
    SetEvent(g_waited);
    if (g_instant)
        return microseconds;
    return g_system->xSleep(g_system, microseconds);
}

int Delete(sqlite3_vfs *, const char *name, int syncDirectory) { return g_system->xDelete(g_system, name, syncDirectory); }
int Access(sqlite3_vfs *, const char *name, int flags, int *out) { return g_system->xAccess(g_system, name, flags, out); }
int FullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return g_system->xFullPathname(g_system, name, size, out);
}
int Randomness(sqlite3_vfs *, int size, char *out) { return g_system->xRandomness(g_system, size, out); }
int CurrentTime(sqlite3_vfs *, double *now) { return g_system->xCurrentTime(g_system, now); }
int LastError(sqlite3_vfs *, int size, char *out) { return g_system->xGetLastError(g_system, size, out); }
int CurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *now) { return g_system->xCurrentTimeInt64(g_system, now); }

}  // namespace

void InstallFaultVfs()
{
    if (g_system)
        return;
    sqlite3_initialize();
    g_system = sqlite3_vfs_find(nullptr);
    InitializeCriticalSection(&g_lock);
    g_waited = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_vfs = sqlite3_vfs{2, static_cast<int>(sizeof(FaultFile)) + g_system->szOsFile, g_system->mxPathname,
                        nullptr, "fault", nullptr, Open, Delete, Access, FullPathname,
                        nullptr, nullptr, nullptr, nullptr, Randomness, SleepWaiting, CurrentTime, LastError,
                        CurrentTimeInt64, nullptr, nullptr, nullptr};
    sqlite3_vfs_register(&g_vfs, 1);
}

void SetDiskSpace(long long bytes, bool stillFull)
{
    EnterCriticalSection(&g_lock);
    g_space = bytes;
    g_stillFull = stillFull;
    g_full = false;
    LeaveCriticalSection(&g_lock);
}

HANDLE LockWaitEvent()
{
    return g_waited;
}

void SetInstantLockWaits(bool instant)
{
    InterlockedExchange(&g_instant, instant ? 1 : 0);
}

void SetReadOnlyStores(bool readOnly)
{
    InterlockedExchange(&g_readOnly, readOnly ? 1 : 0);
}
