// Pronunciation URLs, cache paths and the decision between playing, downloading and speaking.
#include "speech/pronunciation.h"

#include <shlwapi.h>

#include "app/shell.h"
#include "speech/file_names.h"
#include "speech/playback.h"
#include "speech/speaker.h"
#include "speech/speech_settings.h"
#include "translate/http_client.h"

namespace {

constexpr size_t kNameCharacters = 95;

wchar_t g_cacheParent[MAX_PATH] = {};

// Copies the first 95 characters of text, lower-cased, into name (3 * 95 + 1 units, room for
// the escaping that follows).
void LowerCasedName(const wchar_t *text, wchar_t *name)
{
    size_t length = 0;
    while (length < kNameCharacters && text[length] != 0)
        length++;
    // A cut after the first half of a surrogate pair would leave half a character.
    if (length == kNameCharacters && IS_HIGH_SURROGATE(text[length - 1]))
        length--;
    wmemcpy(name, text, length);
    name[length] = 0;
    CharLowerW(name);
}

// Appends part to path as PathAppendW does, but only when the result fits in MAX_PATH.
bool AppendFitting(wchar_t *path, const wchar_t *part)
{
    size_t used = wcslen(path);
    size_t extra = wcslen(part) + (used > 0 && path[used - 1] != L'\\' ? 1 : 0);
    return used + extra < MAX_PATH && PathAppendW(path, part);
}

}  // namespace

void SetCacheParentFolder(const wchar_t *folder)
{
    g_cacheParent[0] = 0;
    if (folder)
        lstrcpynW(g_cacheParent, folder, MAX_PATH);
}

void PreparePronunciation(const wchar_t *code, const wchar_t *text, int engine, Pronunciation *out)
{
    wchar_t name[3 * kNameCharacters + 1];
    LowerCasedName(text, name);

    if (engine == EngineSpanishDictOnly)
        out->url = GetServiceBase(OnlineService::SpanishDict) + L"/audio?lang=" + code + L"&text=";
    else
        out->url = GetServiceBase(OnlineService::Speech) + L"/translate_tts?tl=" + code +
                   L"&client=tw-ob&q=";
    // A text that cannot be encoded (half a surrogate pair) must not fetch the sound of another.
    if (!AppendEscapedText(&out->url, name))
        out->url.clear();

    wchar_t path[MAX_PATH];
    if (g_cacheParent[0] != 0)
        lstrcpynW(path, g_cacheParent, MAX_PATH);
    else
        GetProgramFolder(path);
    bool fits = AppendFitting(path, L"Cache");
    if (fits)
        CreateDirectoryW(path, nullptr);
    fits = fits && AppendFitting(path, code);
    if (fits)
        CreateDirectoryW(path, nullptr);

    EscapeFileName(name);
    fits = fits && name[0] != 0 && AppendFitting(path, name) && wcslen(path) + 4 < MAX_PATH;
    if (fits) {
        wcscat(path, L".mp3");
        wcscpy(out->path, path);
    } else {
        out->path[0] = 0;
    }
    out->exists = fits && PathFileExistsW(out->path);
}

void RequestPronunciation(const wchar_t *code, const wchar_t *text, bool play, int *downloadAttempted)
{
    if (downloadAttempted)
        *downloadAttempted = 0;
    int engine = CurrentSpeechEngine();
    bool usesCache = engine == EngineGoogleOnly || engine == EngineMicrosoftFallback ||
                     engine == EngineSpanishDictOnly;
    if (play && !usesCache) {
        if (engine == EngineMicrosoftOnly)
            SpeakText(text);
        return;
    }

    Pronunciation pronunciation;
    PreparePronunciation(code, text, engine, &pronunciation);
    const wchar_t *path = pronunciation.path;

    if (engine == EngineGoogleOnly || engine == EngineSpanishDictOnly) {
        if (!pronunciation.exists && path[0] != 0 && !pronunciation.url.empty()) {
            HttpDownloadToFile(pronunciation.url, path);
            if (downloadAttempted)
                *downloadAttempted = 1;
            pronunciation.exists = PathFileExistsW(path) != FALSE;
        }
        if (play && pronunciation.exists)
            PlayAudioFile(path);
        return;
    }
    if (play && engine == EngineMicrosoftFallback) {
        if (pronunciation.exists)
            PlayAudioFile(path);
        else
            SpeakText(text);
    }
}
