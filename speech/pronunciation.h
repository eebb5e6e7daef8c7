// The pronunciation cache and the pronunciation request. The cache is the folder "Cache" beside
// the program: one folder per language code, one MP3 file per lower-cased, file-name-escaped
// text (its first 95 characters). A file's existence is the only test; files are never
// refreshed or deleted here.
//
// RequestPronunciation runs on the caller's thread and blocks it for a download (about ten
// seconds at most for a dead service); playing and speaking continue on workers of their own.
#pragma once

#include <windows.h>

#include <string>

// Where the pronunciation of one text lives and where it is fetched from.
struct Pronunciation {
    std::wstring url;           // the service's request for the text; empty when it has none
    wchar_t path[MAX_PATH];     // the cache file; empty when it would not fit in MAX_PATH
    bool exists;                // the cache file is there
};

// Forms the URL and the cache path of (code, text) for the engine setting, and creates the
// folders "Cache" and "Cache\<code>" as a side effect. The code is used unchanged as a folder
// name and in the URL; the text is cut to 95 characters (never between the halves of a surrogate
// pair) and lower-cased for both. A path that does not fit in MAX_PATH is left empty: nothing
// may be stored or played for it.
void PreparePronunciation(const wchar_t *code, const wchar_t *text, int engine, Pronunciation *out);

// Says text in the language code, following the speech engine setting: plays the cached file,
// downloads it first (engines 0 and 3), or speaks with the chosen voice (engines 1 and 2). With
// play false it only fills the cache. *downloadAttempted (when given) becomes 1 when a download
// was tried, successful or not, else 0. The texts need to live only for the call.
void RequestPronunciation(const wchar_t *code, const wchar_t *text, bool play, int *downloadAttempted);

// Tests keep their cache in a folder of their own: the folder that holds "Cache" (no trailing
// backslash), or null for the program's folder.
void SetCacheParentFolder(const wchar_t *folder);
