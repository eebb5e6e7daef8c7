// Counting the running sound workers.
#include "speech/sound_workers.h"

namespace {

volatile LONG g_started = 0;

// Count and "none running" event, changed together under the lock.
struct WorkerCount {
    CRITICAL_SECTION lock;
    LONG running = 0;
    HANDLE idle;

    WorkerCount()
    {
        InitializeCriticalSection(&lock);
        idle = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    }
};

WorkerCount &Workers()
{
    static WorkerCount workers;
    return workers;
}

void Change(LONG delta)
{
    WorkerCount &workers = Workers();
    EnterCriticalSection(&workers.lock);
    workers.running += delta;
    if (workers.running == 0)
        SetEvent(workers.idle);
    else
        ResetEvent(workers.idle);
    LeaveCriticalSection(&workers.lock);
}

}  // namespace

bool StartSoundWorker(LPTHREAD_START_ROUTINE routine, void *block)
{
    Change(+1);
    HANDLE thread = CreateThread(nullptr, 0, routine, block, 0, nullptr);
    if (!thread) {
        Change(-1);
        return false;
    }
    CloseHandle(thread);
    InterlockedIncrement(&g_started);
    return true;
}

void EndSoundWorker()
{
    Change(-1);
}

bool WaitForSoundWorkers(DWORD timeoutMs)
{
    return WaitForSingleObject(Workers().idle, timeoutMs) == WAIT_OBJECT_0;
}

unsigned long SoundWorkersStarted()
{
    return static_cast<unsigned long>(g_started);
}
