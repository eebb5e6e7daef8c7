// The short-lived threads that wait for a sound to end and release its objects. Each is started
// without a kept handle and ends by itself; this count lets the program (and tests) know whether
// any still runs.
#pragma once

#include <windows.h>

// Starts routine(block) on a new thread counted as a sound worker; the routine must call
// EndSoundWorker as its last step. Returns false when the thread could not be started: nothing
// is counted and the caller still owns block and what it holds.
bool StartSoundWorker(LPTHREAD_START_ROUTINE routine, void *block);

// The last call of a sound worker.
void EndSoundWorker();

// Waits until no sound worker runs, at most timeoutMs. True when none runs.
bool WaitForSoundWorkers(DWORD timeoutMs);

// How many sound workers have been started since the process started. Lets tests see that a
// request started none, even one that would have ended at once.
unsigned long SoundWorkersStarted();
