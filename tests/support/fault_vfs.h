// A SQLite file system for tests that passes everything to the system's own and can, on demand,
// do what a real desktop does to a store: run out of disk space in the middle of a write, and
// make connections wait for a lock that another one holds. Installed as the default, so every
// connection the program opens afterwards goes through it; with no fault asked for it changes
// nothing.
#pragma once

#include <windows.h>

// Registers the file system as SQLite's default (once per process).
void InstallFaultVfs();

// After this many more bytes are written to any file, the next write fails with SQLITE_FULL, as
// on a full disk; later writes fail too while stillFull is set, and succeed again otherwise (space
// freed meanwhile). A negative limit writes without limit.
void SetDiskSpace(long long bytes, bool stillFull);

// An event (manual reset, owned by the file system) that is set whenever a connection sleeps
// because another holds the lock it needs: the sign that it is waiting its turn.
HANDLE LockWaitEvent();

// When set, those sleeps return at once, so that a busy timeout runs out without its wall time.
void SetInstantLockWaits(bool instant);

// When set, stores opened from then on are opened for reading only, as a file the user may not
// write is (the read-only attribute does not stop root, who runs the tests here).
void SetReadOnlyStores(bool readOnly);
