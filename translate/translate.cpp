// The translation request to the Google Translate web endpoint and the reading of its reply.
#include "translate/translate.h"

#include <windows.h>
#include <shlwapi.h>

#include <nlohmann/json.hpp>

#include <vector>

#include "store/text.h"
#include "translate/http_client.h"

namespace {

std::wstring Utf8ToWide(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

// The first string anywhere in value, depth first.
const nlohmann::json *FirstString(const nlohmann::json &value)
{
    if (value.is_string())
        return &value;
    if (value.is_array() || value.is_object()) {
        for (const nlohmann::json &child : value)
            if (const nlohmann::json *found = FirstString(child))
                return found;
    }
    return nullptr;
}

}  // namespace

std::wstring TranslationRequestPath(const wchar_t *sourceCode, const wchar_t *targetCode,
                                    const wchar_t *text)
{
    std::wstring path = L"/translate_a/single?client=gtx&sl=";
    path += sourceCode;
    path += L"&tl=";
    path += targetCode;
    path += L"&dt=t&q=";
    // Each UTF-16 unit escapes to at most 9 units (three %XX bytes); the text is sent whole.
    DWORD size = static_cast<DWORD>(wcslen(text) * 9 + 1);
    std::vector<wchar_t> escaped(size);
    // URL_ESCAPE_PERCENT as well: without it a '%' of the text would be sent bare and read by the
    // service as the start of an escape.
    if (FAILED(UrlEscapeW(text, escaped.data(), &size,
                          URL_ESCAPE_SEGMENT_ONLY | URL_ESCAPE_AS_UTF8 | URL_ESCAPE_PERCENT)))
        return path;
    // Characters with a meaning inside a query that a path segment may keep: escaped too, so
    // that "C++" or "a&b" arrive as the text and not as spaces or a second parameter.
    for (const wchar_t *p = escaped.data(); *p != 0; p++) {
        switch (*p) {
        case L'&': path += L"%26"; break;
        case L'+': path += L"%2B"; break;
        case L'=': path += L"%3D"; break;
        case L';': path += L"%3B"; break;
        default: path += *p; break;
        }
    }
    return path;
}

std::wstring TranslationFromReply(const std::string &reply)
{
    nlohmann::json document = nlohmann::json::parse(reply, nullptr, false);
    if (document.is_discarded())
        return std::wstring();
    // The usual reply: [[["hola","hello",...],["segunda frase","second sentence",...]],...]
    if (document.is_array() && !document.empty() && document[0].is_array() && !document[0].empty()) {
        std::string joined;
        bool shaped = true;
        for (const nlohmann::json &segment : document[0]) {
            if (!segment.is_array() || segment.empty() || !segment[0].is_string()) {
                shaped = false;
                break;
            }
            joined += segment[0].get<std::string>();
        }
        if (shaped)
            return Utf8ToWide(joined);
    }
    const nlohmann::json *first = FirstString(document);
    return first ? Utf8ToWide(first->get<std::string>()) : std::wstring();
}

void TranslateText(const wchar_t *sourceCode, const wchar_t *targetCode, const wchar_t *text,
                   wchar_t *result)
{
    result[0] = 0;
    std::string reply;
    if (!HttpGet(GetServiceBase(OnlineService::Translate) +
                     TranslationRequestPath(sourceCode, targetCode, text),
                 &reply))
        return;
    std::wstring translation = TranslationFromReply(reply);
    // At most 127 units, never ending between the halves of a surrogate pair.
    size_t length = translation.size();
    if (length > 127)
        length = IS_HIGH_SURROGATE(translation[126]) ? 126 : 127;
    translation.resize(length);
    CopyBounded(result, translation.c_str(), 128);
}
