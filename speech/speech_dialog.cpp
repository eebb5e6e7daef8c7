// The speech settings dialog and the listing of installed voices.
#include "speech/speech_dialog.h"

#include <sapi.h>

#include <string>

#include "common/com_ptr.h"
#include "common/dialogs.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "speech/speech_settings.h"

namespace {

// Desktop voices first, then the two Speech Server generations.
const wchar_t *const kVoiceCategories[] = {
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices",
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech Server\\v10.0\\Voices",
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech Server\\v11.0\\Voices",
};

void SelectStoredVoice(HWND combo)
{
    wchar_t stored[MAX_PATH];
    ReadSettingText(kVoiceValue, stored, MAX_PATH);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    LRESULT chosen = 0;
    for (LRESULT i = 0; i < count; i++) {
        const wchar_t *id = reinterpret_cast<const wchar_t *>(SendMessageW(combo, CB_GETITEMDATA, i, 0));
        if (id && lstrcmpW(id, stored) == 0) {
            chosen = i;
            break;
        }
    }
    SendMessageW(combo, CB_SETCURSEL, chosen, 0);
}

void OnInitDialog(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_VOICE);
    for (const wchar_t *category : kVoiceCategories)
        ListVoiceTokens(combo, category);
    SelectStoredVoice(combo);

    DWORD engine = 0;
    ReadSettingDword(kEngineValue, &engine);
    // A value outside 0..3 checks nothing: CheckDlgButton on a missing id does nothing.
    if (engine <= IDC_ENGINE_LAST - IDC_ENGINE_FIRST)
        CheckDlgButton(dialog, IDC_ENGINE_FIRST + static_cast<int>(engine), BST_CHECKED);
    SetDialogIcon(dialog);
}

void OnOk(HWND dialog)
{
    for (int id = IDC_ENGINE_FIRST; id <= IDC_ENGINE_LAST; id++) {
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
            WriteSettingDword(kEngineValue, static_cast<DWORD>(id - IDC_ENGINE_FIRST));
            break;
        }
    }
    LRESULT selection = SendDlgItemMessageW(dialog, IDC_VOICE, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR) {
        const wchar_t *id = reinterpret_cast<const wchar_t *>(
            SendDlgItemMessageW(dialog, IDC_VOICE, CB_GETITEMDATA, selection, 0));
        if (id)
            WriteSettingText(kVoiceValue, id);
    }
    EndDialog(dialog, 1);
}

void OnDestroy(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_VOICE);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT data = SendMessageW(combo, CB_GETITEMDATA, i, 0);
        if (data != 0 && data != CB_ERR)
            CoTaskMemFree(reinterpret_cast<void *>(data));
        SendMessageW(combo, CB_SETITEMDATA, i, 0);
    }
}

// The voice's display name, the default value of its token's key, read from the registry when
// the token does not give it. The token id is the key's full path, or (as Wine names its tokens)
// the key's name alone, found in the category's "Tokens" folder. Null when there is none.
wchar_t *ReadVoiceName(const wchar_t *categoryId, const wchar_t *id)
{
    const wchar_t machine[] = L"HKEY_LOCAL_MACHINE\\";
    std::wstring key;
    if (wcsncmp(id, machine, wcslen(machine)) == 0)
        key = id + wcslen(machine);
    else if (wcschr(id, L'\\') == nullptr && wcsncmp(categoryId, machine, wcslen(machine)) == 0)
        key = std::wstring(categoryId + wcslen(machine)) + L"\\Tokens\\" + id;
    else
        return nullptr;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS || bytes < sizeof(wchar_t))
        return nullptr;
    wchar_t *name = static_cast<wchar_t *>(CoTaskMemAlloc(bytes));
    if (name && RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, name, &bytes) ==
                    ERROR_SUCCESS && name[0] != 0)
        return name;
    CoTaskMemFree(name);
    return nullptr;
}

}  // namespace

void ListVoiceTokens(HWND combo, const wchar_t *categoryId)
{
    ComPtr<IEnumSpObjectTokens> tokens;
    {
        ComPtr<ISpObjectTokenCategory> category;
        if (CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ISpObjectTokenCategory,
                             reinterpret_cast<void **>(category.Out())) != S_OK)
            return;
        category->SetId(categoryId, FALSE);
        if (FAILED(category->EnumTokens(nullptr, nullptr, tokens.Out())) || !tokens)
            return;
    }
    ULONG count = 0;
    if (FAILED(tokens->GetCount(&count)))
        return;
    for (ULONG i = 0; i < count; i++) {
        ComPtr<ISpObjectToken> token;
        if (FAILED(tokens->Next(1, token.Out(), nullptr)) || !token)
            break;
        wchar_t *id = nullptr;
        wchar_t *name = nullptr;
        if (FAILED(token->GetId(&id)))
            continue;
        if (FAILED(token->GetStringValue(nullptr, &name)) || !name)
            name = ReadVoiceName(categoryId, id);
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name ? name : id));
        if (index >= 0)
            SendMessageW(combo, CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(id));
        else
            CoTaskMemFree(id);
        CoTaskMemFree(name);
    }
}

INT_PTR CALLBACK SpeechSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDCANCEL) {
            EndDialog(dialog, 0);
        } else if (id == IDC_SPEECH_OK) {
            OnOk(dialog);
        } else if (id >= IDC_ENGINE_FIRST && id <= IDC_ENGINE_LAST && HIWORD(wParam) == BN_CLICKED) {
            // The fourth button comes after the others in the template, outside their group:
            // keep all four exclusive by id.
            CheckRadioButton(dialog, IDC_ENGINE_FIRST, IDC_ENGINE_LAST, id);
        }
        return TRUE;
    }
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}
