#include "handoff/web_export.h"

#include <process.h>
#include <wininet.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "handoff/info_server.h"
#include "net/internet.h"
#include "net/server_url.h"
#include "net/upload_url.h"
#include "settings/policy_registry.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr char16_t kInternetCaption[] = u"Internet";
constexpr char16_t kNotConnected[] = u"Vous devez d'abord vous connecter \u00e0 Internet.";
constexpr char16_t kNoSession[] = u"Impossible d'ouvrir une session Internet.";
constexpr char16_t kCannotContact[] = u"Impossible de contacter le site Web.";
constexpr char16_t kCannotStore[] = u"Impossible d'obtenir les informations.";
constexpr char16_t kTooLong[] =
    u"Les informations du patient sont trop longues pour \u00eatre envoy\u00e9es sur le site Web.";

constexpr wchar_t kDocumentPath[] = L"info/weblinkbrevane.xml";
// Fresh, uncached, no redirect, cookie, authentication or dialog; certificates are checked as
// always (no flag of the INTERNET_FLAG_IGNORE_CERT_* family, ever).
constexpr DWORD kLookupFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                               INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT |
                               INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI;
static_assert(kLookupFlags == 0x84ec0200);

constexpr UINT kSimpleBeep = 0xFFFFFFFF;

void Tell(const WebExportHooks& hooks, HWND owner, const char16_t* text) {
    hooks.messageBox(owner, text, kInternetCaption, MB_ICONINFORMATION | MB_OK);
}

// The address published for this mode, or nothing when the server, the request or the
// document fails us in any way.
std::optional<std::u16string> LookUpEncodedAddress(HINTERNET session, bool testMode) {
    UniqueInternet connection = ConnectToUrl(session, InformationServerUrl());
    if (!connection) return std::nullopt;
    UniqueInternet request(
        HttpOpenRequestW(connection.get(), L"GET", kDocumentPath, nullptr, nullptr, nullptr, kLookupFlags, 0));
    if (!request) return std::nullopt;
    SetInternetTimeouts(request.get());  // Wine bounds receiving only here
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;
    // The status is not looked at: an error page simply holds no address.
    return FindEncodedAddress(ReadAllAvailable(request.get()), testMode);
}

// Stores a fresh address, or reads the remembered one when there is none.
std::u16string RememberedAddress(const std::optional<std::u16string>& fresh, bool testMode,
                                 const WebExportHooks& hooks) {
    const wchar_t* value = testMode ? L"TU" : L"PU";
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRememberedAddressKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return fresh.value_or(u"");
    }
    if (fresh) {
        hooks.beep(kSimpleBeep);
        RegSetValueExW(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(fresh->c_str()),
                       static_cast<DWORD>((fresh->size() + 1) * sizeof(char16_t)));
        return *fresh;
    }
    wchar_t stored[kMaxEncodedAddress + 1] = {};
    DWORD type = 0, size = sizeof(stored);
    // Longer than any address we store, or not a string: edited by hand, and not used.
    if (RegQueryValueExW(key.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return u"";
    }
    return U(stored, wcsnlen(stored, size / sizeof(wchar_t)));
}

void Scrub(std::u16string& secret) {
    SecureZeroMemory(secret.data(), secret.size() * sizeof(char16_t));
    secret.clear();
}

// The lookup and the upload run on a worker: WinINet may wait a minute or more for a server
// that never answers, and the button's thread must keep answering meanwhile. What the worker
// would say is kept, and said on this thread once it is done, in the same order.
constexpr DWORD kOverallBoundMs = 30000;
constexpr wchar_t kProgressClass[] = L"VorbelWebExportProgress";
constexpr int kCancelId = IDCANCEL;

