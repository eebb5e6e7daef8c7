/* A library that a test plug-in imports from: it stands for a plug-in's own dependency, found
 * only where the program's library search allows. */
#include <windows.h>

__declspec(dllexport) const wchar_t *__cdecl PluginHelperSuffix(void)
{
    return L" with helper";
}
