// HTTP(S) GET on top of WinHTTP, with every timeout set.
//
// Measured under Wine: URLDownloadToFileW never returns when a server accepts the connection but
// does not answer, and saves a 404 page as if it were the download. WinHTTP needs both
// WinHttpSetTimeouts and WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT; without the latter a silent
// server also hangs it.
#include "translate/http_client.h"

#include <windows.h>
#include <winhttp.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "common/settings.h"
#include "common/temporary_file.h"

namespace {

constexpr wchar_t kAgent[] = L"Lingotrove/1.0";
// How many of an answer's first bytes a download's check is shown.
constexpr size_t kCheckedBytes = 4;
constexpr int kResolveTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 5000;
constexpr int kReceiveTimeoutMs = 8000;
// A service that trickles its answer is given up after this long in all.
constexpr DWORD kWholeRequestMs = 15000;
// How long a failed proxy detection is trusted before it is tried again.
constexpr DWORD kProxyRetryMs = 5 * 60 * 1000;

// Owns a WinHTTP handle.
struct InternetHandle {
    HINTERNET handle = nullptr;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle()
    {
        if (handle)
            WinHttpCloseHandle(handle);
    }
    InternetHandle(const InternetHandle &) = delete;
    InternetHandle &operator=(const InternetHandle &) = delete;
};

// Frees the strings WinHTTP hands out in its proxy structures.
struct ProxyStrings {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    WINHTTP_PROXY_INFO found = {};
    ~ProxyStrings()
    {
        for (LPWSTR text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass, found.lpszProxy,
                            found.lpszProxyBypass})
            if (text)
                GlobalFree(text);
    }
};

// Opens the session for url with the current user's proxy settings, as a browser uses them: the
// proxy found by automatic detection or the configuration script when the user asked for them,
// else the proxy the user named, else the machine-wide setting.
HINTERNET OpenSession(const std::wstring &url)
{
    ProxyStrings proxy;
    if (WinHttpGetIEProxyConfigForCurrentUser(&proxy.user)) {
        // Detection that found nothing is not tried again for a while: without a configuration
        // server it costs seconds at every request.
        static volatile LONG failedAt = 0;
        static volatile LONG hasFailed = 0;
        bool recentlyFailed = hasFailed && GetTickCount() - static_cast<DWORD>(failedAt) < kProxyRetryMs;
        if ((proxy.user.fAutoDetect || proxy.user.lpszAutoConfigUrl) && !recentlyFailed) {
            InternetHandle finder(WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                              WINHTTP_NO_PROXY_BYPASS, 0));
            WINHTTP_AUTOPROXY_OPTIONS automatic = {};
            if (proxy.user.lpszAutoConfigUrl) {
                automatic.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
                automatic.lpszAutoConfigUrl = proxy.user.lpszAutoConfigUrl;
            } else {
                automatic.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
                automatic.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
            }
            if (finder.handle) {
                WinHttpSetTimeouts(finder.handle, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                                   kReceiveTimeoutMs);
                if (WinHttpGetProxyForUrl(finder.handle, url.c_str(), &automatic, &proxy.found)) {
                    if (proxy.found.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && proxy.found.lpszProxy)
                        return WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.found.lpszProxy,
                                           proxy.found.lpszProxyBypass ? proxy.found.lpszProxyBypass
                                                                       : WINHTTP_NO_PROXY_BYPASS, 0);
                    // The script or detection said to go direct.
                    return WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0);
                }
            }
            InterlockedExchange(&failedAt, static_cast<LONG>(GetTickCount()));
            InterlockedExchange(&hasFailed, 1);
        }
        if (proxy.user.lpszProxy && proxy.user.lpszProxy[0] != 0)
            return WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.user.lpszProxy,
                               proxy.user.lpszProxyBypass ? proxy.user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
    }
    return WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
}

// What a GET learnt of its answer besides the body.
struct Answer {
    bool sent = false;          // the request went out (or the attempt to send it failed)
    std::wstring contentType;   // of a 200 answer; empty when it named none
};

// The answer's Content-Type header, empty when it has none.
std::wstring ContentType(HINTERNET request)
{
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0)
        return std::wstring();
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return std::wstring();
    return std::wstring(text.data(), bytes / sizeof(wchar_t));
}

