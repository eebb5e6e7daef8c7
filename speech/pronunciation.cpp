// Pronunciation URLs, cache paths and the decision between playing, downloading and speaking.
#include "speech/pronunciation.h"

#include <shlwapi.h>

#include "common/dialogs.h"
#include "speech/file_names.h"
#include "speech/playback.h"
#include "speech/speaker.h"
#include "speech/speech_settings.h"
#include "store/text.h"
#include "translate/http_client.h"

namespace {

constexpr size_t kNameCharacters = 95;

wchar_t g_cacheParent[MAX_PATH] = {};

// Copies the first 95 characters of text, lower-cased, into name (96 units).
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

// Appends a backslash and part to path (MAX_PATH units) when the result fits. Joined as it
// stands: "." or ".." in part must not be resolved to another folder.
bool AppendFitting(wchar_t *path, const wchar_t *part)
{
    size_t used = wcslen(path);
    size_t length = wcslen(part);
    if (used + 1 + length >= MAX_PATH)
        return false;
    path[used] = L'\\';
    wmemcpy(path + used + 1, part, length + 1);
    return true;
}

bool IsPlainFolderName(const wchar_t *name)
{
    if (name[0] == 0 || wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0)
        return false;
    for (const wchar_t *p = name; *p != 0; p++)
        if (*p < L' ' || IsForbiddenFileNameChar(*p, 0, 8))
            return false;
    return true;
}

// Whether a download's answer is an MP3 file: an audio type (or plain bytes) that starts with an
// ID3 tag or an MPEG frame sync. A captive portal answers every request with a 200 page of its
// own, which would otherwise stay in the cache as the pronunciation for good.
bool IsMp3Answer(const std::wstring &contentType, const std::string &start)
{
    std::wstring type = contentType.substr(0, contentType.find(L';'));
    while (!type.empty() && (type.back() == L' ' || type.back() == L'\t'))
        type.pop_back();
    CharLowerW(&type[0]);
    bool audio = type.compare(0, 6, L"audio/") == 0 && type.size() > 6;
    if (!audio && type != L"application/octet-stream")
        return false;
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(start.data());
    if (start.size() >= 3 && start.compare(0, 3, "ID3") == 0)
        return true;
    return start.size() >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0;
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
    out->code = code;
    out->spoken = text;
    out->engine = engine;
    LowerCasedName(text, out->text);
    out->path[0] = 0;
    out->exists = false;

    wchar_t folder[MAX_PATH];
    if (g_cacheParent[0] != 0)
        lstrcpynW(folder, g_cacheParent, MAX_PATH);
    else
        GetProgramFolder(folder);
    if (!AppendFitting(folder, L"Cache"))
        return;
    wchar_t cache[MAX_PATH];
    wcscpy(cache, folder);
    bool usable = IsPlainFolderName(code) && AppendFitting(folder, code);
    wchar_t language[MAX_PATH];
    wcscpy(language, folder);

    // Room for the escaped text and for the two units AvoidDeviceName may add.
    wchar_t name[3 * kNameCharacters + 3];
    wcscpy(name, out->text);
    EscapeFileName(name);
    // A name Windows takes for a device ("con.mp3" opens the console) gets a file of its own in a
    // folder of its own, where no other text's file can be; every other name stays as it was,
    // so that an existing cache is still found.
    bool device = IsDeviceName(name);
    if (device) {
        AvoidDeviceName(name);
        usable = usable && AppendFitting(folder, kDeviceNameFolder);
    }
    wchar_t path[MAX_PATH];
    wcscpy(path, folder);
    usable = usable && name[0] != 0 && AppendFitting(path, name) && wcslen(path) + 4 < MAX_PATH;
    if (usable) {
        wcscat(path, L".mp3");
        wcscpy(out->path, path);
        // A file that is there needs no folders made: the common case of a pass over a cached
        // store costs one look-up per phrase.
        out->exists = PathFileExistsW(path) != FALSE;
        if (out->exists)
            return;
    }
    CreateDirectoryW(cache, nullptr);
    if (IsPlainFolderName(code) && wcslen(language) > wcslen(cache)) {
        CreateDirectoryW(language, nullptr);
        if (device && wcslen(folder) > wcslen(language))
            CreateDirectoryW(folder, nullptr);
    }
}

std::wstring PronunciationUrl(const Pronunciation &pronunciation)
{
    std::wstring url;
    if (pronunciation.engine == EngineSpanishDictOnly)
        url = GetServiceBase(OnlineService::SpanishDict) + L"/audio?lang=" + pronunciation.code + L"&text=";
    else
        url = GetServiceBase(OnlineService::Speech) + L"/translate_tts?tl=" + pronunciation.code +
              L"&client=tw-ob&q=";
    // A text that cannot be encoded (half a surrogate pair) must not fetch the sound of another.
    if (!AppendEscapedText(&url, pronunciation.text))
        return std::wstring();
    return url;
}

void CompletePronunciation(Pronunciation *pronunciation, bool play, int *downloadAttempted)
{
    if (downloadAttempted)
        *downloadAttempted = 0;
    int engine = pronunciation->engine;
    const wchar_t *path = pronunciation->path;
    if (engine == EngineGoogleOnly || engine == EngineSpanishDictOnly) {
        // No path (see PreparePronunciation) or no URL: nothing is fetched, and so nothing was
        // attempted.
        std::wstring url;
        if (!pronunciation->exists && path[0] != 0)
            url = PronunciationUrl(*pronunciation);
        if (!url.empty()) {
            // A request that never went out (no file could be made in the cache) asked nothing of
            // the service, and is not counted as an attempt.
            bool sent = false;
            HttpDownloadToFile(url, path, IsMp3Answer, &sent);
            if (downloadAttempted && sent)
                *downloadAttempted = 1;
            pronunciation->exists = PathFileExistsW(path) != FALSE;
        }
        if (play && pronunciation->exists)
            PlayAudioFile(path);
        return;
    }
    if (play && engine == EngineMicrosoftFallback) {
        if (pronunciation->exists)
            PlayAudioFile(path);
        else
            SpeakText(pronunciation->spoken.c_str());
    }
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
    CompletePronunciation(&pronunciation, play, downloadAttempted);
}
