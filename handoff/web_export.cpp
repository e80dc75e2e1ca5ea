#include "handoff/web_export.h"

#include <process.h>
#include <wininet.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "handoff/info_server.h"
#include "net/ftp_upload.h"
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
std::optional<std::u16string> LookUpEncodedAddress(Transfer& transfer, bool testMode) {
    TransferHandle connection(transfer, ConnectToUrl(transfer.Session(), InformationServerUrl()).release());
    if (!connection) return std::nullopt;
    TransferHandle request(transfer, HttpOpenRequestW(connection.get(), L"GET", kDocumentPath, nullptr, nullptr,
                                                      nullptr, kLookupFlags, 0));
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
// Once the patient went out, the longest its answer may take: the replies to STOR and to the
// data, each within 10 s.
constexpr DWORD kAnswerBoundMs = 30000;
constexpr wchar_t kProgressClass[] = L"VorbelWebExportProgress";
constexpr int kCancelId = IDCANCEL;

template <class Work>
unsigned __stdcall RunWork(void* heap) {
    const std::unique_ptr<Work> work(static_cast<Work*>(heap));
    (*work)();
    return 0;
}

// Starts work on a thread of its own, detached; false when no thread could be made. A system
// thread: std::thread brings winpthread into the program.
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
    std::shared_ptr<Transfer> transfer = std::make_shared<Transfer>();
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
// up, or the bound passes. False with nothing said when given up; at the bound, the message of a
// server that cannot be reached, unless the patient went out: its answer is then awaited.
bool UploadOffThisThread(HWND owner, std::u16string_view fileName, std::string_view bytes, bool testMode,
                         const WebExportHooks& hooks) {
    auto run = std::make_shared<UploadRun>();
    auto result = std::make_shared<bool>(false);
    if (!run->done || !run->transfer->GivenUpEvent()) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);
    WebExportHooks recorder;
    recorder.messageBox = [run](HWND, const std::u16string& text, const std::u16string& caption, UINT type) {
        SrwGuard g(run->lock);
        run->said.push_back({true, text, caption, type});
        return IDOK;
    };
    recorder.beep = [run](UINT type) {
        SrwGuard g(run->lock);
        run->said.push_back({false, {}, {}, type});
    };
    recorder.transfer = run->transfer;
    // Given up, the worker ends once its pending call returns; it holds all it uses.
    const bool started =
        StartDetached([run, result, recorder, name = std::u16string(fileName), data = std::string(bytes), testMode] {
            *result = UploadWebLinkFile(nullptr, name, data, testMode, recorder);
            SetEvent(run->done.get());
        });
    if (!started) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);

    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    HWND progress = ShowProgress(owner);
    ULONGLONG deadline = GetTickCount64() + kOverallBoundMs;
    bool answerAwaited = false, finished = false, boundPassed = false;
    const HANDLE done = run->done.get();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            // The patient on its way cannot be called back: what the server says of it is told.
            if (!answerAwaited && !run->transfer->GiveUp()) {
                answerAwaited = true;
                deadline += kAnswerBoundMs;
                continue;
            }
            boundPassed = true;
            break;
        }
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
            run->transfer->GiveUp();  // after the patient went out, only the wait is given up
            break;
        }
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (progress) DestroyWindow(progress);
    if (!finished) {
        // Given up, the worker ends with words of its own, which nobody hears. Past the bound,
        // either the patient never went out, or its answer never came: nothing is said then of a
        // file that may yet arrive.
        if (boundPassed && !answerAwaited) Tell(hooks, owner, kCannotContact);
        return false;
    }
    std::vector<UploadRun::Said> said;
    {
        SrwGuard g(run->lock);
        said = run->said;
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
    const std::shared_ptr<Transfer> transfer = hooks.transfer ? hooks.transfer : std::make_shared<Transfer>();
    if (!transfer->Session()) {
        Tell(hooks, owner, kNoSession);  // given up meanwhile, nobody hears it
        return false;
    }

    const std::optional<std::u16string> fresh = LookUpEncodedAddress(*transfer, testMode);
    const std::u16string address = RememberedAddress(fresh, testMode, hooks);
    std::u16string url = DecodeServerUrl(address);  // holds the account's password: scrubbed below
    const char16_t* failure = nullptr;
    // An https:// address takes the file by PUT, encrypted; any other goes by FTP as always.
    if (IsHttpsUrl(url)) {
        std::u16string object = HttpsUploadObject(url, fileName);
        TransferHandle connection(*transfer, ConnectToUrl(transfer->Session(), url).release());
        const PutOutcome put =
            connection ? HttpsPutBuffer(*transfer, connection.get(), object, bytes) : PutOutcome::NotReached;
        Scrub(object);
        if (put != PutOutcome::Stored) failure = put == PutOutcome::Refused ? kCannotStore : kCannotContact;
    } else {
        const UrlParts server(url);
        // An address that names no server cannot be reached; one on another port than 21 is an
        // HTTP one, which cannot take the upload.
        const FtpOutcome ftp = server.host.empty() ? FtpOutcome::NotReached
                               : server.ftp        ? FtpUpload(*transfer, server, fileName, bytes)
                                                   : FtpOutcome::Refused;
        if (ftp != FtpOutcome::Stored) failure = ftp == FtpOutcome::Refused ? kCannotStore : kCannotContact;
    }
    Scrub(url);
    if (failure) {
        Tell(hooks, owner, failure);
        return false;
    }
    hooks.beep(kSimpleBeep);
    return true;
}

}  // namespace vorbel
