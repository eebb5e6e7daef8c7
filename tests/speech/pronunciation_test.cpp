// Pronunciation URLs and cache paths, and the pronunciation request against a loopback server
// under each engine setting.
#include "tests/speech/speech_test_support.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "common/settings.h"
#include "speech/playback.h"
#include "speech/pronunciation.h"
#include "speech/sound_workers.h"

namespace {

struct PrepareCase {
    int engine;
    const wchar_t *code;
    std::wstring text;
    std::wstring query;     // after the service base
    std::wstring file;      // inside Cache
};

class PronunciationTest : public SpeechTest {
protected:
    Pronunciation Prepare(const wchar_t *code, const std::wstring &text, int engine)
    {
        Pronunciation pronunciation;
        PreparePronunciation(code, text.c_str(), engine, &pronunciation);
        return pronunciation;
    }
    int Request(const wchar_t *code, const wchar_t *text, bool play)
    {
        int attempted = 1234;
        RequestPronunciation(code, text, play, &attempted);
        return attempted;
    }
};

TEST_F(PronunciationTest, UrlAndCachePathOfATextTable)
{
    std::wstring long100(100, L'A');
    std::wstring cut95(95, L'a');
    std::wstring chinese(30, L'\u5B57');
    std::wstring chineseEscaped;
    for (int i = 0; i < 30; i++)
        chineseEscaped += L"%E5%AD%97";
    std::wstring pairAtTheCut = std::wstring(94, L'x') + L"\U0001F600";
    const PrepareCase cases[] = {
        {0, L"en", L"Hello", L"/translate_tts?tl=en&client=tw-ob&q=hello", L"en\\hello.mp3"},
        {0, L"en", L"hello", L"/translate_tts?tl=en&client=tw-ob&q=hello", L"en\\hello.mp3"},
        {0, L"en", L"what?", L"/translate_tts?tl=en&client=tw-ob&q=what%3F", L"en\\what%3F.mp3"},
        // The same file as "what?": file names do not tell case apart.
        {0, L"en", L"what%3F", L"/translate_tts?tl=en&client=tw-ob&q=what%253f", L"en\\what%3f.mp3"},
        {3, L"es", L"what?", L"/dict/audio?lang=es&text=what%3F", L"es\\what%3F.mp3"},
        {0, L"en", L"A/B x|y", L"/translate_tts?tl=en&client=tw-ob&q=a%2Fb%20x%7Cy", L"en\\a%2Fb x%7Cy.mp3"},
        {0, L"en", L"C++ & 50%=", L"/translate_tts?tl=en&client=tw-ob&q=c%2B%2B%20%26%2050%25%3D", L"en\\c++ & 50%=.mp3"},
        {0, L"es", L"D\u00CDA", L"/translate_tts?tl=es&client=tw-ob&q=d%C3%ADa", L"es\\d\u00EDa.mp3"},
        {0, L"en", long100, L"/translate_tts?tl=en&client=tw-ob&q=" + cut95, L"en\\" + cut95 + L".mp3"},
        {0, L"zh", chinese, L"/translate_tts?tl=zh&client=tw-ob&q=" + chineseEscaped, L"zh\\" + chinese + L".mp3"},
        {0, L"en", pairAtTheCut, L"/translate_tts?tl=en&client=tw-ob&q=" + std::wstring(94, L'x'),
         L"en\\" + std::wstring(94, L'x') + L".mp3"},
    };
    for (const PrepareCase &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        Pronunciation pronunciation = Prepare(c.code, c.text, c.engine);
        EXPECT_EQ(PronunciationUrl(pronunciation), server.Base() + c.query);
        EXPECT_EQ(std::wstring(pronunciation.path), folder.path + L"\\Cache\\" + c.file);
        EXPECT_FALSE(pronunciation.exists);
    }
    // Names that path routines would read as folders stay file names inside the language folder;
    // a code that is no plain folder name gives no path at all.
    EXPECT_EQ(std::wstring(Prepare(L"en", L"..", 0).path), CacheFolder(L"en") + L"\\...mp3");
    for (const wchar_t *code : {L"..", L".", L"", L"en\\..\\..", L"a/b", L"x:y"}) {
        SCOPED_TRACE(testing::PrintToString(code));
        Pronunciation outside = Prepare(code, L"hello", 0);
        EXPECT_STREQ(outside.path, L"");
        EXPECT_FALSE(outside.exists);
    }
    EXPECT_EQ(FileNames(folder.path), std::vector<std::wstring>{L"Cache"});
    EXPECT_EQ(FileNames(folder.path + L"\\Cache"), (std::vector<std::wstring>{L"en", L"es", L"zh"}))
        << "the folders are made even though nothing was downloaded";
    EXPECT_TRUE(FileNames(CacheFolder(L"en")).empty());

    WriteFileBytes(CacheFolder(L"en") + L"\\hello.mp3", "x");
    EXPECT_TRUE(Prepare(L"en", L"HELLO", 0).exists);
}

// Texts that Windows would open as devices: each gets a file of its own, in a folder that no other
// text's file can be in, fetched like any other and counted as cached only once it is there.
TEST_F(PronunciationTest, DeviceNamesAreDownloadedIntoFilesOfTheirOwn)
{
    struct DeviceCase {
        const wchar_t *text;
        const wchar_t *file;
    };
    const DeviceCase devices[] = {
        {L"con", L"%63on.mp3"},
        {L"AUX.", L"%61ux..mp3"},
        {L"nul ", L"%6Eul .mp3"},
        {L"prn.mp3", L"%70rn.mp3.mp3"},
        {L"Nul . x", L"%6Eul . x.mp3"},
        {L"com1", L"%63om1.mp3"},
        {L"COM9.txt", L"%63om9.txt.mp3"},
        {L"lpt1", L"%6Cpt1.mp3"},
        {L"lpt9  ", L"%6Cpt9  .mp3"},
        {L"com\u00B2", L"%63om\u00B2.mp3"},
        {L"conin$", L"%63onin$.mp3"},
        {L"conout$.x", L"%63onout$.x.mp3"},
    };
    std::string tone = ToneMp3();
    AnswerAudio(tone);
    std::vector<std::wstring> expected;
    for (const DeviceCase &c : devices) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        std::wstring path = CacheFolder(L"es") + L"\\devices\\" + c.file;
        Pronunciation before = Prepare(L"es", c.text, 0);
        EXPECT_EQ(std::wstring(before.path), path);
        EXPECT_FALSE(before.exists) << "not cached before its download";

        size_t requests = server.RequestLines().size();
        EXPECT_EQ(Request(L"es", c.text, false), 1);
        EXPECT_EQ(server.RequestLines().size(), requests + 1);
        EXPECT_EQ(ReadFileBytes(path), tone);
        expected.push_back(c.file);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(FileNames(CacheFolder(L"es") + L"\\devices"), expected) << "a real file, listed in the folder";
        EXPECT_TRUE(Prepare(L"es", c.text, 0).exists);
        EXPECT_EQ(Request(L"es", c.text, false), 0) << "cached now";
    }
    ASSERT_FALSE(server.RequestLines().empty());
    EXPECT_EQ(server.RequestLines().front(), "GET /translate_tts?tl=es&client=tw-ob&q=con HTTP/1.1")
        << "the service is asked for the text itself";

