#include "app/launch_button.h"

#include <commctrl.h>

#include <algorithm>

#include "app/button_monitors.h"
#include "app/captured_patient.h"
#include "app/handed_request.h"
#include "app/imaging_window.h"
#include "app/request_lock.h"
#include "resources/resource.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "setup/setup_launcher.h"
#include "win/dpi.h"
#include "win/icon_sides.h"
#include "win/foreign_message.h"
#include "win/error_beep.h"
#include "win/message_box.h"
#include "win/scoped.h"
#include "win/system_dll.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr DWORD kPauseAfterLinkMs = 2000;
constexpr UINT_PTR kPauseTimer = 1;
// The exit sign follows the imaging program within this, while the button sits still.
constexpr UINT_PTR kExitSignTimer = 2;
constexpr DWORD kExitSignPeriodMs = 500;

// An elevated button still takes the requests of the practice program and of a later instance
// that are not: exactly these two messages pass the filter. The call is missing before Windows 7.
void LetRequestsThrough(HWND button) {
    using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto allow = SystemDllFunction<Filter>("user32.dll", "ChangeWindowMessageFilterEx");
    if (!allow) return;
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
    allow(button, WM_VORBEL_HANDOFF, kAllow, nullptr);
    allow(button, WM_VORBEL_REMOTE, kAllow, nullptr);
}

void MoveTo(HWND w, const ButtonRect& r) {
    SetWindowPos(w, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system dialog class under our own name, so the button behaves as any dialog.
void RegisterButtonClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, MAKEINTATOM(0x8002), &wc)) return;  // WC_DIALOG
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kButtonClass;
    RegisterClassExW(&wc);
}

// The common controls load with the first dialog that has controls: the button at rest, a later
// instance and a link without confirmation do without them (bench/run.sh shows what each stage
// loads).
void LoadCommonControls() { InitCommonControls(); }

}  // namespace

CLaunchButton::CLaunchButton()
    : Dialog(IDD_VORBEL),
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORBEL), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0))) {
    RegisterButtonClass();
}

CLaunchButton::~CLaunchButton() {
    if (icon_) DestroyIcon(icon_);
}

ButtonSize CLaunchButton::WindowSizeForClient(int clientAt96) const {
    return ButtonWindowSize(hwnd(), clientAt96, DpiOfWindow(hwnd()));
}

bool CLaunchButton::OnInitDialog() {
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    RestoreRect();
    ShowWindow(hwnd(), SW_SHOW);
    // A later instance finds the running one by this title (and the class); practice programs
    // by the title alone.
    LetRequestsThrough(hwnd());
    SetWindowTextW(hwnd(), kButtonTitle);
    UpdateExitSign();
    SetTimer(hwnd(), kExitSignTimer, kExitSignPeriodMs, nullptr);
    if (!pendingCommandLine.empty()) PostMessageW(hwnd(), WM_VORBEL_HANDOFF, 0, 0);
    return true;
}

void CLaunchButton::RestoreRect() {
    const uint32_t key = GetMachineKey();
    const std::optional<std::u16string> stored = ReadStoredSetting(Setting::WindowRect, key);
    // R holds screen pixels on its own monitor: a scale change on the way there must not resize it.
    placing_ = true;
    if (!stored) {
        // Created on the primary monitor, so sized at its scale.
        const ButtonSize size = WindowSizeForClient(kDefaultClient);
        MoveWindow(hwnd(), 0, 0, size.cx, size.cy, TRUE);
        CenterOnWorkArea();
    } else if (const auto r = PlaceStoredRect(ParseButtonRect(*stored), PresentMonitors(hwnd()))) {
        MoveTo(hwnd(), *r);
    } else {
        CenterOnWorkArea();
    }
    placing_ = false;
}

void CLaunchButton::StoreRect() {
    const uint32_t key = GetMachineKey();
    RECT r;
    GetWindowRect(hwnd(), &r);
    WriteSetting(Setting::WindowRect, key, FormatButtonRect({r.left, r.top, r.right, r.bottom}));
}

