#include "backup/backups.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "common/calendar.h"
#include "sqlite3.h"

namespace {

// The store's file name without its folder and without a final ".db".
std::wstring StemOf(const std::wstring &storePath)
{
    size_t slash = storePath.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? storePath : storePath.substr(slash + 1);
    if (name.size() > 3 && _wcsicmp(name.c_str() + name.size() - 3, L".db") == 0)
        name.resize(name.size() - 3);
    return name;
}

long long DayOf(const BackupTime &time)
{
    return DaysFromDate(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day));
}

// ISO 8601 week of a day number, as year * 100 + week.
long long IsoWeekOf(long long day)
{
    long long weekday = ((day + 3) % 7 + 7) % 7;   // Monday 0; 1970-01-01 was a Thursday
    long long thursday = day - weekday + 3;
    int year = DateFromDays(thursday).year;
    return static_cast<long long>(year) * 100 + (thursday - DaysFromDate(year, 1, 1)) / 7 + 1;
}

long long MonthOf(long long day)
{
    CalendarDate date = DateFromDays(day);
    return static_cast<long long>(date.year) * 100 + date.month;
}

bool Later(const BackupTime &a, const BackupTime &b)
{
    const int left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const int right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    return std::lexicographical_compare(right, right + 6, left, left + 6);
}

// Whether the file at path is a database that passes PRAGMA quick_check.
bool PassesQuickCheck(const std::wstring &path)
{
    sqlite3 *copy = nullptr;
    std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
    bool ok = sqlite3_open_v2(utf8.c_str(), &copy, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    sqlite3_stmt *statement = nullptr;
    ok = ok && sqlite3_prepare_v2(copy, "PRAGMA quick_check", -1, &statement, nullptr) == SQLITE_OK &&
         sqlite3_step(statement) == SQLITE_ROW &&
         std::string(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))) == "ok";
    sqlite3_finalize(statement);
    sqlite3_close(copy);
    return ok;
}

}  // namespace

std::wstring BackupFolder(const std::wstring &storePath)
{
    size_t slash = storePath.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring(L".") : storePath.substr(0, slash)) + L"\\Backups";
}

std::wstring BackupFileName(const std::wstring &storePath, const BackupTime &time)
{
    wchar_t stamp[32];
    _snwprintf(stamp, 32, L"-%04d%02d%02d-%02d%02d%02d.db", time.year, time.month, time.day, time.hour, time.minute,
               time.second);
    stamp[31] = 0;
    return StemOf(storePath) + stamp;
}

bool ReadBackupFileName(const std::wstring &storePath, const std::wstring &fileName, BackupTime *time)
{
    std::wstring stem = StemOf(storePath);
    // "-YYYYMMDD-HHMMSS.db" after the stem, digits where digits belong.
    const size_t tail = 19;
    if (fileName.size() != stem.size() + tail || _wcsnicmp(fileName.c_str(), stem.c_str(), stem.size()) != 0)
        return false;
    const wchar_t *rest = fileName.c_str() + stem.size();
    if (rest[0] != L'-' || rest[9] != L'-' || _wcsicmp(rest + 16, L".db") != 0)
        return false;
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15})
        if (rest[i] < L'0' || rest[i] > L'9')
            return false;
    auto number = [rest](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; i++)
            value = value * 10 + (rest[i] - L'0');
        return value;
    };
    BackupTime read = {number(1, 4), number(5, 2), number(7, 2), number(10, 2), number(12, 2), number(14, 2)};
    if (read.month < 1 || read.month > 12 || read.day < 1 || read.day > 31 || read.hour > 23 || read.minute > 59 ||
        read.second > 59)
        return false;
    *time = read;
    return true;
}

std::vector<BackupFile> ListBackups(const std::wstring &storePath)
{
    std::vector<BackupFile> backups;
    std::wstring folder = BackupFolder(storePath);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.db").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return backups;
    do {
        BackupTime time;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ReadBackupFileName(storePath, found.cFileName, &time))
            backups.push_back({folder + L"\\" + found.cFileName, time});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(backups.begin(), backups.end(),
              [](const BackupFile &a, const BackupFile &b) { return Later(a.time, b.time); });
    return backups;
}

int TakeBackup(sqlite3 *db, const std::wstring &storePath, const BackupTime &time, std::wstring *made)
{
    made->clear();
    std::wstring folder = BackupFolder(storePath);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return SQLITE_CANTOPEN;
    std::wstring path = folder + L"\\" + BackupFileName(storePath, time);
    // Written under a name no backup has, so that a copy cut short by a kill, a power loss or a
    // full disk never counts as one.
    std::wstring partial = path + L".partial";
    DeleteFileW(partial.c_str());
    sqlite3_stmt *statement = nullptr;
    int result = sqlite3_prepare16_v2(db, L"VACUUM INTO ?", -1, &statement, nullptr);
    if (result == SQLITE_OK) {
        result = sqlite3_bind_text16(statement, 1, partial.c_str(), -1, SQLITE_TRANSIENT);
        if (result == SQLITE_OK)
            result = sqlite3_step(statement) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db) & 0xFF;
    }
    sqlite3_finalize(statement);
    if (result == SQLITE_OK && !PassesQuickCheck(partial))
        result = SQLITE_CORRUPT;
    if (result == SQLITE_OK && !MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        result = SQLITE_CANTOPEN;
    if (result != SQLITE_OK) {
        DeleteFileW(partial.c_str());
        return result;
    }
    *made = path;
    return SQLITE_OK;
}

std::vector<size_t> BackupsToThin(const std::vector<BackupTime> &newestFirst, const BackupTime &today)
{
    std::vector<size_t> thinned;
    long long todayNumber = DayOf(today);
    long long lastKept = 0;
    bool anyKept = false;
    int daily = 0, weekly = 0, monthly = 0;
    for (size_t i = 0; i < newestFirst.size(); i++) {
        long long day = DayOf(newestFirst[i]);
        bool keep = false;
        if (day >= todayNumber - 1) {
            keep = true;
        } else if (daily < 12) {
            keep = !anyKept || day < lastKept;
            daily += keep ? 1 : 0;
        } else if (weekly < 10) {
            keep = !anyKept || IsoWeekOf(day) < IsoWeekOf(lastKept);
            weekly += keep ? 1 : 0;
        } else if (monthly < 9) {
            keep = !anyKept || MonthOf(day) < MonthOf(lastKept);
            monthly += keep ? 1 : 0;
        }
        if (keep) {
            lastKept = day;
            anyKept = true;
        } else {
            thinned.push_back(i);
        }
    }
    return thinned;
}
