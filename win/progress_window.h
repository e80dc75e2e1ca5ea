// A small window over the window that waits for a worker: what is under way, and "Annuler". Built
// from a dialog template (IDD_PROGRESS), so that it grows with the display scale as every other
// window does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/bounded_worker.h"

namespace vorbel {

// Its window class, by which tests find it.
inline constexpr wchar_t kProgressWindowClass[] = L"VorbelWebExportProgress";

class ProgressWindow {
public:
    // Shown at once over `owner` (centred on its monitor without one), above other windows.
    ProgressWindow(HWND owner, const std::u16string& caption, const std::u16string& text);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Null when it could not be made.
    HWND hwnd() const { return hwnd_; }
    // "Annuler" was pressed, or the window was asked to close.
    bool Cancelled() const { return cancelled_; }

private:
    static INT_PTR CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    HWND owner_;
    bool cancelled_ = false;
};

// Waits for `worker` with `owner` disabled and a progress window over it saying `text`; its
// "Annuler" gives the worker up at once. At the bound, `atBound` may give a later one.
WaitEnd WaitWithProgress(BoundedWorker& worker, HWND owner, const std::u16string& caption, const std::u16string& text,
                         std::function<ULONGLONG(ULONGLONG bound)> atBound = {});

}  // namespace vorbel
