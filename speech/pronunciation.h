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

// Where the pronunciation of one text lives and what it is fetched as.
struct Pronunciation {
    wchar_t path[MAX_PATH];     // the cache file; empty when there can be none (see below)
    bool exists;                // the cache file is there
    std::wstring code;          // the language code, as given
    std::wstring spoken;        // the text as given, whole, for a voice
    wchar_t text[96];           // the text as the service gets it: its first 95 characters,
                                // lower-cased
    int engine;
};

// Forms the cache path of (code, text) for the engine setting, tells whether the file exists,
// and makes sure the folders "Cache" and "Cache\<code>" exist. The code is used unchanged as a
// folder name; the text is cut to 95 characters (never between the halves of a surrogate pair),
// lower-cased and escaped for the file name; a name Windows would take for a device ("con",
// "aux.", "com1"...) gets one of its own (AvoidDeviceName). The path is left empty, and nothing
// may be stored or played for it, when it would not fit in MAX_PATH, when the text is empty, or
// when the code is no plain folder name (empty, "." or "..", or holding a character file names
// may not hold): a cache file is never placed outside its language's folder.
void PreparePronunciation(const wchar_t *code, const wchar_t *text, int engine, Pronunciation *out);

// The service's request for a prepared pronunciation: the engine's service base and query, the
// code unchanged and the text percent-encoded whole. Empty when the text cannot be encoded.
std::wstring PronunciationUrl(const Pronunciation &pronunciation);

// Does what the engine the pronunciation was prepared for asks of it: downloads a missing file
// (engines 0 and 3), keeping the answer only when it is an MP3 file (an audio or
// application/octet-stream type whose body starts with an ID3 tag or an MPEG frame sync), then,
// with play on, plays the file, or speaks the text when engine 2 finds none. *downloadAttempted
// as for RequestPronunciation. Lets a caller look at the prepared pronunciation first without
// preparing it twice.
void CompletePronunciation(Pronunciation *pronunciation, bool play, int *downloadAttempted);

// Says text in the language code, following the speech engine setting: plays the cached file,
// downloads it first (engines 0 and 3), or speaks with the chosen voice (engines 1 and 2). With
// play false it only fills the cache. *downloadAttempted (when given) becomes 1 when a request
// for the file went out, successful or not, else 0 (also when no file could be made in the
// cache, so that nothing was asked). The texts need to live only for the call.
void RequestPronunciation(const wchar_t *code, const wchar_t *text, bool play, int *downloadAttempted);

// Tests keep their cache in a folder of their own: the folder that holds "Cache" (no trailing
// backslash), or null for the program's folder.
void SetCacheParentFolder(const wchar_t *folder);
