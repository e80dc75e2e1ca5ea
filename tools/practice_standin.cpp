// A stand-in for a dental practice program: a patient form whose controls Vorbel reads, for the
// tests and the demo. Options (all optional):
//   --class=NAME      class of the top window (default PmsPatientForm; WinDevObject, FENETRE_VISIODENT32...)
//   --title=TEXT      window title
//   --chart=TEXT --last=TEXT --first=TEXT --birth=TEXT   patient shown
//   --civility=K      selected item of the "Civilité" list, -1 for none (default 1)
//   --item=N          adds a fourth list item of N characters (PatternText)
//   --active=0|1      the "Patient actif" check box (default 1)
//   --notes=N         the notes hold N characters (PatternText) instead of a short note
//   --extra=N         N more labels in the history strip
//   --pos=X,Y         top-left corner of the window on the screen (default 40,40)
//   --size=W,H        client size (default 640,440); the layout scales with the window
//   --record=PATH     appends every key message and menu command the top window receives,
//                     one line each: "WM_SYSKEYDOWN 0x45 0x20000001"
//   --hang=MS         stops answering messages MS milliseconds after showing
// kHangNowMessage, sent to the top window, makes it stop answering at once.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

#include "tools/practice_standin_ids.h"

namespace {

using namespace vorbel::standin;

struct Options {
    std::wstring className = L"PmsPatientForm";
    std::wstring title;
    std::wstring chart = L"1234";
    std::wstring last = L"DUPONT";
    std::wstring first = L"Élise";
    std::wstring birth = L"05/03/1970";
    int civility = 1;
    int item = -1;
    bool active = true;
    int notes = -1;
    int extra = 0;
    POINT pos = {40, 40};
    SIZE size = {kDesignWidth, kDesignHeight};
    std::wstring record;
    int hangMs = -1;
};

Options g_options;
HFONT g_font = nullptr;
// Each control's rectangle in its parent's design coordinates; containers scale their children.
std::map<HWND, RECT> g_design;
constexpr wchar_t kPanelClass[] = L"PmsPanel";
constexpr UINT_PTR kHangTimer = 1;

[[noreturn]] void HangForever() {
    for (;;) Sleep(INFINITE);
}

void Record(const wchar_t* name, WPARAM wp, LPARAM lp) {
    if (g_options.record.empty()) return;
    HANDLE file = CreateFileW(g_options.record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[96];
    const int n = std::snprintf(line, sizeof(line), "%ls 0x%lX 0x%lX\n", name, static_cast<unsigned long>(wp),
                                static_cast<unsigned long>(static_cast<DWORD>(lp)));
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(file);
}

void LayOutChildren(HWND container, bool top) {
    RECT client;
    GetClientRect(container, &client);
    SIZE design = {kDesignWidth, kDesignHeight};
    if (!top) {
        const auto it = g_design.find(container);
        if (it == g_design.end()) return;
        design = {it->second.right - it->second.left, it->second.bottom - it->second.top};
    }
    for (HWND c = GetWindow(container, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const auto it = g_design.find(c);
        if (it == g_design.end()) continue;
        const RECT& r = it->second;
        const int left = MulDiv(r.left, client.right, design.cx);
        const int topY = MulDiv(r.top, client.bottom, design.cy);
        MoveWindow(c, left, topY, MulDiv(r.right, client.right, design.cx) - left,
                   MulDiv(r.bottom, client.bottom, design.cy) - topY, TRUE);
    }
}

HWND Add(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
         DWORD exStyle = 0) {
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    g_design[c] = {x, y, x + w, y + h};
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    return c;
}

HWND Label(HWND parent, const wchar_t* text, int x, int y, int w) {
    return Add(parent, L"STATIC", text, SS_LEFT, -1, x, y, w, 20);
}

HWND Panel(HWND parent, int id, int x, int y, int w, int h) { return Add(parent, kPanelClass, L"", 0, id, x, y, w, h); }

HWND Edit(HWND parent, int id, const std::wstring& text, int x, int y, int w) {
    return Add(parent, L"EDIT", text.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, id, x, y, w, 24, WS_EX_CLIENTEDGE);
}

void BuildForm(HWND top) {
    HWND header = Panel(top, kHeaderPanel, 0, 0, 640, 36);
    Label(header, L"Cabinet dentaire des Lilas — Dr Martin", 12, 9, 360);
    Add(header, L"BUTTON", L"Radiographies", BS_PUSHBUTTON | WS_TABSTOP, -1, 500, 5, 128, 26);

    HWND main = Panel(top, kMainPanel, 0, 36, 640, 260);
    HWND identity = Panel(main, kIdentityPanel, 12, 8, 400, 244);
    Add(identity, L"BUTTON", L"Identité du patient", BS_GROUPBOX, kIdentityFrame, 0, 0, 400, 244);
    Label(identity, L"N° de dossier", 16, 30, 120);
    Edit(identity, kChartNumber, g_options.chart, 140, 26, 120);
    Label(identity, L"Nom", 16, 64, 120);
    Edit(identity, kLastName, g_options.last, 140, 60, 240);
    Label(identity, L"Prénom", 16, 98, 120);
    Edit(identity, kFirstName, g_options.first, 140, 94, 240);
    Label(identity, L"Date de naissance", 16, 132, 120);
    Edit(identity, kBirthDate, g_options.birth, 140, 128, 120);
    Label(identity, L"Civilité", 16, 166, 120);
    HWND civility =
        Add(identity, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kCivility, 140, 162, 160, 160);
    for (const wchar_t* item : {L"Madame", L"Monsieur", L"Enfant"}) {
        SendMessageW(civility, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    if (g_options.item >= 0) {
        const std::wstring item = PatternText(static_cast<size_t>(g_options.item));
        SendMessageW(civility, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(civility, CB_SETCURSEL, static_cast<WPARAM>(g_options.civility), 0);
    HWND active = Add(identity, L"BUTTON", L"Patient actif", BS_AUTOCHECKBOX | WS_TABSTOP, kActive, 140, 204, 200, 24);
    SendMessageW(active, BM_SETCHECK, g_options.active ? BST_CHECKED : BST_UNCHECKED, 0);

    HWND alerts = Panel(main, kAlertsPanel, 424, 8, 204, 244);
    Add(alerts, L"BUTTON", L"Alertes médicales", BS_GROUPBOX, kAlertsFrame, 0, 0, 204, 244);
    // A card and, over its middle, a later badge: the badge is what lies at the card's centre.
    Add(alerts, L"STATIC", L"", SS_ETCHEDFRAME, kAllergyCard, 12, 24, 180, 72);
    Label(alerts, L"Allergie : pénicilline", 20, 30, 164);
    Add(alerts, L"STATIC", L"À jour", SS_CENTER | WS_BORDER, kUpToDate, 70, 52, 64, 20);
    Label(alerts, L"Sous anticoagulants", 20, 74, 164);

    HWND notesPanel = Panel(top, kNotesPanel, 0, 296, 640, 104);
    Label(notesPanel, L"Notes", 12, 4, 100);
    const std::wstring notes = g_options.notes >= 0 ? PatternText(static_cast<size_t>(g_options.notes))
                                                    : L"Contrôle annuel, détartrage prévu.";
    HWND notesEdit = Add(notesPanel, L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, kNotes, 12,
                         24, 616, 72, WS_EX_CLIENTEDGE);
    SendMessageW(notesEdit, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(notesEdit, notes.c_str());

    HWND history = Panel(top, kHistoryPanel, 0, 400, 640, 40);
    Label(history, L"Historique des actes", 12, 10, 140);
    for (int i = 0; i < g_options.extra; ++i) {
        const std::wstring text = L"Acte " + std::to_wstring(i + 1);
        Add(history, L"STATIC", text.c_str(), SS_LEFT, kFirstExtra + i, 160 + (i % 6) * 80, 4 + (i / 6) * 20, 76, 18);
    }
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) LayOutChildren(hwnd, false);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TopProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        // A WinDev program handles Alt+letter itself: no menu loop here.
        case WM_SYSKEYDOWN: Record(L"WM_SYSKEYDOWN", wp, lp); return 0;
        case WM_SYSCHAR: Record(L"WM_SYSCHAR", wp, lp); return 0;
        case WM_SYSKEYUP: Record(L"WM_SYSKEYUP", wp, lp); return 0;
        case WM_KEYDOWN: Record(L"WM_KEYDOWN", wp, lp); return 0;
        case WM_KEYUP: Record(L"WM_KEYUP", wp, lp); return 0;
        case WM_COMMAND:
            if (lp == 0) Record(L"WM_COMMAND", wp, lp);
            return 0;
        case WM_SIZE: LayOutChildren(hwnd, true); return 0;
        case WM_TIMER:
            if (wp == kHangTimer) HangForever();
            return 0;
        case kHangNowMessage: ReplyMessage(0); HangForever();
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

bool ParsePair(const std::wstring& v, LONG& a, LONG& b) { return std::swscanf(v.c_str(), L"%ld,%ld", &a, &b) == 2; }

bool ParseOptions() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::wstring arg = argv[i];
        const size_t eq = arg.find(L'=');
        const std::wstring name = arg.substr(0, eq);
        const std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
        if (name == L"--class") g_options.className = value;
        else if (name == L"--title") g_options.title = value;
        else if (name == L"--chart") g_options.chart = value;
        else if (name == L"--last") g_options.last = value;
        else if (name == L"--first") g_options.first = value;
        else if (name == L"--birth") g_options.birth = value;
        else if (name == L"--civility") g_options.civility = _wtoi(value.c_str());
        else if (name == L"--item") g_options.item = _wtoi(value.c_str());
        else if (name == L"--active") g_options.active = _wtoi(value.c_str()) != 0;
        else if (name == L"--notes") g_options.notes = _wtoi(value.c_str());
        else if (name == L"--extra") g_options.extra = _wtoi(value.c_str());
        else if (name == L"--pos") ok = ParsePair(value, g_options.pos.x, g_options.pos.y);
        else if (name == L"--size") ok = ParsePair(value, g_options.size.cx, g_options.size.cy);
        else if (name == L"--record") g_options.record = value;
        else if (name == L"--hang") g_options.hangMs = _wtoi(value.c_str());
        else ok = false;
    }
    LocalFree(argv);
    return ok && !g_options.className.empty();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!ParseOptions()) return 2;
    if (g_options.title.empty()) {
        g_options.title = L"Dossier patient — " + g_options.last + L" " + g_options.first;
    }
    g_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    WNDCLASSW panel = {};
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = kPanelClass;
    RegisterClassW(&panel);

    WNDCLASSW top = panel;
    top.lpfnWndProc = TopProc;
    top.lpszClassName = g_options.className.c_str();
    if (!RegisterClassW(&top)) return 3;

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, g_options.size.cx, g_options.size.cy};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND hwnd =
        CreateWindowExW(0, top.lpszClassName, g_options.title.c_str(), style, g_options.pos.x, g_options.pos.y,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 4;
    BuildForm(hwnd);
    LayOutChildren(hwnd, true);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (g_options.hangMs >= 0) SetTimer(hwnd, kHangTimer, static_cast<UINT>(g_options.hangMs), nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
