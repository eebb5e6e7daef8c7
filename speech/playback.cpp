// Playback through a DirectShow filter graph and the worker that waits for its end.
#include "speech/playback.h"

#include <dshow.h>

#include "speech/sound_workers.h"

namespace {

// Handed to the playback worker, which owns and frees it. control and events may be null.
struct PlaybackHandOff {
    IGraphBuilder *graph;
    IMediaControl *control;
    IMediaEvent *events;
};

volatile LONG g_lastEventCode = 0;
volatile LONG g_playbacksStarted = 0;

void Release(PlaybackHandOff *handOff)
{
    if (handOff->events)
        handOff->events->Release();
    if (handOff->control)
        handOff->control->Release();
    handOff->graph->Release();
}

DWORD WINAPI PlaybackWorker(void *block)
{
    PlaybackHandOff *handOff = static_cast<PlaybackHandOff *>(block);
    if (handOff->events) {
        long code = 0;
        handOff->events->WaitForCompletion(INFINITE, &code);
        InterlockedExchange(&g_lastEventCode, code);
        if (handOff->control)
            handOff->control->Stop();
    }
    Release(handOff);
    GlobalFree(handOff);
    EndSoundWorker();
    return 0;
}

}  // namespace

void PlayAudioFile(const wchar_t *path)
{
    PlaybackHandOff playback = {};
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void **>(&playback.graph))) || !playback.graph)
        return;
    if (FAILED(playback.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void **>(&playback.control))))
        playback.control = nullptr;
    if (FAILED(playback.graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void **>(&playback.events))))
        playback.events = nullptr;

    // A graph that is not running has nothing to wait for: it is released here at once.
    bool running = SUCCEEDED(playback.graph->RenderFile(path, nullptr)) && playback.control &&
                   SUCCEEDED(playback.control->Run());
    if (running) {
        InterlockedIncrement(&g_playbacksStarted);
        PlaybackHandOff *handOff = static_cast<PlaybackHandOff *>(GlobalAlloc(GMEM_FIXED, sizeof(PlaybackHandOff)));
        if (handOff) {
            *handOff = playback;
            if (StartSoundWorker(PlaybackWorker, handOff))
                return;
            GlobalFree(handOff);
        }
        playback.control->Stop();
    }
    Release(&playback);
}

long LastPlaybackEventCode()
{
    return g_lastEventCode;
}

unsigned long PlaybacksStarted()
{
    return static_cast<unsigned long>(g_playbacksStarted);
}
