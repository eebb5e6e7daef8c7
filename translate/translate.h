// The online translation request. Runs on the calling thread and blocks it for the request.
#pragma once

#include <string>

// Translates text from sourceCode into targetCode. result (at least 128 units) receives the
// translation, at most 127 units, or an empty text when there is none (no reply, an unreadable
// reply). Codes go into the request unescaped; empty codes are sent as they are.
void TranslateText(const wchar_t *sourceCode, const wchar_t *targetCode, const wchar_t *text,
                   wchar_t *result);

// The request path and query for a text, escaped as one UTF-8 path segment.
// Exposed for tests.
std::wstring TranslationRequestPath(const wchar_t *sourceCode, const wchar_t *targetCode,
                                    const wchar_t *text);

// The translation held by a reply of the service (UTF-8 JSON): the first strings of every segment
// of its first array joined, or for a reply of another shape its first string; empty when the
// reply cannot be parsed. Exposed for tests.
std::wstring TranslationFromReply(const std::string &reply);
