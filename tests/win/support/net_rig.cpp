#include "tests/win/support/net_rig.h"

#include <cstdlib>

#include "net/server_url.h"
#include "text/text.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel::test {
namespace {

std::string Env(const char* name, std::string& missing) {
    const char* v = std::getenv(name);
    if (!v || !*v) {
        missing += std::string(missing.empty() ? "" : ", ") + name;
        return "";
    }
    return v;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Names of the files (not folders) in a folder; none when it does not exist.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

// The whole lines of a log file; one being written stays out until its end comes.
std::vector<std::string> Lines(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : bytes) {
        if (b != '\n') {
            line.push_back(static_cast<char>(b));
        } else {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

}  // namespace

const NetRig& NetRig::Get() {
    static const NetRig rig = [] {
        NetRig r;
        r.dir_ = Wide(Env("VORBEL_TEST_NET_DIR", r.missing));
        r.ftpHost = Env("VORBEL_TEST_FTP_HOST", r.missing);
        r.ftpDownHost = Env("VORBEL_TEST_FTP_DOWN_HOST", r.missing);
        r.ftpSlowGreetingHost = Env("VORBEL_TEST_FTP_SLOW_GREETING_HOST", r.missing);
        r.ftpSlow5Host = Env("VORBEL_TEST_FTP_SLOW5_HOST", r.missing);
        r.ftpSlow7Host = Env("VORBEL_TEST_FTP_SLOW7_HOST", r.missing);
        r.httpsPort = std::atoi(Env("VORBEL_TEST_HTTPS_PORT", r.missing).c_str());
        r.untrustedPort = std::atoi(Env("VORBEL_TEST_UNTRUSTED_PORT", r.missing).c_str());
        r.hungPort = std::atoi(Env("VORBEL_TEST_HUNG_PORT", r.missing).c_str());
        r.closedPort = std::atoi(Env("VORBEL_TEST_CLOSED_PORT", r.missing).c_str());
        r.slowTlsPort = std::atoi(Env("VORBEL_TEST_SLOW_TLS_PORT", r.missing).c_str());
        if (!r.missing.empty()) r.missing = "run through ./test.sh, whose net rig sets " + r.missing;
        return r;
    }();
    return rig;
}

std::u16string NetRig::HttpsRoot(int port) { return u"https://localhost:" + DecimalText(port) + u"/"; }

std::u16string NetRig::HttpsPutFolder(int port, int status) {
    return HttpsRoot(port) + u"put/" + DecimalText(status) + u"/";
}

std::u16string NetRig::FtpUrl(const FtpAccount& a) const { return FtpUrl(a, ftpHost); }

std::u16string NetRig::FtpUrl(const FtpAccount& a, const std::string& host) {
    return Widen(std::string("ftp://") + a.user + ":" + a.password + "@" + host + "/");
}

void NetRig::ServeDocument(const std::string& text) const {
    WriteFileBytes(dir_ + L"\\www\\info\\weblinkbrevane.xml", text);
}

void NetRig::RemoveDocument() const { DeleteFileW((dir_ + L"\\www\\info\\weblinkbrevane.xml").c_str()); }

void NetRig::ServeAddresses(const std::u16string& prodUrl, const std::u16string& testUrl) const {
    ServeDocument(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<properties>\n"
        "  <property name=\"produrl\" value=\"" +
        ToUtf8(Encoded(prodUrl)) +
        "\"/>\n"
        "  <property name=\"testurl\" value=\"" +
        ToUtf8(Encoded(testUrl)) +
        "\"/>\n"
        "</properties>\n");
}

std::vector<std::string> NetRig::Requests() const { return Lines(dir_ + L"\\requests.log"); }

std::vector<std::string> NetRig::FtpCommands() const { return Lines(dir_ + L"\\ftp-commands.log"); }
std::vector<std::wstring> NetRig::FtpFiles(const FtpAccount& account) const {
    return FilesIn(dir_ + L"\\ftp\\" + account.folder);
}

std::wstring NetRig::FtpFile(const FtpAccount& account, const std::wstring& name) const {
    return dir_ + L"\\ftp\\" + account.folder + L"\\" + name;
}

void NetRig::ClearFtp() const {
    for (const FtpAccount* a : {&kProdAccount, &kTestAccount, &kReadOnlyAccount}) {
        for (const std::wstring& name : FtpFiles(*a)) DeleteFileW(FtpFile(*a, name).c_str());
    }
}

std::vector<std::wstring> NetRig::PutFiles() const { return FilesIn(dir_ + L"\\put"); }

std::wstring NetRig::PutFile(const std::wstring& name) const { return dir_ + L"\\put\\" + name; }

void NetRig::ClearPut() const {
    for (const std::wstring& name : PutFiles()) DeleteFileW(PutFile(name).c_str());
}

std::u16string Encoded(const std::u16string& url) { return EncodeServerUrl(url, 0x5A17).value(); }

}  // namespace vorbel::test