bool CLaunchButton::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    switch (msg) {
        case WM_PAINT: Paint(); return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (!GetCapture()) SetCapture(hwnd());
            return false;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            // Only the release of the button that took the capture acts.
            if (GetCapture() == hwnd()) {
                ReleaseCapture();
                On(msg == WM_LBUTTONUP ? LinkEvent::Click : LinkEvent::SetupOpened);
            }
            return false;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            const ButtonSize smallest = WindowSizeForClient(kSmallestClient);
            const ButtonSize largest = WindowSizeForClient(kLargestClient);
            info->ptMinTrackSize = {smallest.cx, smallest.cy};
            info->ptMaxTrackSize = {largest.cx, largest.cy};
            info->ptMaxSize = {largest.cx, largest.cy};
            return true;
        }
        case WM_WINDOWPOSCHANGING:
            // The dialog manager shows the button the first time its queue runs empty, which can
            // come after a link or Setup ran from the very first message: stay hidden meanwhile.
            if (hidden_) reinterpret_cast<WINDOWPOS*>(lp)->flags &= ~SWP_SHOWWINDOW;
            return false;
        case WM_SIZE:
        case WM_SIZING: InvalidateRect(hwnd(), nullptr, TRUE); return false;
        case WM_MOVING: {
            auto* r = reinterpret_cast<RECT*>(lp);
            *r = ToRect(KeepOnItsMonitor(FromRect(*r), PresentMonitors(hwnd())));
            result = TRUE;
            return true;
        }
        case WM_DPICHANGED:
            if (!placing_) MoveTo(hwnd(), FromRect(*reinterpret_cast<const RECT*>(lp)));
            InvalidateRect(hwnd(), nullptr, TRUE);
            result = 0;
            return true;
        case WM_DISPLAYCHANGE: {
            RECT now;
            GetWindowRect(hwnd(), &now);
            if (const auto back = BringBackOnScreen(FromRect(now), PresentMonitors(hwnd()))) MoveTo(hwnd(), *back);
            return false;
        }
        case WM_DESTROY:
            KillTimer(hwnd(), kExitSignTimer);
            KillTimer(hwnd(), kPauseTimer);
            DropRequests();
            StoreRect();
            return false;
        case WM_CLOSE:
            // At once, not by the IDCANCEL that the dialog manager would post: a request that
            // comes meanwhile must find the button closing.
            End(IDCANCEL);
            result = 0;
            return true;
        case WM_ENDSESSION:
            // The session ends: so does the button, before the system ends its process.
            if (wp) End(IDCANCEL);
            result = 0;
            return true;
        case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(icon_); return true;
        case WM_VORBEL_HANDOFF: result = OnRequest(); return true;
        case WM_VORBEL_REMOTE:
            if (lp == WM_LBUTTONUP) On(LinkEvent::RemoteClick);
            else if (lp == WM_RBUTTONUP) On(LinkEvent::RemoteMenu);
            return true;
        case WM_TIMER:
            if (wp == kPauseTimer) {
                KillTimer(hwnd(), kPauseTimer);
                // At rest before it shows: a click on the shown button must find it free. A request
                // that waited runs first, and its own pause shows the button.
                On(LinkEvent::LinkEnded);
                if (states_.state() == LinkState::Idle) {
                    Show();
                    UpdateExitSign();
                    InvalidateRect(hwnd(), nullptr, TRUE);
                }
            } else if (wp == kExitSignTimer) {
                UpdateExitSign();
            }
            return true;
        case WM_COMMAND:
            if (LOWORD(wp) == ID_VORBEL_SETUP) {
                On(LinkEvent::SetupOpened);
                return true;
            }
            if (LOWORD(wp) == ID_VORBEL_QUIT) {
                PostMessageW(hwnd(), WM_CLOSE, 0, 0);
                return true;
            }
            return false;
        default: return false;
    }
}

void CLaunchButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    if (IsIconic(hwnd())) {
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                 (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
        EndPaint(hwnd(), &ps);
        return;
    }
    const int w = client.right, h = client.bottom;
    int iconId = IDI_VORBEL, side = std::max(w, h);
    if (exitMode_) {
        if (exitSign_) iconId = IDI_VORBEL_EXIT;
        side = ExitModeIconSize(w, h, static_cast<int>(DpiOfWindow(hwnd())));
    }
    // An image of its own size, never one the system would blow up from a smaller one.
    HMODULE self = GetModuleHandleW(nullptr);
    const int load = SmallestSideAtLeast(IconImageSides(self, iconId), side);
    UniqueIcon icon(
        static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(iconId), IMAGE_ICON, load, load, LR_DEFAULTCOLOR)));
    if (icon) {
        SetStretchBltMode(dc, COLORONCOLOR);
        DrawIconEx(dc, 0, 0, icon.get(), w, h, 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), DI_NORMAL);
    }
    EndPaint(hwnd(), &ps);
}

