// The speech settings dialog (dialog resource 7): the engine setting and the Microsoft Speech
// voice, written to the registry on OK. Main thread only; COM must be initialised.
#pragma once

#include <windows.h>

// Dialog procedure. Ends with 1 after OK (the registry holds the choice; the caller reloads the
// in-memory settings) and 0 after Cancel, Escape or the close box (nothing written).
INT_PTR CALLBACK SpeechSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Adds the voices of one speech API token category (a registry path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Speech\Voices") to combo, in the order the speech API
// lists them: the display name (the default value of the token's key) as the item's text, the
// token id where there is none, and the token id as its item data. The token id
// belongs to the combo item from then on and is freed with CoTaskMemFree by the dialog when it
// is destroyed. A category that does not exist adds nothing.
void ListVoiceTokens(HWND combo, const wchar_t *categoryId);
