// The stand-in voice object and its recorder.
#include "tests/speech/fake_voice.h"

#include <sapi.h>

#include "speech/speaker.h"

namespace {

CRITICAL_SECTION g_lock;
std::vector<SpokenRequest> g_requests;
VoiceRecorder *g_recorder = nullptr;

struct Locked {
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
};

class FakeVoice final : public ISpVoice {
public:
    explicit FakeVoice(size_t index) : index_(index) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (iid == IID_IUnknown || iid == IID_ISpVoice) {
            *out = static_cast<ISpVoice *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            {
                Locked locked;
                g_requests[index_].releaseThread = GetCurrentThreadId();
            }
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE SetVoice(ISpObjectToken *token) override
    {
        wchar_t *id = nullptr;
        if (token && SUCCEEDED(token->GetId(&id))) {
            Locked locked;
            g_requests[index_].voiceId = id;
        }
        CoTaskMemFree(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Speak(LPCWSTR text, DWORD flags, ULONG *) override
    {
        Locked locked;
        g_requests[index_].text = text ? text : L"";
        g_requests[index_].flags = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE WaitUntilDone(ULONG timeout) override
    {
        Locked locked;
        g_requests[index_].waitTimeout = timeout;
        g_requests[index_].waitThread = GetCurrentThreadId();
        return S_OK;
    }

    // Not used by the program.
    HRESULT STDMETHODCALLTYPE SetNotifySink(ISpNotifySink *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNotifyWindowMessage(HWND, UINT, WPARAM, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNotifyCallbackFunction(SPNOTIFYCALLBACK *, WPARAM, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNotifyCallbackInterface(ISpNotifyCallback *, WPARAM, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNotifyWin32Event() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WaitForNotifyEvent(DWORD) override { return E_NOTIMPL; }
    HANDLE STDMETHODCALLTYPE GetNotifyEventHandle() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE SetInterest(ULONGLONG, ULONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEvents(ULONG, SPEVENT *, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInfo(SPEVENTSOURCEINFO *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOutput(IUnknown *, WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputObjectToken(ISpObjectToken **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputStream(ISpStreamFormat **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVoice(ISpObjectToken **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpeakStream(IStream *, DWORD, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStatus(SPVOICESTATUS *, LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(LPCWSTR, LONG, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPriority(SPVPRIORITY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(SPVPRIORITY *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAlertBoundary(SPEVENTENUM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAlertBoundary(SPEVENTENUM *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRate(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRate(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVolume(USHORT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolume(USHORT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSpeakTimeout(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSpeakTimeout(ULONG *) override { return E_NOTIMPL; }
    HANDLE STDMETHODCALLTYPE SpeakCompleteEvent() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE IsUISupported(LPCWSTR, void *, ULONG, WINBOOL *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DisplayUI(HWND, LPCWSTR, LPCWSTR, void *, ULONG) override { return E_NOTIMPL; }

private:
    LONG references_ = 1;
    size_t index_;
};

HRESULT CreateFakeVoice(ISpVoice **voice)
{
    *voice = nullptr;
    if (!g_recorder)
        return E_FAIL;
    if (g_recorder->refuse_) {
        g_recorder->refused_++;
        return E_FAIL;
    }
    Locked locked;
    g_requests.push_back(SpokenRequest());
    *voice = new FakeVoice(g_requests.size() - 1);
    return S_OK;
}

struct LockInit {
    LockInit() { InitializeCriticalSection(&g_lock); }
} g_lockInit;

}  // namespace

VoiceRecorder::VoiceRecorder()
{
    Locked locked;
    g_requests.clear();
    g_recorder = this;
    SetVoiceFactory(CreateFakeVoice);
}

VoiceRecorder::~VoiceRecorder()
{
    SetVoiceFactory(nullptr);
    Locked locked;
    g_recorder = nullptr;
}

std::vector<SpokenRequest> VoiceRecorder::Requests() const
{
    Locked locked;
    return g_requests;
}
