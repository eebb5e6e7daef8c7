// Playing an MP3 through the real DirectShow graph under Wine (given a null ALSA output by the
// test's environment).
#include "tests/speech/speech_test_support.h"

#include <dshow.h>

#include "speech/playback.h"
#include "speech/sound_workers.h"

namespace {

class PlaybackTest : public SpeechTest {};

TEST_F(PlaybackTest, AnMp3PlaysToItsEndOnAWorkerThatReleasesIt)
{
    std::wstring path = folder.File(L"tone.mp3");
    WriteFileBytes(path, ToneMp3());
    unsigned long played = PlaybacksStarted();
    PlayAudioFile(path.c_str());
    ASSERT_EQ(PlaybacksStarted(), played + 1) << "RenderFile and Run succeeded";
    ASSERT_TRUE(WaitForSoundWorkers(20000)) << "the worker ends after the sound";
    EXPECT_EQ(LastPlaybackEventCode(), EC_COMPLETE);
    // The graph let go of the file: it can be deleted.
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST_F(PlaybackTest, FilesThatCannotBeRenderedAreReleasedAtOnce)
{
    const std::pair<const wchar_t *, std::string> files[] = {
        {L"text.mp3", std::string(4000, 'x')},
        {L"empty.mp3", ""},
    };
    for (const auto &file : files) {
        std::wstring path = folder.File(file.first);
        WriteFileBytes(path, file.second);
        unsigned long played = PlaybacksStarted();
        PlayAudioFile(path.c_str());
        EXPECT_EQ(PlaybacksStarted(), played);
        EXPECT_TRUE(WaitForSoundWorkers(0)) << "no worker is left waiting";
        EXPECT_TRUE(DeleteFileW(path.c_str())) << "nothing holds the file";
    }
    PlayAudioFile(folder.File(L"missing.mp3").c_str());
    EXPECT_TRUE(WaitForSoundWorkers(0));
}

}  // namespace