    // Every other name stays as it was, so that the files of an existing cache are still found.
    struct OrdinaryCase {
        const wchar_t *text;
        const wchar_t *file;
    };
    const OrdinaryCase ordinary[] = {
        {L"hello", L"hello.mp3"},     {L"cons", L"cons.mp3"},       {L"icon", L"icon.mp3"},
        {L"con-a", L"con-a.mp3"},     {L" con", L" con.mp3"},       {L"a.con", L"a.con.mp3"},
        {L"con:", L"con%3A.mp3"},     {L"conin", L"conin.mp3"},     {L"com0", L"com0.mp3"},
        {L"com10", L"com10.mp3"},     {L"lpt", L"lpt.mp3"},         {L"clock$", L"clock$.mp3"},
        {L"n.ul", L"n.ul.mp3"},       {L"auxiliar", L"auxiliar.mp3"},
        // What the device names' files are called, but in the language's own folder.
        {L"%63on", L"%63on.mp3"},     {L"devices", L"devices.mp3"},
    };
    for (const OrdinaryCase &c : ordinary) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(std::wstring(Prepare(L"en", c.text, 0).path), CacheFolder(L"en") + L"\\" + c.file);
    }
}

// A captive portal answers every request with a 200 page of its own: only an MP3 answer is kept.
TEST_F(PronunciationTest, OnlyAnAnswerThatIsAnMp3FileIsKept)
{
    std::string tone = ToneMp3();
    ASSERT_EQ(static_cast<unsigned char>(tone[0]), 0xFF) << "tone.mp3 starts with a frame sync";
    const std::string id3 = std::string("ID3\x04\0\0\0\0\0\0", 10) + tone;
    const std::string html = "<html><body>Please log in</body></html>";
    struct ReplyCase {
        const char *name;
        const char *contentType;    // "" sends none
        std::string body;
        bool kept;
    };
    const ReplyCase replies[] = {
        {"login page", "text/html; charset=utf-8", html, false},
        {"audio type, page body", "audio/mpeg", html, false},
        {"text type, MP3 body", "text/plain", tone, false},
        {"no type, MP3 body", "", tone, false},
        {"audio type, sync bits missing", "audio/mpeg", "\xFF\x1F" + tone.substr(2), false},
        {"audio type, a single byte", "audio/mpeg", "\xFF", false},
        {"octet-stream, MP3 body", "application/octet-stream", tone, true},
        {"audio type, ID3 tag", "audio/mpeg", id3, true},
        {"audio type, frame sync", "audio/mpeg", tone, true},
        {"other audio type with parameters", "Audio/MP3; charset=binary", tone, true},
    };
    size_t keptCount = 0;
    for (size_t i = 0; i < sizeof replies / sizeof replies[0]; i++) {
        const ReplyCase &c = replies[i];
        SCOPED_TRACE(c.name);
        server.AnswerTyped(200, c.contentType, c.body);
        std::wstring text = L"word" + std::to_wstring(i);
        std::wstring file = CacheFolder(L"en") + L"\\" + text + L".mp3";
        EXPECT_EQ(Request(L"en", text.c_str(), false), 1) << "a download was attempted";
        EXPECT_EQ(PathFileExistsW(file.c_str()) != FALSE, c.kept);
        if (c.kept) {
            EXPECT_EQ(ReadFileBytes(file), c.body);
            keptCount++;
        }
        EXPECT_EQ(FileNames(CacheFolder(L"en")).size(), keptCount) << "no partial or refused file is left";
    }

    // A refused answer counts as a failed download: the next request asks again.
    AnswerAudio(tone);
    EXPECT_EQ(Request(L"en", L"word0", false), 1);
    EXPECT_EQ(ReadFileBytes(CacheFolder(L"en") + L"\\word0.mp3"), tone);
}