// Runs the GET and hands every chunk of a 200 answer to sink, after answer has been filled in.
// False on any failure, on another status, or when sink refuses a chunk.
template <typename Sink>
bool Get(const std::wstring &url, Answer *answer, Sink sink)
{
    DWORD started = GetTickCount();
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return false;
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty())
        object = L"/";

    InternetHandle session(OpenSession(url));
    if (!session.handle)
        return false;
    WinHttpSetTimeouts(session.handle, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                       kReceiveTimeoutMs);
    DWORD responseTimeout = kReceiveTimeoutMs;
    WinHttpSetOption(session.handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);

    InternetHandle connection(WinHttpConnect(session.handle, host.c_str(), parts.nPort, 0));
    if (!connection.handle)
        return false;
    // The URL arrives escaped already; WinHTTP must not escape it again.
    DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= WINHTTP_FLAG_SECURE;
    InternetHandle request(WinHttpOpenRequest(connection.handle, L"GET", object.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request.handle)
        return false;
    WinHttpSetOption(request.handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    answer->sent = true;
    if (!WinHttpSendRequest(request.handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                            0, 0, 0) ||
        !WinHttpReceiveResponse(request.handle, nullptr))
        return false;

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    answer->contentType = ContentType(request.handle);

    // A reply whose connection ends before the announced length is not complete.
    DWORD announced = 0;
    size = sizeof announced;
    bool lengthKnown = WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                                           WINHTTP_HEADER_NAME_BY_INDEX, &announced, &size, WINHTTP_NO_HEADER_INDEX);
    unsigned long long received = 0;
    std::vector<char> chunk(16384);
    for (;;) {
        if (GetTickCount() - started > kWholeRequestMs)
            return false;
        DWORD read = 0;
        if (!WinHttpReadData(request.handle, chunk.data(), static_cast<DWORD>(chunk.size()), &read))
            return false;
        if (read == 0)
            return !lengthKnown || received == announced;
        received += read;
        if (!sink(chunk.data(), read))
            return false;
    }
}

}  // namespace

std::wstring GetServiceBase(OnlineService service)
{
    const wchar_t *name = L"TranslateEndpoint";
    const wchar_t *fallback = L"https://translate.googleapis.com";
    if (service == OnlineService::Speech) {
        name = L"SpeechEndpoint";
        fallback = L"https://translate.google.com";
    } else if (service == OnlineService::SpanishDict) {
        name = L"SpanishDictEndpoint";
        fallback = L"http://audio1.spanishdict.com";
    }
    wchar_t base[MAX_PATH];
    if (!ReadSettingText(name, base, MAX_PATH) || base[0] == 0)
        return fallback;
    std::wstring text = base;
    while (!text.empty() && text.back() == L'/')
        text.pop_back();
    return text;
}

bool AppendEscapedText(std::wstring *url, const wchar_t *text)
{
    // Each UTF-16 unit escapes to at most 9 units (three %XX bytes).
    DWORD size = static_cast<DWORD>(wcslen(text) * 9 + 1);
    std::vector<wchar_t> escaped(size);
    // URL_ESCAPE_PERCENT as well: without it a '%' of the text would be sent bare and read by the
    // service as the start of an escape.
    if (FAILED(UrlEscapeW(text, escaped.data(), &size,
                          URL_ESCAPE_SEGMENT_ONLY | URL_ESCAPE_AS_UTF8 | URL_ESCAPE_PERCENT)))
        return false;
    // Characters with a meaning inside a query that a path segment may keep: escaped too, so
    // that "C++" or "a&b" arrive as the text and not as spaces or a second parameter.
    for (const wchar_t *p = escaped.data(); *p != 0; p++) {
        switch (*p) {
        case L'&': *url += L"%26"; break;
        case L'+': *url += L"%2B"; break;
        case L'=': *url += L"%3D"; break;
        case L';': *url += L"%3B"; break;
        case L'#': *url += L"%23"; break;
        default: *url += *p; break;
        }
    }
    return true;
}

bool HttpGet(const std::wstring &url, std::string *body)
{
    body->clear();
    Answer answer;
    bool complete = Get(url, &answer, [body](const char *data, DWORD size) {
        body->append(data, size);
        return true;
    });
    if (!complete)
        body->clear();
    return complete;
}

bool HttpDownloadToFile(const std::wstring &url, const std::wstring &path, AnswerCheck check, bool *sent)
{
    if (sent)
        *sent = false;
    // The answer goes into a file of its own beside the target, so that two downloads of the
    // same file never write into one another.
    std::wstring partial;
    HANDLE file = CreateFileBeside(path, &partial);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    unsigned long long received = 0;
    auto write = [file, &received](const char *data, size_t size) {
        DWORD written = 0;
        received += size;
        return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    };
    // The first bytes are held back until the check has seen them: a refused answer ends the
    // download at its first chunk.
    Answer answer;
    std::string start;
    bool checked = check == nullptr;
    bool complete = Get(url, &answer, [&](const char *data, DWORD size) {
        if (checked)
            return write(data, size);
        size_t taken = std::min<size_t>(size, kCheckedBytes - start.size());
        start.append(data, taken);
        if (start.size() < kCheckedBytes)
            return true;
        checked = true;
        return check(answer.contentType, start) && write(start.data(), start.size()) &&
               write(data + taken, size - taken);
    });
    if (sent)
        *sent = answer.sent;
    // A body shorter than the bytes the check looks at is judged whole.
    if (complete && !checked)
        complete = check(answer.contentType, start) && write(start.data(), start.size());
    CloseHandle(file);
    if (complete && received > 0 && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(partial.c_str());
    return false;
}
