// Backups of a phrase store: complete copies, each checked before it counts, in a folder "Backups"
// beside the store, one file per backup named "<store name without .db>-YYYYMMDD-HHMMSS.db" after
// the local time it was taken. The time is read back from the name, never from the file's dates.
#pragma once

#include <string>
#include <vector>

struct sqlite3;

struct BackupTime {
    int year, month, day, hour, minute, second;
};

struct BackupFile {
    std::wstring path;
    BackupTime time;
};

// The folder the backups of the store at storePath go into.
std::wstring BackupFolder(const std::wstring &storePath);

// The file name of the store's backup taken at time.
std::wstring BackupFileName(const std::wstring &storePath, const BackupTime &time);

// Whether fileName is the name of one of the store's backups; time is then read from it.
bool ReadBackupFileName(const std::wstring &storePath, const std::wstring &fileName, BackupTime *time);

// The store's backups in its folder, newest first.
std::vector<BackupFile> ListBackups(const std::wstring &storePath);

// Takes a backup of the open store db (whose file is storePath) as at time: a consistent copy
// written under a temporary name while the store stays open and unchanged, checked with
// PRAGMA quick_check, and only then given its backup's name. Returns SQLITE_OK with made set to
// its path; otherwise SQLite's code (or SQLITE_CANTOPEN when the folder cannot be written,
// SQLITE_CORRUPT when the check failed), and no file with a backup's name is left.
int TakeBackup(sqlite3 *db, const std::wstring &storePath, const BackupTime &time, std::wstring *made);

// Which of the backups (their times newest first) thinning deletes, by their indexes, as of the
// day today: every backup of today and yesterday is kept; of the older ones, while fewer than 12
// have been kept as daily backups, one is kept when its day is earlier than the day of the last
// backup kept (of any kind); after 12 daily ones, the same by ISO week while fewer than 10 weekly
// ones are kept; then by month while fewer than 9 monthly ones are kept; every other goes.
std::vector<size_t> BackupsToThin(const std::vector<BackupTime> &newestFirst, const BackupTime &today);
