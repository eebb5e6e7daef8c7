// Names of files the user types: what Windows can hold as the name of a file in a folder.
#pragma once

// Whether name can be a file's name (no folder part) on Windows: not empty, none of < > : " / \ |
// ? * or a control character, no trailing dot or space, and not a device name (CON, PRN, AUX,
// NUL, COM0 to COM9, LPT0 to LPT9, also with ¹ ² ³ and with any extension).
bool IsWindowsFileName(const wchar_t *name);
