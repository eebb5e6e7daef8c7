// Reading and writing the program's registry values.
#include "common/settings.h"

const wchar_t kSettingsKey[] = L"Software\\OKU\\Lingotrove";
const wchar_t kLastDatabaseValue[] = L"LastDB";
const wchar_t kLastCategoryValue[] = L"LastCategory";
const wchar_t kEngineValue[] = L"Engine";
const wchar_t kVoiceValue[] = L"Voice";

// Owns an open registry key.
struct RegistryKey {
    HKEY handle = nullptr;
    ~RegistryKey()
    {
        if (handle)
            RegCloseKey(handle);
    }
};

static bool OpenForReading(RegistryKey *key)
{
    return RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_QUERY_VALUE, nullptr, &key->handle, nullptr) == ERROR_SUCCESS;
}

static bool OpenForWriting(RegistryKey *key)
{
    return RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key->handle) ==
           ERROR_SUCCESS;
}

bool CanReadSettings()
{
    RegistryKey key;
    return OpenForReading(&key);
}

bool ReadSettingText(const wchar_t *name, wchar_t *buffer, DWORD units)
{
    buffer[0] = 0;
    RegistryKey key;
    if (!OpenForReading(&key))
        return false;
    DWORD bytes = units * sizeof(wchar_t);
    if (RegQueryValueExW(key.handle, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer),
                         &bytes) != ERROR_SUCCESS) {
        buffer[0] = 0;
        return false;
    }
    // Stored data need not end with a terminator; it must leave room for one.
    DWORD length = bytes / sizeof(wchar_t);
    if (length > 0 && buffer[length - 1] == 0)
        return true;
    if (length >= units) {
        buffer[0] = 0;
        return false;
    }
    buffer[length] = 0;
    return true;
}

bool ReadSettingDword(const wchar_t *name, DWORD *value)
{
    *value = 0;
    RegistryKey key;
    if (!OpenForReading(&key))
        return false;
    DWORD data = 0;
    DWORD bytes = sizeof data;
    if (RegQueryValueExW(key.handle, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&data),
                         &bytes) != ERROR_SUCCESS || bytes != sizeof data)
        return false;
    *value = data;
    return true;
}

bool WriteSettingText(const wchar_t *name, const wchar_t *text)
{
    RegistryKey key;
    if (!OpenForWriting(&key))
        return false;
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          bytes) == ERROR_SUCCESS;
}

bool WriteSettingDword(const wchar_t *name, DWORD value)
{
    RegistryKey key;
    if (!OpenForWriting(&key))
        return false;
    return RegSetValueExW(key.handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                          sizeof value) == ERROR_SUCCESS;
}
