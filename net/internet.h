// A small synchronous HTTP client over WinINet, for the web export. Every function reports
// failure by a null handle, an empty result or false, and never shows anything itself.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "win/scoped.h"

namespace vorbel {

class Transfer;

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { InternetCloseHandle(h); }
};
using UniqueInternet = Scoped<InternetHandleTraits>;

// A synchronous session with the system's proxy settings and our user agent.
UniqueInternet OpenInternetSession();

// Connect, receive and send bounded to 10 s, one connection attempt. Wine honours the receive
// and send bounds only on a request handle, so callers set them on theirs too.
void SetInternetTimeouts(HINTERNET handle);

// A URL split as WinINet splits it (the password at the last ":"); its path is not used. The
// password is scrubbed with it.
struct UrlParts {
    explicit UrlParts(std::u16string_view url);
    UrlParts(const UrlParts&) = delete;
    UrlParts& operator=(const UrlParts&) = delete;
    ~UrlParts();

    std::wstring host, user, password;
    INTERNET_PORT port = 0;
    bool ftp = false;  // port 21 and not https://: an FTP server; any other URL is an HTTP one
};

// An HTTP connection (which contacts nobody yet) for an https:// URL or any other URL on a port
// other than 21; an FTP connection in passive mode (which logs in at once) otherwise. User name
// and password are passed only when the URL has them.
UniqueInternet ConnectToUrl(HINTERNET session, std::u16string_view url);

// Everything the request or file handle delivers, up to a bound in size and time so that a
// server that never stops cannot hold the caller. Empty when nothing could be read.
inline constexpr size_t kMaxResponseBytes = 64 * 1024;
inline constexpr DWORD kMaxResponseMs = 30000;
std::string ReadAllAvailable(HINTERNET handle);

enum class PutOutcome {
    Stored,      // a 2xx status
    Refused,     // the server answered with any other status
    NotReached,  // no answer: connection, certificate, time-out, or not an HTTP connection
};

// PUT of the bytes to the object (path and query) over TLS, the certificate validated as always,
// with the time-outs of SetInternetTimeouts. The request goes first, then the bytes, only if the
// transfer commits to them: given up meanwhile, the server gets no body.
PutOutcome HttpsPutBuffer(Transfer& transfer, HINTERNET connection, std::u16string_view object, std::string_view bytes);

}  // namespace vorbel
