// Stands in for an imaging program in the tests and the demo: a top-level window of class
// "WVXMAIN", like VixWin's, that records how it was started, shows the patient it was given
// (VixWin's "-I -N -P" or the switch arguments "/ID: /LN: /N:") and idles until WM_CLOSE.
//
// Environment, inherited from the test that caused the start:
//   VORBEL_STANDIN_RECORD    file that receives, in UTF-16LE, the lines pid=, show=, flags=,
//                            module= and last cmd= (the exact GetCommandLineW text, to the end);
//                            beside it, before it: <file>.args, the arguments as CommandLineToArgvW
//                            gives them, each ended by a zero unit, and <file>.bridge, a copy of the
//                            file named by the first argument "@path", as it was at the start
//   VORBEL_STANDIN_DELAY_MS  wait this long before the window exists and input is awaited
//   VORBEL_STANDIN_HANG      when set, never wait for input: a hung program
//   VORBEL_STANDIN_BROADCAST when set, first ask every top-level window "are you running?" with a
//                            sent message, as some imaging programs do while they start, and
//                            record how long the answers took (broadcastMs=, before cmd=)
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

// Written whole under a temporary name, then moved into place: a reader never sees half of it.
void WriteWhole(const std::wstring& path, const void* data, DWORD size) {
    const std::wstring temp = path + L".part";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void RecordArgumentsAndBridgeFile(const std::wstring& path) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return;
    std::wstring all;
    std::wstring bridge;
    for (int i = 0; i < argc; ++i) {
        all += argv[i];
        all += L'\0';
        if (i > 0 && bridge.empty() && argv[i][0] == L'@') bridge = argv[i] + 1;
    }
    LocalFree(argv);
    if (!bridge.empty()) {
        HANDLE file = CreateFileW(bridge.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string bytes(GetFileSize(file, nullptr), '\0');
            DWORD read = 0;
            ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
            CloseHandle(file);
            WriteWhole(path + L".bridge", bytes.data(), read);
        }
    }
    WriteWhole(path + L".args", all.data(), static_cast<DWORD>(all.size() * sizeof(wchar_t)));
}

void Record(const std::wstring& path, const std::wstring& extra) {
    RecordArgumentsAndBridgeFile(path);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring text = L"pid=" + std::to_wstring(GetCurrentProcessId()) + L"\r\nshow=" +
                              std::to_wstring(startup.wShowWindow) + L"\r\nflags=" + std::to_wstring(startup.dwFlags) +
                              L"\r\nmodule=" + module + L"\r\n" + extra + L"cmd=" + GetCommandLineW();
    WriteWhole(path, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

struct Received {
    std::wstring chart, last, first, folder, args;
};

// The arguments after the program name, as the imaging program would read them.
Received ParseArguments() {
    Received r;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return r;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const std::wstring next = i + 1 < argc ? argv[i + 1] : L"";
        if (!r.args.empty()) r.args += L' ';
        r.args += a;
        if (a == L"-I") r.chart = next;
        else if (a == L"-P") r.folder = next;
        else if (a == L"-N") {
            const size_t caret = next.find(L'^');
            r.last = next.substr(0, caret);
            if (caret != std::wstring::npos) r.first = next.substr(caret + 1);
        } else if (a.rfind(L"/ID:", 0) == 0) r.chart = a.substr(4);
        else if (a.rfind(L"/LN:", 0) == 0) r.last = a.substr(4);
        else if (a.rfind(L"/N:", 0) == 0) r.first = a.substr(3);
    }
    LocalFree(argv);
    return r;
}

HFONT g_font = nullptr;
HFONT g_bold = nullptr;

HWND AddText(HWND parent, const std::wstring& text, int x, int y, int w, int h, HFONT font, DWORD style = SS_LEFT) {
    HWND c = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | style, x, y, w, h,
                             parent, nullptr, nullptr, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

void ShowReceived(HWND window, const Received& r) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW lf = metrics.lfMessageFont;
    lf.lfHeight = -15;
    g_font = CreateFontIndirectW(&lf);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = -18;
    g_bold = CreateFontIndirectW(&lf);

    AddText(window, r.chart.empty() ? L"Aucun patient reçu" : L"Patient reçu de Vorbel", 16, 14, 448, 24, g_bold);
    const struct {
        const wchar_t* label;
        const std::wstring& value;
    } rows[] = {{L"Dossier", r.chart}, {L"Nom", r.last}, {L"Prénom", r.first}, {L"Dossier d'images", r.folder}};
    int y = 50;
    for (const auto& row : rows) {
        AddText(window, row.label, 16, y, 150, 22, g_font);
        AddText(window, row.value.empty() ? L"—" : row.value, 170, y, 294, 22, g_font,
                SS_LEFT | SS_SUNKEN | SS_ENDELLIPSIS | SS_CENTERIMAGE);
        y += 30;
    }
    AddText(window, L"Ligne de commande reçue :", 16, y + 6, 448, 20, g_font);
    HWND args = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", r.args.c_str(),
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 16, y + 28, 448,
                                46, window, nullptr, nullptr, nullptr);
    SendMessageW(args, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
}

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    std::wstring extra;
    if (!Env(L"VORBEL_STANDIN_BROADCAST").empty()) {
        const UINT question = RegisterWindowMessageW(L"VorbelStandInAreYouRunning");
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(HWND_BROADCAST, question, 0, 0, SMTO_BLOCK, 60000, &answer);
        extra = L"broadcastMs=" + std::to_wstring(GetTickCount64() - start) + L"\r\n";
    }
    const std::wstring record = Env(L"VORBEL_STANDIN_RECORD");
    if (!record.empty()) Record(record, extra);
    if (!Env(L"VORBEL_STANDIN_HANG").empty()) {
        for (;;) Sleep(INFINITE);
    }
    const std::wstring delay = Env(L"VORBEL_STANDIN_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"WVXMAIN";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    RECT frame = {0, 0, 480, 290};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window =
        CreateWindowExW(0, wc.lpszClassName, L"Imagerie (test)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    ShowReceived(window, ParseArguments());
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
