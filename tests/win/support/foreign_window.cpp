#include "tests/win/support/foreign_window.h"

#include "tests/win/support/vorbel_process.h"

namespace vorbel::test {
namespace {

constexpr UINT kEnd = WM_APP + 0x3F00;

}  // namespace

ForeignWindow::ForeignWindow(Options options)
    : options_(std::move(options)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
    WaitUntil([this] { return window_.load() != nullptr; }, 5000);
}

ForeignWindow::~ForeignWindow() {
    SetEvent(release_);
    if (HWND w = window_.load()) PostMessageW(w, kEnd, 0, 0);
    thread_.join();
    CloseHandle(release_);
}

LRESULT CALLBACK ForeignWindow::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ForeignWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (self && msg == self->options_.counted) {
        ++self->count_;
        if (self->options_.hangOnCounted) WaitForSingleObject(self->release_, INFINITE);
        return 0;
    }
    if (msg == kEnd) {
        DestroyWindow(w);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

void ForeignWindow::Run() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = options_.className.c_str();
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(options_.exStyle, wc.lpszClassName, options_.title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                             100, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (options_.visible) ShowWindow(w, SW_SHOWNOACTIVATE);
    window_ = w;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace vorbel::test
