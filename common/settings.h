// The program's per-user settings: values of HKEY_CURRENT_USER\Software\OKU\Lingotrove.
//   "LastDB"        REG_SZ     full path of the database last opened from the File menu
//   "LastCategory"  REG_DWORD  category selected when the main window closed, 0 for none
//   "Engine"        REG_DWORD  speech engine setting, 0..3 (other values are kept and do nothing)
//   "Voice"         REG_SZ     token id of the chosen Microsoft Speech voice, empty for the default
// Reads accept any stored type, as long as the data fits the caller's buffer.
#pragma once

#include <windows.h>

extern const wchar_t kSettingsKey[];
extern const wchar_t kLastDatabaseValue[];
extern const wchar_t kLastCategoryValue[];
extern const wchar_t kEngineValue[];
extern const wchar_t kVoiceValue[];

// Whether the key can be opened (or created) for reading: false only when the registry refuses.
bool CanReadSettings();

// Reads a text value into buffer (units, terminator included). Returns false, leaving the buffer
// empty, when the key or value is missing or the data does not fit with its terminator.
// The key is created when it does not exist.
bool ReadSettingText(const wchar_t *name, wchar_t *buffer, DWORD units);

// Reads a 4-byte value. Returns false, with *value 0, when it is missing or of another size.
// The key is created when it does not exist.
bool ReadSettingDword(const wchar_t *name, DWORD *value);

// Write into the existing key; false when it cannot be opened or written.
bool WriteSettingText(const wchar_t *name, const wchar_t *text);
bool WriteSettingDword(const wchar_t *name, DWORD value);
