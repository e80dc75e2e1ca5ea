#include "tests/win/support/ui_driver.h"

#include <thread>

namespace vorbel::test {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

namespace {

BOOL CALLBACK CollectDialog(HWND w, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (std::wstring_view(cls) == L"#32770") reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> OpenDialogs(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

HWND WaitForDialog(DWORD thread, std::wstring_view titlePrefix, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(thread, titlePrefix, owner)) != nullptr; }, timeoutMs);
    return found;
}

INT_PTR RunScripted(const std::function<INT_PTR()>& runModal, std::wstring_view titlePrefix,
                    const std::function<void(HWND)>& script) {
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = WaitForDialog(uiThread, titlePrefix);
        if (dialog) script(dialog);
        MouseUp({0, 0});  // a script that failed mid-drag must not leave the button down
        // Whatever is still open, nested dialogs first.
        WaitUntil(
            [&] {
                std::vector<HWND> open = OpenDialogs(uiThread);
                for (auto it = open.rbegin(); it != open.rend(); ++it) PostMessageW(*it, WM_COMMAND, IDCANCEL, 0);
                return open.empty();
            },
            20000);
    });
    const INT_PTR result = runModal();
    driver.join();
    return result;
}

std::wstring Text(HWND window) {
    wchar_t buf[1024] = {};
    GetWindowTextW(window, buf, 1024);
    return buf;
}

std::wstring ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT ScreenRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void PostClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

void ReadBranch(HWND tree, HTREEITEM first, HWND parentWindow, std::vector<TreeNode>& out) {
    for (HTREEITEM item = first; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(
                                           tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        wchar_t text[1024] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 1024;
        tv.stateMask = TVIS_EXPANDED;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        const HWND window = reinterpret_cast<HWND>(tv.lParam);
        out.push_back({item, window, parentWindow, text, (tv.state & TVIS_EXPANDED) != 0});
        ReadBranch(tree,
                   reinterpret_cast<HTREEITEM>(
                       SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                   window, out);
    }
}

LRESULT CALLBACK StandInProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == PracticeStandIn::kTakeCapture) {
        SetCapture(w);
        return 0;
    }
    if (msg == WM_LBUTTONUP && GetCapture() == w) ReleaseCapture();
    return DefWindowProcW(w, msg, wp, lp);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int cx, int cy) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

std::vector<TreeNode> ReadTree(HWND tree) {
    std::vector<TreeNode> out;
    ReadBranch(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), nullptr, out);
    return out;
}

PracticeStandIn::PracticeStandIn(const wchar_t* className) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    top = CreateWindowExW(0, className, L"Cabinet dentaire", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 280, 330,
                          nullptr, nullptr, wc.hInstance, nullptr);
    chart = Child(top, L"Edit", L"DUPONT", WS_BORDER, 20, 20, 150, 24);
    label = Child(top, L"Static", L"Jean", 0, 20, 60, 150, 20);
    checkBox = Child(top, L"Button", L"Rappel", BS_AUTOCHECKBOX, 20, 100, 150, 20);
    SendMessageW(checkBox, BM_SETCHECK, BST_CHECKED, 0);
    group = Child(top, L"Button", L"Patient", BS_GROUPBOX, 10, 140, 200, 70);
    inGroup = Child(top, L"Edit", L"MARTIN", WS_BORDER, 25, 165, 150, 24);
    hidden = CreateWindowExW(0, L"Static", L"Panneau", WS_CHILD, 20, 220, 150, 50, top, nullptr, wc.hInstance, nullptr);
    underHidden = Child(hidden, L"Static", L"Cachée", 0, 0, 0, 100, 20);
    popup = CreateWindowExW(0, className, L"Surgissante", WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 380, 200, 100, top,
                            nullptr, wc.hInstance, nullptr);
    UpdateWindow(top);
}

PracticeStandIn::~PracticeStandIn() {
    if (popup) DestroyWindow(popup);
    if (top) DestroyWindow(top);
}

}  // namespace vorbel::test