// No file can be made in the cache ("Cache" is a file here): nothing is asked of the service, and
// so nothing counts as an attempt.
TEST_F(PronunciationTest, NoRequestIsMadeWhenNoFileCanBeMade)
{
    WriteFileBytes(folder.path + L"\\Cache", "not a folder");
    AnswerAudio(ToneMp3());
    EXPECT_EQ(Request(L"es", L"hola", true), 0);
    EXPECT_EQ(Request(L"es", L"adi\u00F3s", false), 0);
    EXPECT_TRUE(server.RequestLines().empty());
}

TEST_F(PronunciationTest, APathThatWouldNotFitIsLeftEmpty)
{
    // The folder that holds Cache is deep enough that "Cache\en\<name>.mp3" passes MAX_PATH for
    // a long name but not for a short one.
    std::wstring deep = folder.path;
    while (deep.size() < 200)
        deep += L"\\deeper";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, deep.c_str(), nullptr), ERROR_SUCCESS);
    SetCacheParentFolder(deep.c_str());
    AnswerAudio(ToneMp3());

    EXPECT_STREQ(Prepare(L"en", L"hi", 0).path, (deep + L"\\Cache\\en\\hi.mp3").c_str());
    std::wstring longText(60, L'?');      // 180 units once escaped
    Pronunciation tooLong = Prepare(L"en", longText, 0);
    EXPECT_STREQ(tooLong.path, L"");
    EXPECT_FALSE(tooLong.exists);
    EXPECT_EQ(Request(L"en", longText.c_str(), true), 0) << "nothing is downloaded for it";
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(FileNames(deep + L"\\Cache\\en").empty());
}

