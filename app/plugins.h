// Plug-ins: the "*.plugin" libraries beside the program, listed in the Add-ons menu and run on
// the phrase pair of the focused row. Main thread only.
#pragma once

#include <windows.h>

struct ShellState;

// Loads the plug-ins into shell (pluginCount, pluginModules) and lists them in the Add-ons popup
// (position 4 of window's menu bar) with command IDs 400 + n, after removing its placeholder.
// Each is loaded by its full path. Libraries that cannot be loaded, lack LingotrovePluginInfo,
// decline (a null or unreadable record or caption), or come after the fiftieth are freed again.
void LoadPlugins(HWND window, ShellState *shell);

// Runs plug-in n with the focused row of the phrase list; nothing when there is no such plug-in
// or it has no LingotrovePluginExecute. shell->pluginRunning is true while it runs.
void RunPlugin(HWND window, ShellState *shell, int n);

// Tests look for "*.plugin" in a folder of their own; null restores the program's folder. Each
// library is loaded by its full path, so nothing else about the search needs to change.
void SetPluginFolder(const wchar_t *folder);
