#include "handoff/web_export.h"

#include <wininet.h>

#include <optional>

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
    UploadWebLinkFile(owner, fileName, bytes, testMode, hooks);
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
