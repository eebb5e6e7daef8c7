// The program's one HTTP(S) client: every GET to an online service goes through here, the
// translation requests and the pronunciation downloads alike. Any thread may call it; no state
// is kept between calls.
//
// Only a complete answer with status 200 counts as a reply. A dead or silent service ends the
// request after about ten seconds at most, one that trickles its answer after about twenty.
#pragma once

#include <string>

// The online services, each reached through a base URL (scheme, host, optional port) that the
// user's registry may set and that otherwise has its public default.
enum class OnlineService {
    Translate,      // "TranslateEndpoint", default https://translate.googleapis.com
    Speech,         // "SpeechEndpoint", default https://translate.google.com
    SpanishDict,    // "SpanishDictEndpoint", default http://audio1.spanishdict.com
};

// The base URL of a service, read from the registry at each call, without a trailing slash.
std::wstring GetServiceBase(OnlineService service);

// Appends text to url percent-encoded as one value: UTF-8 bytes, with every character that has a
// meaning in a path or a query ('%', '/', '?', '#', '&', '+', '=', ';' and the unsafe ones)
// escaped. The text is appended whole, however long. Returns false, appending nothing, when the
// text cannot be encoded.
bool AppendEscapedText(std::wstring *url, const wchar_t *text);

// GETs url into body. Returns true only for a complete 200 answer; body is empty otherwise.
bool HttpGet(const std::wstring &url, std::string *body);

// Judges a 200 answer as its body starts, from its Content-Type (as sent, empty when it named
// none) and its first bytes: four, or the whole body when it is shorter. False refuses it.
typedef bool (*AnswerCheck)(const std::wstring &contentType, const std::string &start);

// GETs url into the file at path. The answer is written to a temporary file beside it, which
// replaces path only after a complete, non-empty 200 answer that check (when given) accepts: no
// partial, empty, refused or error file is ever left under that name. Returns true when path now
// holds the answer. *sent (when given) tells whether the request went out or was tried: false
// when nothing was asked of the service because no file could be made beside path (or the URL or
// the session could not be formed).
bool HttpDownloadToFile(const std::wstring &url, const std::wstring &path, AnswerCheck check = nullptr,
                        bool *sent = nullptr);
