// winsock2.h before anything that brings windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ftp_upload.h"

#include <string>

#include "net/internet.h"
#include "net/transfer.h"
#include "win/scoped.h"

namespace vorbel {
namespace {

constexpr DWORD kWaitMs = 10000;
constexpr size_t kMaxLineBytes = 8192;

class Winsock {
public:
    Winsock() {
        WSADATA data;
        ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (ok_) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
    explicit operator bool() const { return ok_; }

private:
    bool ok_ = false;
};

// One TCP connection of the transfer: every wait ends when it is given up, and nothing is sent
// once it is.
class Link {
public:
    explicit Link(Transfer& transfer) : transfer_(transfer), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Link() { Close(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool Connect(const sockaddr_in& to) {
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET || !event_ ||
            WSAEventSelect(socket_, event_.get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) {
            return false;
        }
        bool started = false;
        if (!transfer_.SendUnlessGivenUp([&] {
                started = connect(socket_, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0 ||
                          WSAGetLastError() == WSAEWOULDBLOCK;
            })) {
            return false;
        }
        WSANETWORKEVENTS happened;
        return started && Wait(FD_CONNECT, GetTickCount64() + kWaitMs, happened) &&
               (happened.lNetworkEvents & FD_CONNECT) && happened.iErrorCode[FD_CONNECT_BIT] == 0;
    }

    bool Send(std::string_view bytes) {
        const ULONGLONG deadline = GetTickCount64() + kWaitMs;
        while (!bytes.empty()) {
            int sent = SOCKET_ERROR;
            bool blocked = false;
            if (!transfer_.SendUnlessGivenUp([&] {
                    sent = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
                    blocked = sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
                })) {
                return false;
            }
            WSANETWORKEVENTS happened;
            if (sent > 0) bytes.remove_prefix(static_cast<size_t>(sent));
            else if (!blocked || !Wait(FD_WRITE, deadline, happened)) return false;
        }
        return true;
    }

    // Appends what comes next. False at the connection's end, on an error, at the deadline or
    // once given up.
    bool Receive(std::string& into, ULONGLONG deadline) {
        char buffer[2048];
        for (;;) {
            const int got = recv(socket_, buffer, sizeof(buffer), 0);
            if (got > 0) {
                into.append(buffer, static_cast<size_t>(got));
                return true;
            }
            WSANETWORKEVENTS happened;
            if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK || !Wait(FD_READ, deadline, happened)) return false;
        }
    }

    // The end of what we send: after the file's bytes, the server takes it as whole.
    void EndSending() { shutdown(socket_, SD_SEND); }

    // Reset rather than ended when given up or cut off: a server never takes a cut-off transfer
    // for a whole one.
    void Close(bool cutOff = false) {
        if (socket_ == INVALID_SOCKET) return;
        if (cutOff || transfer_.GivenUp()) {
            const linger reset = {1, 0};
            setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
        }
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    // Until one of `events`, or the end of the connection, happens.
    bool Wait(long events, ULONGLONG deadline, WSANETWORKEVENTS& happened) {
        const HANDLE handles[] = {transfer_.GivenUpEvent(), event_.get()};
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline ||
                WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0 + 1) {
                return false;
            }
            happened = {};
            if (WSAEnumNetworkEvents(socket_, event_.get(), &happened) != 0) return false;
            if (happened.lNetworkEvents & (events | FD_CLOSE)) return true;
        }
    }

    Transfer& transfer_;
    SOCKET socket_ = INVALID_SOCKET;
    UniqueHandle event_;
};

struct Reply {
    int code = 0;      // 0: none came (end, error, time-out, given up) or not an FTP reply
    std::string text;  // its last line
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The control connection: commands, and replies of one line ("227 text") or several ("220-..."
// up to "220 text").
class Control {
public:
    explicit Control(Transfer& transfer) : link(transfer) {}

    Reply Read() {
        const ULONGLONG deadline = GetTickCount64() + kWaitMs;
        std::string first;  // the code of a reply of several lines
        for (;;) {
            const size_t end = pending_.find('\n');
            if (end == std::string::npos) {
                if (pending_.size() > kMaxLineBytes || !link.Receive(pending_, deadline)) return {};
                continue;
            }
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const bool numbered = line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
            const bool last = numbered && (line.size() == 3 || line[3] == ' ');
            if (first.empty()) {
                if (numbered && line.size() > 3 && line[3] == '-') {
                    first = line.substr(0, 3);
                    continue;
                }
                if (!last) return {};
            } else if (!last || line.compare(0, 3, first) != 0) {
                continue;
            }
            return {(line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0'), line};
        }
    }

    Reply Command(const std::string& line) { return link.Send(line + "\r\n") ? Read() : Reply{}; }

    Link link;

private:
    std::string pending_;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the port, or 0. The address is not used: the
// data connection goes to the server the control connection reached, never elsewhere.
int PassivePort(const Reply& reply) {
    if (reply.code != 227) return 0;
    const std::string& t = reply.text;
    for (size_t start = 3; start < t.size(); ++start) {
        if (!IsDigit(t[start]) || IsDigit(t[start - 1])) continue;
        int numbers[6] = {};
        size_t i = start;
        int n = 0;
        for (; n < 6 && i < t.size() && IsDigit(t[i]); ++n) {
            int value = 0;
            for (int digits = 0; i < t.size() && IsDigit(t[i]) && digits < 3; ++i, ++digits)
                value = value * 10 + (t[i] - '0');
            if (value > 255 || (n < 5 && (i >= t.size() || t[i] != ','))) break;
            numbers[n] = value;
            if (n < 5) ++i;
        }
        if (n == 6) return numbers[4] * 256 + numbers[5];
    }
    return 0;
}

// Text as WinINet sends it on the control connection: in the ANSI code page.
std::string Ansi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// A line break in a command's argument would end the command and send the rest as another.
bool HoldsControlCharacter(const std::string& s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) < 0x20) return true;
    }
    return false;
}

class ScrubbedString {
public:
    explicit ScrubbedString(std::string s) : s_(std::move(s)) {}
    ~ScrubbedString() { SecureZeroMemory(s_.data(), s_.size()); }
    ScrubbedString(const ScrubbedString&) = delete;
    ScrubbedString& operator=(const ScrubbedString&) = delete;
    std::string& get() { return s_; }

private:
    std::string s_;
};

bool Resolve(const std::wstring& host, sockaddr_in& address) {
    ADDRINFOW hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* found = nullptr;
    if (host.empty() || GetAddrInfoW(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    FreeAddrInfoW(found);
    return true;
}

}  // namespace

FtpOutcome FtpUpload(Transfer& transfer, const UrlParts& server, std::u16string_view remoteName,
                     std::string_view bytes) {
    ScrubbedString user(server.user.empty() ? "anonymous" : Ansi(server.user));
    ScrubbedString pass("PASS " + (server.user.empty() ? std::string("anonymous@") : Ansi(server.password)));
    std::string name = Ansi(std::wstring(remoteName.begin(), remoteName.end()));
    for (char& c : name) c = static_cast<unsigned char>(c) < 0x20 ? '_' : c;
    const Winsock winsock;
    sockaddr_in address = {};
    if (HoldsControlCharacter(user.get()) || HoldsControlCharacter(pass.get()) || !winsock ||
        !Resolve(server.host, address)) {
        return FtpOutcome::NotReached;
    }
    address.sin_port = htons(server.port);

    Control control(transfer);
    if (!control.link.Connect(address)) return FtpOutcome::NotReached;
    Reply reply = control.Read();
    while (reply.code >= 100 && reply.code < 200) reply = control.Read();  // "120 ready in a moment"
    if (reply.code != 220) return FtpOutcome::NotReached;
    reply = control.Command("USER " + user.get());
    if (reply.code == 331) reply = control.Command(pass.get());
    if (reply.code != 230 && reply.code != 202) return FtpOutcome::NotReached;

    if (control.Command("TYPE I").code != 200) return FtpOutcome::Refused;
    const int port = PassivePort(control.Command("PASV"));
    if (port <= 0) return FtpOutcome::Refused;
    Link data(transfer);
    sockaddr_in dataAddress = address;
    dataAddress.sin_port = htons(static_cast<u_short>(port));
    if (!data.Connect(dataAddress)) return FtpOutcome::Refused;

    // STOR makes the file on the server: from here on the whole file goes, and its outcome is told.
    if (!transfer.Commit()) return FtpOutcome::NotReached;
    reply = control.Command("STOR " + name);
    if (reply.code != 125 && reply.code != 150) return FtpOutcome::Refused;
    const bool whole = data.Send(bytes);
    if (whole) data.EndSending();
    data.Close(!whole);
    if (!whole) return FtpOutcome::Refused;
    // Once the file went out whole, only a refusal says it was not stored (WinINet, too, counts a
    // missing "226" as success).
    if (control.Read().code >= 400) return FtpOutcome::Refused;
    control.link.Send("QUIT\r\n");
    return FtpOutcome::Stored;
}

}  // namespace vorbel