void CLaunchButton::UpdateExitSign() {
    const uint32_t key = GetMachineKey();
    const bool exitMode = ReadSettingInt(Setting::ExitMode, key) != 0;
    const bool sign = exitMode && FindOpenImagingProgram(ReadSettingInt(Setting::ImagingTarget, key), key).window;
    if (exitMode == exitMode_ && sign == exitSign_) return;
    exitMode_ = exitMode;
    exitSign_ = sign;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CLaunchButton::Hide() {
    hidden_ = true;
    ShowWindow(hwnd(), SW_HIDE);
}

void CLaunchButton::Show() {
    hidden_ = false;
    ShowWindow(hwnd(), SW_SHOW);
}

void CLaunchButton::On(LinkEvent event) {
    switch (states_.On(event)) {
        case LinkAction::None: break;
        case LinkAction::Beep: ErrorBeep(); break;
        case LinkAction::RunLink: RunLinkAction(); break;
        case LinkAction::HandOff: OnHandOff(); break;
        case LinkAction::OpenSetup: OpenSetup(); break;
        case LinkAction::ShowMenu: ShowContextMenu(); break;
    }
}

void CLaunchButton::RunConfirmation(const std::u16string& commandLine) {
    Hide();
    RunPatientLink(hwnd(), commandLine);
    // The button stays hidden a moment, then the link ends (WM_TIMER).
    SetTimer(hwnd(), kPauseTimer, kPauseAfterLinkMs, nullptr);
}

LRESULT CLaunchButton::OnRequest() {
    // Closing: the later instance takes its request back and ends with its failure.
    if (ending_) return 0;
    // Sent by a later instance, which waits for this answer and no longer: never for the link.
    // Taken before the answer: a later instance told "received" finds "CmdLine" already empty.
    const bool sent = InSendMessage() != FALSE;
    {
        RequestLock lock;
        RegistryProfile profile;
        std::u16string taken = TakeHandedRequest(profile);
        if (!taken.empty()) receivedRequest_ = std::move(taken);
    }
    if (sent) ReplyMessage(kRequestReceived);
    // A sent message comes in through any wait of this thread, a link's too: the link it asks
    // for runs from the dialog's loop, as a posted request's does.
    if (sent) PostMessageW(hwnd(), WM_VORBEL_HANDOFF, 0, 0);
    else On(LinkEvent::LaterInstance);
    return kRequestReceived;
}

void CLaunchButton::End(INT_PTR result) {
    DropRequests();
    EndDialog(result);
}

void CLaunchButton::DropRequests() {
    ending_ = true;
    pendingCommandLine.clear();
    receivedRequest_.clear();
    // Also what was left without its message yet: no later button may take it.
    RequestLock lock;
    RegistryProfile profile;
    DropWaitingRequest(profile);
}

void CLaunchButton::OnHandOff() {
    // The start-up command line first; else what a later instance left.
    std::u16string commandLine = std::move(pendingCommandLine);
    pendingCommandLine.clear();
    if (commandLine.empty()) {
        commandLine = std::move(receivedRequest_);
        receivedRequest_.clear();
    }
    if (commandLine.empty()) {
        On(LinkEvent::LinkEnded);
        return;
    }
    RunConfirmation(commandLine);
}

void CLaunchButton::RunLinkAction() {
    const uint32_t key = GetMachineKey();
    const int target = ReadSettingInt(Setting::ImagingTarget, key);
    if (target == -1) {
        ErrorBeep();
        On(LinkEvent::LinkEnded);
        return;
    }
    if (ReadSettingInt(Setting::ExitMode, key) != 0) {
        const ImagingWindowLookup open = FindOpenImagingProgram(target, key);
        if (target == 1 && open.keyError != ERROR_SUCCESS) {
            wchar_t* text = nullptr;
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(open.keyError), 0, reinterpret_cast<wchar_t*>(&text), 0,
                           nullptr);
            // The system's own text: it names the registry fault better than a sentence of ours could.
            ShowMessage(hwnd(), U(text), kErrorCaption, MB_OK);
            LocalFree(text);
        } else if (open.window) {
            // Bounded: an imaging program that stopped answering must not freeze the button.
            SendToForeignWindow(open.window, WM_CLOSE, 0, 0);
            UpdateExitSign();
            On(LinkEvent::LinkEnded);
            return;
        }
    }
    RunConfirmation(u"");
}

void CLaunchButton::OpenSetup() {
    Hide();
    LoadCommonControls();
    RunSetupDialog(hwnd());
    Show();
    // Exit mode or the target may have changed.
    UpdateExitSign();
    On(LinkEvent::SetupClosed);
}

void CLaunchButton::ShowContextMenu() {
    POINT at;
    GetCursorPos(&at);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_VORBEL_SETUP, L"Setup");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_VORBEL_QUIT, L"Quitter");
    // Without the foreground, a click elsewhere would not dismiss the menu.
    SetForegroundWindow(hwnd());
    TrackPopupMenu(menu, TPM_CENTERALIGN, at.x, at.y, 0, hwnd(), nullptr);
    // A menu tracked for a tool window closes on the next click elsewhere only once its owner
    // has received a message after TrackPopupMenu returned.
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    DestroyMenu(menu);
    On(LinkEvent::BoxClosed);
}

}  // namespace vorbel