TEST_F(PronunciationTest, Engine0DownloadsOnceThenPlaysFromTheCache)
{
    std::string tone = ToneMp3();
    ASSERT_FALSE(tone.empty());
    AnswerAudio(tone);
    unsigned long played = PlaybacksStarted();

    EXPECT_EQ(Request(L"es", L"Hola", true), 1);
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /translate_tts?tl=es&client=tw-ob&q=hola HTTP/1.1"});
    EXPECT_EQ(FileNames(CacheFolder(L"es")), std::vector<std::wstring>{L"hola.mp3"});
    EXPECT_EQ(ReadFileBytes(CacheFolder(L"es") + L"\\hola.mp3"), tone);
    EXPECT_EQ(PlaybacksStarted(), played + 1);

    EXPECT_EQ(Request(L"es", L"HOLA", true), 0);
    EXPECT_EQ(server.RequestLines().size(), 1u) << "the cached file is not fetched again";
    EXPECT_EQ(PlaybacksStarted(), played + 2);

    EXPECT_EQ(Request(L"es", L"hola", false), 0) << "play off with a cached file does nothing";
    EXPECT_EQ(PlaybacksStarted(), played + 2);
    EXPECT_TRUE(voices.Requests().empty());
}

TEST_F(PronunciationTest, Engine3UsesSpanishDictAndTheSameFile)
{
    UseEngine(3);
    AnswerAudio(ToneMp3());
    EXPECT_EQ(Request(L"es", L"Gracias", false), 1);
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>{"GET /dict/audio?lang=es&text=gracias HTTP/1.1"});
    EXPECT_EQ(FileNames(CacheFolder(L"es")), std::vector<std::wstring>{L"gracias.mp3"});

    UseEngine(0);
    EXPECT_EQ(Request(L"es", L"gracias", false), 0) << "a file from one service serves the other";
    EXPECT_EQ(server.RequestLines().size(), 1u);
}

TEST_F(PronunciationTest, AFailedDownloadLeavesNothingAndIsTriedAgain)
{
    struct Failure {
        const char *name;
        void (*arrange)(LoopbackServer &server);
    };
    const Failure failures[] = {
        {"404", [](LoopbackServer &s) { s.Answer(404, "<html>not found</html>"); }},
        {"empty 200", [](LoopbackServer &s) { s.AnswerTyped(200, "audio/mpeg", ""); }},
        {"silent", [](LoopbackServer &s) { s.StaySilent(); }},
    };
    unsigned long played = PlaybacksStarted();
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.name);
        failure.arrange(server);
        size_t before = server.RequestLines().size();
        EXPECT_EQ(Request(L"es", L"perro", true), 1);
        EXPECT_EQ(server.RequestLines().size(), before + 1);
        EXPECT_TRUE(FileNames(CacheFolder(L"es")).empty());
    }

    wchar_t nobody[64];
    _snwprintf(nobody, 64, L"http://127.0.0.1:%d", UnusedLoopbackPort());
    ASSERT_TRUE(WriteSettingText(L"SpeechEndpoint", nobody));
    EXPECT_EQ(Request(L"es", L"perro", true), 1);
    EXPECT_TRUE(FileNames(CacheFolder(L"es")).empty());

    EXPECT_EQ(PlaybacksStarted(), played) << "nothing to play, and no voice instead";
    EXPECT_TRUE(voices.Requests().empty());
}

