// What the package round trip (tests/packaging/round_trip.sh) asks of an installed or unpacked
// Lingotrove, from inside the Wine prefix. One check per run; on failure it says why on stderr
// and exits 1.
//   install_check run PROGRAM             starts PROGRAM (in install_check's current folder, so that
//                                         the store must be found beside the program, not there),
//                                         sees its main window and Default.db beside it, ends it
//                                         with Escape
//   install_check add-category DB NAME    adds category NAME to the store DB
//   install_check has-category DB NAME    the store DB holds category NAME
//   install_check settings-kept           the program's settings key holds "LastCategory" (which
//                                         the program writes as it ends)
//   install_check products VERSION|none   Apps & features lists exactly one "Lingotrove" (by
//                                         OKU, of VERSION), or none
#include "tests/support/program_process.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "common/settings.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/temp_folder.h"

namespace {

int Fail(const wchar_t *what, const std::wstring &detail)
{
    fwprintf(stderr, L"install_check: %ls: %ls\n", what, detail.c_str());
    return 1;
}

std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

int Run(const std::wstring &program)
{
    std::wstring folder = FolderOf(program);
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    ProgramProcess process;
    if (!process.Start(program, current))
        return Fail(L"no main window", program);
    wchar_t title[128] = {};
    GetWindowTextW(process.window, title, 128);
    if (std::wstring(title) != L"Default - Lingotrove")
        return Fail(L"unexpected main window title", title);
    if (!FileExists(folder + L"\\Default.db"))
        return Fail(L"no Default.db beside the program", folder);
    HWND focus = GetDlgItem(process.window, 20);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    DWORD code = process.WaitForExit(60000);
    if (code != 0)
        return Fail(L"the program did not end with 0", std::to_wstring(code));
    return 0;
}

int AddCategory(const std::wstring &store, const std::wstring &name)
{
    sqlite3 *db = OpenPhraseStore(store.c_str(), false);
    if (!db)
        return Fail(L"cannot open the store", store);
    int id = GetOrCreateCategory(db, name.c_str());
    sqlite3_close(db);
    return id ? 0 : Fail(L"cannot add the category", name);
}

int HasCategory(const std::wstring &store, const std::wstring &name)
{
    if (!FileExists(store))
        return Fail(L"the store is gone", store);
    sqlite3 *db = OpenPhraseStore(store.c_str(), false);
    if (!db)
        return Fail(L"cannot open the store", store);
    sqlite3_stmt *statement = nullptr;
    int found = 0;
    if (sqlite3_prepare16_v2(db, L"SELECT COUNT(*) FROM CATEGORY WHERE DESCRIPTION=?", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_bind_text16(statement, 1, name.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        found = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return found == 1 ? 0 : Fail(L"the category is not in the store", name);
}

int SettingsKept()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return Fail(L"the settings key is gone", kSettingsKey);
    DWORD size = 0;
    LONG read = RegQueryValueExW(key, kLastCategoryValue, nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? 0 : Fail(L"the settings lost", kLastCategoryValue);
}

struct Product {
    std::wstring where, version, publisher;
};

std::wstring ReadText(HKEY key, const wchar_t *name)
{
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size) != ERROR_SUCCESS)
        return L"";
    return text;
}

// Every Apps & features entry named Lingotrove, per user or per machine (Wine writes a per-user
// product's entry under HKLM), in either registry view.
std::vector<Product> FindProducts()
{
    const wchar_t *uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    struct Place { HKEY root; REGSAM view; const wchar_t *name; };
    const Place places[] = {{HKEY_CURRENT_USER, 0, L"HKCU"},
                            {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"HKLM"},
                            {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"HKLM (32-bit view)"}};
    std::vector<Product> found;
    std::vector<std::wstring> seen;
    for (const Place &place : places) {
        HKEY list;
        if (RegOpenKeyExW(place.root, uninstall, 0, KEY_READ | place.view, &list) != ERROR_SUCCESS)
            continue;
        wchar_t name[256];
        for (DWORD i = 0;; i++) {
            DWORD units = 256;
            if (RegEnumKeyExW(list, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            HKEY entry;
            if (RegOpenKeyExW(list, name, 0, KEY_READ | place.view, &entry) != ERROR_SUCCESS)
                continue;
            std::wstring where = std::wstring(place.root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM") + L"\\" + name;
            // Both views of HKLM are one key on a 32-bit system.
            bool again = false;
            for (const std::wstring &earlier : seen)
                again = again || earlier == where;
            if (ReadText(entry, L"DisplayName") == L"Lingotrove" && !again) {
                seen.push_back(where);
                found.push_back({std::wstring(place.name) + L"\\" + name, ReadText(entry, L"DisplayVersion"),
                                 ReadText(entry, L"Publisher")});
            }
            RegCloseKey(entry);
        }
        RegCloseKey(list);
    }
    return found;
}

int Products(const std::wstring &version)
{
    std::vector<Product> found = FindProducts();
    std::wstring listed;
    for (const Product &product : found)
        listed += product.where + L" " + product.version + L" " + product.publisher + L"; ";
    if (version == L"none")
        return found.empty() ? 0 : Fail(L"still listed", listed);
    if (found.size() != 1)
        return Fail(L"not listed exactly once", listed);
    if (found[0].version != version || found[0].publisher != L"OKU")
        return Fail(L"listed with another version or publisher", listed);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == L"run")
        return Run(args[1]);
    if (args.size() == 3 && args[0] == L"add-category")
        return AddCategory(args[1], args[2]);
    if (args.size() == 3 && args[0] == L"has-category")
        return HasCategory(args[1], args[2]);
    if (args.size() == 1 && args[0] == L"settings-kept")
        return SettingsKept();
    if (args.size() == 2 && args[0] == L"products")
        return Products(args[1]);
    return Fail(L"usage", L"run|add-category|has-category|settings-kept|products ...");
}
