// A file written beside its target under a name of its own, and moved over the target only once
// it is complete. Any thread may call these; nothing is kept between calls.
#pragma once

#include <windows.h>

#include <string>

// Creates a new, empty file in target's folder, opened for writing, under a name no other file
// has: the target's name with ".~XXXX.tmp" added, or when that would not fit in MAX_PATH a
// shorter "~XXXX" name, so that any target that fits gets one. Returns INVALID_HANDLE_VALUE when
// none could be made; *name receives its path otherwise.
HANDLE CreateFileBeside(const std::wstring &target, std::wstring *name);