TEST_F(PronunciationTest, Engine1SpeaksTheWholeTextAndMakesNoFolders)
{
    UseEngine(1);
    std::wstring text = L"Buenos D\u00EDas, " + std::wstring(120, L'X');
    EXPECT_EQ(Request(L"es", text.c_str(), true), 0);
    ASSERT_TRUE(WaitForSoundWorkers(10000));
    std::vector<SpokenRequest> spoken = voices.Requests();
    ASSERT_EQ(spoken.size(), 1u);
    EXPECT_EQ(spoken[0].text, text) << "not cut, not lower-cased";
    EXPECT_EQ(spoken[0].flags, 1u) << "SPF_ASYNC";
    EXPECT_EQ(spoken[0].waitTimeout, 60000u);
    EXPECT_NE(spoken[0].waitThread, GetCurrentThreadId()) << "the wait is on a worker";
    EXPECT_EQ(spoken[0].releaseThread, spoken[0].waitThread) << "released by the worker";
    EXPECT_TRUE(FileNames(folder.path).empty()) << "no cache folders";
    EXPECT_TRUE(server.RequestLines().empty());

    EXPECT_EQ(Request(L"es", L"hola", false), 0);
    EXPECT_EQ(FileNames(folder.path + L"\\Cache"), std::vector<std::wstring>{L"es"})
        << "play off makes the folders and nothing else";
    EXPECT_EQ(voices.Requests().size(), 1u);
    EXPECT_TRUE(server.RequestLines().empty());
}

TEST_F(PronunciationTest, Engine2PlaysTheCachedFileOrSpeaksAndNeverDownloads)
{
    UseEngine(2);
    AnswerAudio(ToneMp3());
    unsigned long played = PlaybacksStarted();
    EXPECT_EQ(Request(L"en", L"Cat", true), 0);
    EXPECT_EQ(Request(L"en", L"cat", false), 0);
    ASSERT_TRUE(WaitForSoundWorkers(10000));
    std::vector<SpokenRequest> spoken = voices.Requests();
    ASSERT_EQ(spoken.size(), 1u);
    EXPECT_EQ(spoken[0].text, L"Cat");
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(FileNames(CacheFolder(L"en")).empty());

    WriteFileBytes(CacheFolder(L"en") + L"\\cat.mp3", ToneMp3());
    EXPECT_EQ(Request(L"en", L"Cat", true), 0);
    EXPECT_EQ(PlaybacksStarted(), played + 1);
    EXPECT_EQ(voices.Requests().size(), 1u) << "the cached file plays instead of the voice";
}

TEST_F(PronunciationTest, OtherEngineValuesDoNothing)
{
    UseEngine(7);
    AnswerAudio(ToneMp3());
    unsigned long played = PlaybacksStarted();
    EXPECT_EQ(Request(L"en", L"cat", true), 0);
    EXPECT_TRUE(FileNames(folder.path).empty());
    EXPECT_EQ(Request(L"en", L"cat", false), 0);
    EXPECT_EQ(FileNames(folder.path + L"\\Cache"), std::vector<std::wstring>{L"en"});
    EXPECT_TRUE(FileNames(CacheFolder(L"en")).empty());
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(voices.Requests().empty());
    EXPECT_EQ(PlaybacksStarted(), played);
}

TEST_F(PronunciationTest, NoVoiceObjectMeansNothingIsSpoken)
{
    UseEngine(1);
    voices.RefuseVoices();
    unsigned long workers = SoundWorkersStarted();
    EXPECT_EQ(Request(L"en", L"cat", true), 0);
    EXPECT_EQ(voices.Refused(), 1u) << "the request asked for a voice";
    EXPECT_EQ(SoundWorkersStarted(), workers) << "no worker starts, and no other voice speaks instead";
    EXPECT_TRUE(voices.Requests().empty());

    // The engine-2 fallback to the voice takes the same way.
    UseEngine(2);
    EXPECT_EQ(Request(L"en", L"dog", true), 0);
    EXPECT_EQ(voices.Refused(), 2u);
    EXPECT_EQ(SoundWorkersStarted(), workers);
}

}  // namespace
