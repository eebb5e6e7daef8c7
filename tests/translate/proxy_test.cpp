// Online requests follow the proxy the current user has set (Internet Settings, kept as the
// browser keeps them). WinHTTP reads those settings from the real HKEY_CURRENT_USER of the prefix,
// not from a test's private one, so this test changes them for the whole prefix and runs alone.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include "common/settings.h"
#include "translate/translate.h"

namespace {

const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// The per-user connection settings, put back as they were at the end.
class UserProxy {
public:
    explicit UserProxy(const std::string &proxy, const std::string &bypass)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExW(key_, L"DefaultConnectionSettings", nullptr, nullptr, saved_, &size) == ERROR_SUCCESS;
        savedSize_ = size;
        std::string settings;
        auto dword = [&settings](DWORD value) { settings.append(reinterpret_cast<const char *>(&value), 4); };
        dword(0x46);            // the layout's version
        dword(1);               // a change counter
        dword(0x3);             // direct connections allowed, and a named proxy
        dword(static_cast<DWORD>(proxy.size()));
        settings += proxy;
        dword(static_cast<DWORD>(bypass.size()));
        settings += bypass;
        dword(0);               // no configuration script
        settings.append(32, '\0');
        RegSetValueExW(key_, L"DefaultConnectionSettings", 0, REG_BINARY,
                       reinterpret_cast<const BYTE *>(settings.data()), static_cast<DWORD>(settings.size()));
    }
    ~UserProxy()
    {
        if (had_)
            RegSetValueExW(key_, L"DefaultConnectionSettings", 0, REG_BINARY, saved_, savedSize_);
        else
            RegDeleteValueW(key_, L"DefaultConnectionSettings");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    BYTE saved_[4096];
    DWORD savedSize_ = 0;
};

TEST(Proxy, RequestsGoThroughTheProxyTheUserSet)
{
    LoopbackServer proxy;
    proxy.Answer(200, "[[[\"hola\",\"hello\"]]]");
    std::wstring base = proxy.Base();
    std::string address(base.begin() + 7, base.end());     // after "http://"
    UserProxy settings(address, "");
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegCloseKey(key);
    // A host only the proxy knows.
    ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", L"http://lingotrove.invalid"));

    wchar_t result[128] = {};
    TranslateText(L"en", L"es", L"hello", result);
    EXPECT_STREQ(result, L"hola");
    // The absolute form a proxy receives; the port may be spelled out.
    std::vector<std::string> lines = proxy.RequestLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string path = "/translate_a/single?client=gtx&sl=en&tl=es&dt=t&q=hello HTTP/1.1";
    EXPECT_TRUE(lines[0] == "GET http://lingotrove.invalid" + path || lines[0] == "GET http://lingotrove.invalid:80" + path)
        << lines[0];
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

}  // namespace
