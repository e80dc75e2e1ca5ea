#include "handoff/web_export.h"

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
#include "win/bounded_worker.h"
#include "win/progress_window.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr char16_t kInternetCaption[] = u"Internet";
constexpr char16_t kNotConnected[] = u"Vous devez d'abord vous connecter à Internet.";
constexpr char16_t kNoSession[] = u"Impossible d'ouvrir une session Internet.";
constexpr char16_t kCannotContact[] = u"Impossible de contacter le site Web.";
constexpr char16_t kCannotStore[] = u"Impossible d'obtenir les informations.";
constexpr char16_t kTooLong[] = u"Les informations du patient sont trop longues pour être envoyées sur le site Web.";

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
constexpr char16_t kSending[] = u"Envoi du patient au site Web…";

struct UploadRun {
    SRWLOCK lock = SRWLOCK_INIT;
    struct Said {
        bool box;
        std::u16string text, caption;
        UINT type;
    };
    std::vector<Said> said;
    std::shared_ptr<Transfer> transfer = std::make_shared<Transfer>();
    bool stored = false;
};

// Runs the upload on a worker while a progress window over `owner` says so, until it ends, the
// user gives it up, or the bound passes. False with nothing said when given up; at the bound,
// the message of a server that cannot be reached, unless the patient went out: its answer is
// then awaited.
bool UploadOffThisThread(HWND owner, std::u16string_view fileName, std::string_view bytes, bool testMode,
                         const WebExportHooks& hooks) {
    auto run = std::make_shared<UploadRun>();
    if (!run->transfer->GivenUpEvent()) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);
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
    BoundedWorker worker;
    const bool started = worker.Start(
        [run, recorder, name = std::u16string(fileName), data = std::string(bytes), testMode](const WorkerStop&) {
            run->stored = UploadWebLinkFile(nullptr, name, data, testMode, recorder);
        },
        GetTickCount64() + kOverallBoundMs);
    if (!started) return UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);

    bool answerAwaited = false;
    const WaitEnd end = WaitWithProgress(worker, owner, kInternetCaption, kSending, [&](ULONGLONG bound) -> ULONGLONG {
        // The patient on its way cannot be called back: what the server says of it is told.
        if (answerAwaited || run->transfer->GiveUp()) return 0;
        answerAwaited = true;
        return bound + kAnswerBoundMs;
    });
    if (end == WaitEnd::Cancelled) run->transfer->GiveUp();  // after the patient went out, only the wait
    if (end != WaitEnd::Done) {
        // Given up, the worker ends with words of its own, which nobody hears. Past the bound,
        // either the patient never went out, or its answer never came: nothing is said then of a
        // file that may yet arrive.
        if (end == WaitEnd::Deadline && !answerAwaited) Tell(hooks, owner, kCannotContact);
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
    return run->stored;
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
