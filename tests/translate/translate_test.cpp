// The translation request against a loopback server, and the HTTP client under it.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/settings.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/temp_folder.h"
#include "translate/http_client.h"
#include "translate/translate.h"

namespace {

// The names of the files in folder (a path ending in a backslash), sorted.
std::vector<std::wstring> FileNamesIn(const std::wstring &folder)
{
    std::vector<std::wstring> names = FindNames(folder + L"*", true);
    std::sort(names.begin(), names.end());
    return names;
}

class OnlineTest : public ::testing::Test {
protected:
    RegistrySandbox registry;
    LoopbackServer server;

    void SetUp() override { PointAt(server.Base()); }
    void PointAt(const std::wstring &base)
    {
        HKEY key;
        RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        RegCloseKey(key);
        ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", base.c_str()));
    }
    std::wstring Translate(const wchar_t *source, const wchar_t *target, const wchar_t *text)
    {
        wchar_t result[128];
        wmemset(result, L'#', 128);
        TranslateText(source, target, text, result);
        return result;
    }
};

TEST_F(OnlineTest, TextArrivesAsOneEscapedValue)
{
    server.Answer(200, "[[[\"x\",\"y\"]]]");
    std::wstring longChinese(120, L'\u5B57');
    std::string longEscaped;
    for (int i = 0; i < 120; i++)
        longEscaped += "%E5%AD%97";
    struct Case { const wchar_t *source, *target; std::wstring text; std::string query; };
    const Case cases[] = {
        {L"en", L"es", L"hello world", "sl=en&tl=es&dt=t&q=hello%20world"},
        {L"en", L"es", L"a/b?c#d&e=f", "sl=en&tl=es&dt=t&q=a%2Fb%3Fc%23d%26e%3Df"},
        {L"en", L"es", L"C++; 50% off", "sl=en&tl=es&dt=t&q=C%2B%2B%3B%2050%25%20off"},
        {L"es", L"en", L"d\u00EDas", "sl=es&tl=en&dt=t&q=d%C3%ADas"},
        {L"zh-TW", L"en", L"\u4F60\u597D", "sl=zh-TW&tl=en&dt=t&q=%E4%BD%A0%E5%A5%BD"},
        {L"", L"", L"hi", "sl=&tl=&dt=t&q=hi"},
        {L"en", L"zh", longChinese, "sl=en&tl=zh&dt=t&q=" + longEscaped},
    };
    for (const Case &c : cases)
        Translate(c.source, c.target, c.text.c_str());
    std::vector<std::string> lines = server.RequestLines();
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); i++)
        EXPECT_EQ(lines[i], "GET /translate_a/single?client=gtx&" + cases[i].query + " HTTP/1.1");
}

TEST_F(OnlineTest, RepliesAndTheirTranslations)
{
    struct Case { int status; std::string body; std::wstring expected; };
    const Case cases[] = {
        {200, R"([[["hola","hello",null,null,10]],null,"en"])", L"hola"},
        {200, R"([[["Hola. ","Hello. ",null,null,1],["\u00bfC\u00f3mo est\u00e1s?","How are you?",null,null,1]],null,"en"])",
         L"Hola. \u00BFC\u00F3mo est\u00E1s?"},
        {200, R"([[["dijo \"s\u00ed\" \\ \ud83d\ude00\n","x"]]])", L"dijo \"s\u00ED\" \\ \U0001F600\n"},
        {200, "[[[\"\xE4\xBD\xA0\xE5\xA5\xBD\",\"hello\"]]]", L"\u4F60\u597D"},
        {200, R"({"sentences":[{"trans":"bonjour"}]})", L"bonjour"},
        {200, R"([[[1,2]],3])", L""},
        {200, "", L""},
        {200, "\"hola", L""},
        {404, R"([[["hola","hello"]]])", L""},
        {500, R"([[["hola","hello"]]])", L""},
    };
    for (const Case &c : cases) {
        server.Answer(c.status, c.body);
        EXPECT_EQ(Translate(L"en", L"es", L"hello"), c.expected) << c.status << " " << c.body;
    }
}

