#include "win/dialog.h"

#include <vector>

#include "win/error_beep.h"
#include "win/wide.h"

namespace vorbel {

INT_PTR Dialog::DoModal(HWND parent) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::OnInitDialog() {
    DoDataExchange(Exchange::Load);
    return true;
}

void Dialog::OnOK() {
    if (DoDataExchange(Exchange::Save)) EndDialog(IDOK);
}

void Dialog::CenterOnWorkArea() {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi)) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const RECT& area = mi.rcWork;
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

std::u16string Dialog::ItemText(int id) const {
    HWND item = Item(id);
    std::vector<wchar_t> buf(GetWindowTextLengthW(item) + 1, L'\0');
    const int n = GetWindowTextW(item, buf.data(), static_cast<int>(buf.size()));
    return U(buf.data(), n > 0 ? n : 0);
}

void Dialog::SetItemText(int id, const std::u16string& text) { SetDlgItemTextW(hwnd_, id, W(text)); }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
#if __cpp_exceptions
    // Exceptions must not cross into the system's code that called us.
    try {
        return self->Dispatch(msg, wp, lp);
    } catch (...) {
        ErrorBeep();
        return FALSE;
    }
#else
    // Built without exceptions (the shipped program): nothing can unwind into the system's code.
    return self->Dispatch(msg, wp, lp);
#endif
}

namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM ||
           msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON;
}

}  // namespace

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR result = 0;
    if (OnMessage(msg, wp, lp, result)) {
        if (ReturnsResultDirectly(msg)) return result;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (msg) {
        case WM_INITDIALOG: FitPictures(); return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            if (HIWORD(wp) == BN_CLICKED) return OnButtonClicked(LOWORD(wp)) ? TRUE : FALSE;
            return OnItemNotified(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
        case WM_NCDESTROY:
            for (HBITMAP picture : pictures_) DeleteObject(picture);
            pictures_.clear();
            hwnd_ = nullptr;
            return FALSE;
        default: return FALSE;
    }
}

void Dialog::FitPictures() {
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(child, cls, 16);
        if (lstrcmpiW(cls, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        auto source = reinterpret_cast<HBITMAP>(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP bm = {};
        RECT slot;
        GetClientRect(child, &slot);
        if (!source || !GetObjectW(source, sizeof(bm), &bm) || slot.right <= 0 || slot.bottom <= 0) continue;
        if (bm.bmWidth == slot.right && bm.bmHeight == slot.bottom) continue;
        HDC screen = GetDC(nullptr);
        HBITMAP fitted = CreateCompatibleBitmap(screen, slot.right, slot.bottom);
        HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, fitted);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, slot.right, slot.bottom, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        // The control loaded the resource's bitmap for this dialog alone: it is ours to delete.
        DeleteObject(reinterpret_cast<HBITMAP>(
            SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fitted))));
        // A control that keeps a copy of its own leaves ours unused.
        if (reinterpret_cast<HBITMAP>(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0)) == fitted) {
            pictures_.push_back(fitted);
        } else {
            DeleteObject(fitted);
        }
    }
}

}  // namespace vorbel
