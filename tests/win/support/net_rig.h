// The loopback servers that test.sh starts for the web export (tests/rig/net_servers.py), as
// the tests see them through the environment and drive Z:.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorbel::test {

struct FtpAccount {
    const char* user;
    const char* password;
    const wchar_t* folder;  // under <dir>\ftp
};
// As tests/rig/net_servers.py defines them.
inline constexpr FtpAccount kProdAccount{"vorbel", "Depot-2014", L"prod"};
inline constexpr FtpAccount kTestAccount{"vorbeltest", "Essai-2014", L"test"};
inline constexpr FtpAccount kReadOnlyAccount{"lecteur", "Lecture-2014", L"readonly"};

class NetRig {
public:
    // Empty `missing` when every address is known; the tests fail with it otherwise.
    static const NetRig& Get();
    std::string missing;

    std::string ftpHost, ftpDownHost;
    // The slow FTP servers, with the same accounts: one greets late, the others answer every
    // command 5 or 7 s late.
    std::string ftpSlowGreetingHost, ftpSlow5Host, ftpSlow7Host;
    int httpsPort = 0, untrustedPort = 0, hungPort = 0, closedPort = 0;
    int slowTlsPort = 0;  // begins each TLS handshake late

    // "https://localhost:<port>/"
    static std::u16string HttpsRoot(int port);
    // "https://localhost:<port>/put/<status>/": the HTTPS servers answer a PUT below it with
    // that status, and store the body when it is a 2xx one.
    static std::u16string HttpsPutFolder(int port, int status);
    // "ftp://user:password@<host>/", on the FTP server or the one at `host`.
    std::u16string FtpUrl(const FtpAccount& account) const;
    static std::u16string FtpUrl(const FtpAccount& account, const std::string& host);

    // The document every HTTPS server serves, and its removal (a 404 page then).
    void ServeDocument(const std::string& text) const;
    void RemoveDocument() const;
    // Document with both properties holding the codes of these URLs.
    void ServeAddresses(const std::u16string& prodUrl, const std::u16string& testUrl) const;
    // Lines "<server>\t<path>\t<user agent>" of the requests so far.
    std::vector<std::string> Requests() const;
    // Lines "<server>\t<command>" of what the slow FTP servers received so far.
    std::vector<std::string> FtpCommands() const;
    // Names of the files in an account's folder, and their removal.
    std::vector<std::wstring> FtpFiles(const FtpAccount& account) const;
    std::wstring FtpFile(const FtpAccount& account, const std::wstring& name) const;
    void ClearFtp() const;
    // Names of the files stored by PUT, and their removal.
    std::vector<std::wstring> PutFiles() const;
    std::wstring PutFile(const std::wstring& name) const;
    void ClearPut() const;

private:
    std::wstring dir_;
};

// The code the information server publishes for a URL (fixed key: the tests compare codes).
std::u16string Encoded(const std::u16string& url);

}  // namespace vorbel::test
