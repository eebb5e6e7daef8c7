// Keeps Wine's desktop up for a whole test run. The desktop process is started by the first
// program that makes a window and keeps that program's standard handles: when a test started it,
// CTest waited on the test's output pipe until the desktop went idle and ended, minutes later.
// Started before the tests, with no pipe to keep, this program's hidden window holds the desktop
// until the run ends Wine.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"hold_desktop", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                                  nullptr);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
