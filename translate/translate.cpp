// The translation request to the Google Translate web endpoint and the reading of its reply.
#include "translate/translate.h"

#include <windows.h>

#include <nlohmann/json.hpp>

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
    AppendEscapedText(&path, text);
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
