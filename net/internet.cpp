#include "net/internet.h"

#include <vector>

#include "net/transfer.h"
#include "net/upload_url.h"
#include "net/user_agent.h"
#include "win/version_info.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr DWORD kTimeoutMs = 10000;

// Fresh, uncached, no redirect, cookie or dialog; never an INTERNET_FLAG_IGNORE_CERT_* flag.
// Authentication stays allowed: the address may carry the account of the upload folder.
constexpr DWORD kUploadFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                               INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT |
                               INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;

bool IsHttpConnection(HINTERNET connection) {
    DWORD type = 0, size = sizeof(type);
    return InternetQueryOptionW(connection, INTERNET_OPTION_HANDLE_TYPE, &type, &size) &&
           type == INTERNET_HANDLE_TYPE_CONNECT_HTTP;
}

// The extended version record; its size is part of how GetVersionExW is asked.
static_assert(sizeof(OSVERSIONINFOEXW) == 284);

UserAgentFields SystemUserAgentFields() {
    UserAgentFields f;
    const OwnFileVersion version = GetOwnFileVersion();
    f.fileVersionMS = version.mostSignificant;
    f.fileVersionLS = version.leastSignificant;
    OSVERSIONINFOEXW os = {};
    os.dwOSVersionInfoSize = sizeof(os);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&os))) {
        f.nt = os.dwPlatformId == VER_PLATFORM_WIN32_NT;
        f.major = os.dwMajorVersion;
        f.minor = os.dwMinorVersion;
        f.build = os.dwBuildNumber;
        f.servicePack = U(os.szCSDVersion, wcsnlen(os.szCSDVersion, std::size(os.szCSDVersion)));
        f.productType = os.wProductType;
        f.suiteMask = os.wSuiteMask;
    }
    f.productName = GetOwnVersionString(u"ProductName");
    f.moduleName = GetOwnModuleName();
    return f;
}

// A zero-filled buffer of `size` characters for one part of a split URL.
struct UrlPart {
    explicit UrlPart(DWORD size) : text(size, L'\0') {}
    ~UrlPart() { SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t)); }  // may hold a password
    const wchar_t* OrNull() const { return text[0] ? text.data() : nullptr; }
    std::vector<wchar_t> text;
};

}  // namespace

UniqueInternet OpenInternetSession() {
    const std::u16string agent = FormatUserAgent(SystemUserAgentFields());
    return UniqueInternet(InternetOpenW(W(agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

void SetInternetTimeouts(HINTERNET handle) {
    DWORD timeout = kTimeoutMs, retries = 1;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
}

UrlParts::~UrlParts() {
    for (std::wstring* part : {&user, &password}) SecureZeroMemory(part->data(), part->size() * sizeof(wchar_t));
}

UrlParts::UrlParts(std::u16string_view url) {
    UrlPart schemePart(32), hostPart(256), userPart(128), passwordPart(128), pathPart(2084), extraPart(2048);
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszScheme = schemePart.text.data();
    parts.dwSchemeLength = schemePart.text.size();
    parts.lpszHostName = hostPart.text.data();
    parts.dwHostNameLength = hostPart.text.size();
    parts.lpszUserName = userPart.text.data();
    parts.dwUserNameLength = userPart.text.size();
    parts.lpszPassword = passwordPart.text.data();
    parts.dwPasswordLength = passwordPart.text.size();
    parts.lpszUrlPath = pathPart.text.data();
    parts.dwUrlPathLength = pathPart.text.size();
    parts.lpszExtraInfo = extraPart.text.data();
    parts.dwExtraInfoLength = extraPart.text.size();
    std::wstring text = ToWide(url);
    // Not tested: a URL that does not split leaves empty parts and port 0, and the connection
    // attempt then fails on its own.
    InternetCrackUrlW(text.c_str(), 0, 0, &parts);
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    for (UrlPart* p : {&schemePart, &hostPart, &userPart, &passwordPart, &pathPart, &extraPart}) p->text.back() = L'\0';
    host = hostPart.text.data();
    user = userPart.text.data();
    password = passwordPart.text.data();
    port = parts.nPort;
    ftp = parts.nPort == INTERNET_DEFAULT_FTP_PORT && !IsHttpsUrl(url);
}

UniqueInternet ConnectToUrl(HINTERNET session, std::u16string_view url) {
    const UrlParts parts(url);
    const auto orNull = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
    return UniqueInternet(InternetConnectW(
        session, parts.host.c_str(), parts.port, orNull(parts.user), orNull(parts.password),
        parts.ftp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP, parts.ftp ? INTERNET_FLAG_PASSIVE : 0, 0));
}

std::string ReadAllAvailable(HINTERNET handle) {
    std::string data;
    const ULONGLONG start = GetTickCount64();
    DWORD amount = 0;
    while (InternetQueryDataAvailable(handle, &amount, 0, 0) && amount > 0) {
        if (amount > kMaxResponseBytes - data.size()) amount = static_cast<DWORD>(kMaxResponseBytes - data.size());
        const size_t at = data.size();
        data.resize(at + amount);
        DWORD got = 0;
        const bool read = InternetReadFile(handle, data.data() + at, amount, &got);
        data.resize(at + (read ? got : 0));
        if (!read || got == 0 || data.size() >= kMaxResponseBytes || GetTickCount64() - start >= kMaxResponseMs) break;
    }
    return data;
}

PutOutcome HttpsPutBuffer(Transfer& transfer, HINTERNET connection, std::u16string_view object,
                          std::string_view bytes) {
    if (!IsHttpConnection(connection)) return PutOutcome::NotReached;
    const std::u16string name(object);
    TransferHandle request(transfer,
                           HttpOpenRequestW(connection, L"PUT", W(name), nullptr, nullptr, nullptr, kUploadFlags, 0));
    if (!request) return PutOutcome::NotReached;
    SetInternetTimeouts(request.get());  // Wine bounds sending and receiving only here
    static constexpr wchar_t kHeaders[] = L"Content-Type: text/csv; charset=ISO-8859-1\r\n";
    INTERNET_BUFFERSW head = {};
    head.dwStructSize = sizeof(head);
    head.lpcszHeader = kHeaders;
    head.dwHeadersLength = static_cast<DWORD>(std::size(kHeaders) - 1);
    head.dwBufferTotal = static_cast<DWORD>(bytes.size());
    if (!HttpSendRequestExW(request.get(), &head, nullptr, 0, 0)) return PutOutcome::NotReached;
    // The body is the patient. Wine 8 ends the call above only once it is done, even when the
    // export was given up meanwhile: the body then never follows.
    if (!transfer.Commit()) return PutOutcome::NotReached;
    DWORD written = 0;
    if (!InternetWriteFile(request.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written) ||
        written != bytes.size() || !HttpEndRequestW(request.get(), nullptr, 0, 0)) {
        return PutOutcome::NotReached;
    }
    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        return PutOutcome::Refused;
    }
    return status >= 200 && status < 300 ? PutOutcome::Stored : PutOutcome::Refused;
}

}  // namespace vorbel
