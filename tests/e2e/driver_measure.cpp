// Measuring a window's texts inside the program that owns it, through pelmora_measure.dll.
#include "driver.h"

namespace e2e {
namespace {

// The report the hook sends back, received by a message-only window of this thread while the
// request is being sent.
std::wstring* pendingReport = nullptr;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (pendingReport && data->dwData == measure::kReportTag) {
            pendingReport->assign(static_cast<const wchar_t*>(data->lpData),
                                  data->cbData / sizeof(wchar_t));
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcW(window, message, wp, lp);
}

// The receiving window, destroyed on scope exit.
class Receiver {
  public:
    Receiver() {
        static const ATOM cls = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ReceiverProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"PelmoraE2EMeasureReceiver";
            return RegisterClassW(&wc);
        }();
        if (cls)
            window_ = CreateWindowExW(0, L"PelmoraE2EMeasureReceiver", L"", 0, 0, 0, 0, 0,
                                      HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    ~Receiver() {
        if (window_)
            DestroyWindow(window_);
    }
    HWND window() const { return window_; }

  private:
    HWND window_ = nullptr;
};

// The measuring DLL loaded into this process and its hook on one thread, both released on scope
// exit.
class MeasureHook {
  public:
    explicit MeasureHook(DWORD threadId) {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"pelmora_measure.dll";
        module_ = LoadLibraryW(path.c_str());
        if (!module_) {
            error_ = L"cannot load " + path + L", error " + std::to_wstring(GetLastError());
            return;
        }
        const auto proc = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void*>(GetProcAddress(module_, measure::kHookProcName)));
        if (!proc) {
            error_ = path + L" exports no hook procedure";
            return;
        }
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc, module_, threadId);
        if (!hook_)
            error_ = L"SetWindowsHookExW failed, error " + std::to_wstring(GetLastError());
    }
    MeasureHook(const MeasureHook&) = delete;
    MeasureHook& operator=(const MeasureHook&) = delete;
    ~MeasureHook() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        if (module_)
            FreeLibrary(module_);
    }
    bool ok() const { return hook_ != nullptr; }
    const std::wstring& error() const { return error_; }

  private:
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
    std::wstring error_;
};

}  // namespace

std::optional<measure::Report> MeasureControls(HWND window, std::wstring& error) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!thread) {
        error = L"no such window";
        return std::nullopt;
    }
    const Receiver receiver;
    if (!receiver.window()) {
        error = L"cannot create the window that receives the report";
        return std::nullopt;
    }
    const MeasureHook hook(thread);
    if (!hook.ok()) {
        error = hook.error();
        return std::nullopt;
    }
    static const UINT request = RegisterWindowMessageW(measure::kMessageName);
    std::wstring text;
    pendingReport = &text;
    DWORD_PTR result = 0;
    // While this waits, the report comes in as a message sent to the receiver, which this thread
    // handles within the call.
    const bool answered =
        SendMessageTimeoutW(window, request, reinterpret_cast<WPARAM>(receiver.window()), 0,
                            SMTO_NORMAL, 10000, &result) != 0;
    pendingReport = nullptr;
    if (!answered) {
        error = L"the program did not answer within 10 s";
        return std::nullopt;
    }
    if (text.empty()) {
        error = L"the hook sent no report (was the DLL loaded into the program?)";
        return std::nullopt;
    }
    auto report = measure::Parse(text);
    if (!report)
        error = L"the report cannot be read: " + Visible(text.substr(0, 200));
    return report;
}

}  // namespace e2e
