#include "win/progress_window.h"

#include "resources/resource.h"
#include "win/wide.h"

namespace vorbel {
namespace {

// The template names this class: a dialog's own, with the wait cursor over it.
bool RegisterProgressClass() {
    static const ATOM registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefDlgProcW;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kProgressWindowClass;
        return RegisterClassExW(&wc);
    }();
    return registered != 0;
}

// Centred over the owner, which it stands for while it shows.
void CentreOver(HWND w, HWND owner) {
    RECT o, r;
    if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(w, &r)) return;
    SetWindowPos(w, nullptr, (o.left + o.right - (r.right - r.left)) / 2, (o.top + o.bottom - (r.bottom - r.top)) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, const std::u16string& caption, const std::u16string& text) : owner_(owner) {
    if (!RegisterProgressClass()) return;
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), owner, Proc,
                       reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    SetWindowTextW(hwnd_, W(caption));
    SetDlgItemTextW(hwnd_, IDC_PROGRESS_TEXT, W(text));
    ShowWindow(hwnd_, SW_SHOW);
}

ProgressWindow::~ProgressWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR CALLBACK ProgressWindow::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(w, DWLP_USER, lp);
        auto* self = reinterpret_cast<ProgressWindow*>(lp);
        self->hwnd_ = w;
        CentreOver(w, self->owner_);
        return TRUE;
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(w, DWLP_USER));
    if (!self) return FALSE;
    if ((msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) || msg == WM_CLOSE) {
        self->cancelled_ = true;
        return TRUE;
    }
    if (msg == WM_NCDESTROY) self->hwnd_ = nullptr;
    return FALSE;
}

WaitEnd WaitWithProgress(BoundedWorker& worker, HWND owner, const std::u16string& caption, const std::u16string& text,
                         std::function<ULONGLONG(ULONGLONG bound)> atBound) {
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    WaitEnd end;
    {
        ProgressWindow progress(owner, caption, text);
        WorkerWait how;
        how.messageLoop = true;
        how.dialog = progress.hwnd();
        how.cancelled = [&progress] { return progress.Cancelled(); };
        how.atBound = std::move(atBound);
        end = worker.Wait(how);
        // Enabled before the progress window goes, so that the activation returns to it.
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
    }
    return end;
}

}  // namespace vorbel