// The worker and its lock are the system's own: std::thread and std::mutex bring winpthread and
// the library's error classes into the program (about 50 KB).
class Guard {
public:
    explicit Guard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Guard() { ReleaseSRWLockExclusive(&lock_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    SRWLOCK& lock_;
};

template <class Work>
unsigned __stdcall RunWork(void* heap) {
    const std::unique_ptr<Work> work(static_cast<Work*>(heap));
    (*work)();
    return 0;
}

// Starts work on a thread of its own, detached; false when no thread could be made.
template <class Work>
bool StartDetached(Work work) {
    auto heap = std::make_unique<Work>(std::move(work));
    const uintptr_t thread = _beginthreadex(nullptr, 0, RunWork<Work>, heap.get(), 0, nullptr);
    if (thread == 0) return false;
    heap.release();
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

struct UploadRun {
    SRWLOCK lock = SRWLOCK_INIT;
    struct Said {
        bool box;
        std::u16string text, caption;
        UINT type;
    };
    std::vector<Said> said;
    bool cancelled = false;
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

LRESULT CALLBACK ProgressProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == kCancelId) {
        SetWindowLongPtrW(w, GWLP_USERDATA, 1);
        return 0;
    }
    if (msg == WM_CLOSE) {
        SetWindowLongPtrW(w, GWLP_USERDATA, 1);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

// A small window over the confirmation: the export is under way, and "Annuler" gives it up.
HWND ShowProgress(HWND owner) {
    static const ATOM registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ProgressProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kProgressClass;
        return RegisterClassExW(&wc);
    }();
    if (!registered) return nullptr;
    RECT r = {0, 0, 320, 90};
    if (owner) GetWindowRect(owner, &r);
    const int x = (r.left + r.right) / 2 - 160, y = (r.top + r.bottom) / 2 - 45;
    HWND w = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kProgressClass, L"Internet",
                             WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, 320, 110, owner, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!w) return nullptr;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND text = CreateWindowExW(0, L"STATIC", L"Envoi du patient au site Web\u2026", WS_CHILD | WS_VISIBLE, 12, 12, 290,
                                20, w, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND cancel = CreateWindowExW(0, L"BUTTON", L"Annuler", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 220,
                                  44, 84, 24, w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
                                  GetModuleHandleW(nullptr), nullptr);
    for (HWND c : {text, cancel}) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
}

// Runs the upload on a worker, pumping this thread's messages until it ends, the user gives it
// up, or the overall bound passes. False with nothing said when given up; on the bound, the
// message of a server that cannot be reached.
bool UploadOffThisThread(HWND owner, std::u16string_view fileName, std::string_view bytes, bool testMode,
                         const WebExportHooks& hooks) {
    auto run = std::make_shared<UploadRun>();
    auto result = std::make_shared<bool>(false);
    if (!run->done) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);
    WebExportHooks recorder;
    recorder.messageBox = [run](HWND, const std::u16string& text, const std::u16string& caption, UINT type) {
        Guard g(run->lock);
        run->said.push_back({true, text, caption, type});
        return IDOK;
    };
    recorder.beep = [run](UINT type) {
        Guard g(run->lock);
        run->said.push_back({false, {}, {}, type});
    };
    recorder.cancelled = [run] {
        Guard g(run->lock);
        return run->cancelled;
    };
    // Given up, the worker ends on its own when WinINet gives up; it holds all it uses.
    const bool started =
        StartDetached([run, result, recorder, name = std::u16string(fileName), data = std::string(bytes), testMode] {
            *result = UploadWebLinkFile(nullptr, name, data, testMode, recorder);
            SetEvent(run->done.get());
        });
    if (!started) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);

    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    HWND progress = ShowProgress(owner);
    const ULONGLONG deadline = GetTickCount64() + kOverallBoundMs;
    bool finished = false, givenUp = false;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const HANDLE done = run->done.get();
        const DWORD w = MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (w == WAIT_OBJECT_0) {
            finished = true;
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (progress && IsDialogMessageW(progress, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (progress && GetWindowLongPtrW(progress, GWLP_USERDATA) != 0) {
            givenUp = true;
            break;
        }
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (progress) DestroyWindow(progress);
    std::vector<UploadRun::Said> said;
    {
        Guard g(run->lock);
        run->cancelled = !finished;
        if (finished) said = run->said;
    }
    if (!finished) {
        if (!givenUp) Tell(hooks, owner, kCannotContact);
        return false;
    }
    for (const auto& s : said) {
        if (s.box) hooks.messageBox(owner, s.text, s.caption, s.type);
        else hooks.beep(s.type);
    }
    return *result;
}

}  // namespace

std::u16string InformationServerUrl() {
    const Policy policy = CurrentPolicy(PolicyId::InfoServer);
    if (const std::u16string* fixed = policy.Value(PolicyId::InfoServer)) return *fixed;
    std::u16string url = RegistryProfile().GetString(kInfoServerEntry);
    return url.empty() ? U(kDefaultInfoServer) : url;
}

void ExportPatientToWeb(HWND owner, uint32_t settingsKey, const WebExportPatient& patient) {
    ExportPatientToWeb(owner, settingsKey, patient, WebExportHooks{});
}

void ExportPatientToWeb(HWND owner, uint32_t settingsKey, const WebExportPatient& patient,
                        const WebExportHooks& hooks) {
    const std::string bytes = ToLatin1(WebLinkCsvText(patient));
    if (bytes.size() > kMaxWebLinkBytes) {
        Tell(hooks, owner, kTooLong);
        return;
    }
    const std::u16string siteLabel = ReadSetting(Setting::SiteLabel, settingsKey);
    const std::u16string siteComputerName = ReadSetting(Setting::SiteComputerName, settingsKey);
    SYSTEMTIME t = {};
    GetLocalTime(&t);
    const std::u16string fileName =
        WebLinkFileName(siteComputerName, siteLabel, {{t.wDay, t.wMonth, t.wYear}, t.wHour, t.wMinute, t.wSecond});
    const bool testMode = ReadFtpTestMode() != 0;
    if (testMode) hooks.messageBox(owner, u"Environnement de test !", u"WARNING", MB_ICONEXCLAMATION | MB_OK);
    UploadOffThisThread(owner, fileName, bytes, testMode, hooks);
}

bool UploadWebLinkFile(HWND owner, std::u16string_view fileName, std::string_view bytes, bool testMode,
                       const WebExportHooks& hooks) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    DWORD state = 0;
    if (!InternetGetConnectedState(&state, 0) || (state & INTERNET_CONNECTION_OFFLINE)) {
        Tell(hooks, owner, kNotConnected);
        return false;
    }
    UniqueInternet session = OpenInternetSession();
    if (!session) {
        Tell(hooks, owner, kNoSession);
        return false;
    }
    SetInternetTimeouts(session.get());

    const std::optional<std::u16string> fresh = LookUpEncodedAddress(session.get(), testMode);
    const std::u16string address = RememberedAddress(fresh, testMode, hooks);
    std::u16string url = DecodeServerUrl(address);  // holds the account's password: scrubbed below
    // An https:// address takes the file by PUT, encrypted; any other goes by FTP as always.
    const bool https = IsHttpsUrl(url);
    std::u16string object = https ? HttpsUploadObject(url, fileName) : std::u16string();
    // Given up meanwhile: the file is not sent after the user was told it was not.
    if (hooks.cancelled && hooks.cancelled()) {
        Scrub(url);
        Scrub(object);
        return false;
    }
    UniqueInternet connection = ConnectToUrl(session.get(), url);
    Scrub(url);
    if (!connection) {
        Scrub(object);
        Tell(hooks, owner, kCannotContact);
        return false;
    }
    if (https) {
        const PutOutcome put = HttpsPutBuffer(connection.get(), object, bytes);
        Scrub(object);
        if (put != PutOutcome::Stored) {
            Tell(hooks, owner, put == PutOutcome::NotReached ? kCannotContact : kCannotStore);
            return false;
        }
    } else if (!FtpPutBuffer(connection.get(), fileName, bytes)) {
        Tell(hooks, owner, kCannotStore);
        return false;
    }
    connection.reset();
    session.reset();
    hooks.beep(kSimpleBeep);
    return true;
}

}  // namespace vorbel