TEST_F(OnlineTest, LongTranslationsAreCutWithoutSplittingACharacter)
{
    std::string hundreds;
    for (int i = 0; i < 200; i++)
        hundreds += "a";
    server.Answer(200, "[[[\"" + hundreds + "\",\"x\"]]]");
    EXPECT_EQ(Translate(L"en", L"es", L"x"), std::wstring(127, L'a'));

    // 126 letters and an emoji: the emoji's two halves would be units 127 and 128.
    std::string emoji = std::string(126, 'b') + "\xF0\x9F\x98\x80" + "cc";
    server.Answer(200, "[[[\"" + emoji + "\",\"x\"]]]");
    EXPECT_EQ(Translate(L"en", L"es", L"x"), std::wstring(126, L'b'));
}

TEST_F(OnlineTest, NoServerGivesAnEmptyResultAndLeavesNoFile)
{
    wchar_t port[64];
    _snwprintf(port, 64, L"http://127.0.0.1:%d", UnusedLoopbackPort());
    PointAt(port);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::vector<std::wstring> before = FileNamesIn(temp);
    EXPECT_EQ(Translate(L"en", L"es", L"hello"), L"");
    EXPECT_EQ(FileNamesIn(temp), before) << "nothing is left in the temporary folder";
}

TEST_F(OnlineTest, SilentServerEndsTheRequestWithinTheBound)
{
    server.StaySilent();
    DWORD start = GetTickCount();
    EXPECT_EQ(Translate(L"en", L"es", L"hello"), L"");
    EXPECT_LT(GetTickCount() - start, 20000u) << "a silent service must not hold the window";
    EXPECT_EQ(server.RequestLines().size(), 1u);
}

TEST_F(OnlineTest, ServiceBasesComeFromTheRegistryOrTheirDefaults)
{
    EXPECT_EQ(GetServiceBase(OnlineService::Translate), server.Base());
    ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", L"http://127.0.0.1:9/"));
    EXPECT_EQ(GetServiceBase(OnlineService::Translate), L"http://127.0.0.1:9");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"TranslateEndpoint");
    EXPECT_EQ(GetServiceBase(OnlineService::Translate), L"https://translate.googleapis.com");
    EXPECT_EQ(GetServiceBase(OnlineService::Speech), L"https://translate.google.com");
    EXPECT_EQ(GetServiceBase(OnlineService::SpanishDict), L"http://audio1.spanishdict.com");
}

TEST_F(OnlineTest, DownloadReplacesTheTargetOnlyAfterAComplete200)
{
    TempFolder folder;
    std::wstring target = folder.File(L"hola.mp3");
    WriteFileBytes(target, "old");

    server.Answer(404, "not found page");
    EXPECT_FALSE(HttpDownloadToFile(server.Base() + L"/a.mp3", target));
    EXPECT_EQ(ReadFileBytes(target), "old");

    server.StaySilent();
    EXPECT_FALSE(HttpDownloadToFile(server.Base() + L"/a.mp3", target));
    EXPECT_EQ(ReadFileBytes(target), "old");

    server.AnswerCutShort(200, "only part", 5000);
    EXPECT_FALSE(HttpDownloadToFile(server.Base() + L"/a.mp3", target)) << "a reply cut short";
    EXPECT_EQ(ReadFileBytes(target), "old");

    std::string sound(100000, '\x55');
    server.Answer(200, sound);
    EXPECT_TRUE(HttpDownloadToFile(server.Base() + L"/a.mp3", target));
    EXPECT_EQ(ReadFileBytes(target), sound);

    std::wstring fresh = folder.File(L"new.mp3");
    server.Answer(404, "");
    EXPECT_FALSE(HttpDownloadToFile(server.Base() + L"/b.mp3", fresh));
    EXPECT_FALSE(FileExists(fresh));

    std::vector<std::wstring> names = FindNames(folder.File(L"*"));
    EXPECT_EQ(names, std::vector<std::wstring>{L"hola.mp3"}) << "no partial files are left";
}

}  // namespace
