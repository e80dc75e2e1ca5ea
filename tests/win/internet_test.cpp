// The internet helpers against real servers on loopback: HTTPS with a certificate of the test
// CA, FTP in passive mode on port 21 (tests/rig/net_servers.py).
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "net/ftp_upload.h"
#include "net/internet.h"
#include "net/transfer.h"
#include "win/version_info.h"
#include "text/text.h"
#include "tests/win/support/net_rig.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {

// Found by GoogleTest beside the type.
void PrintTo(FtpOutcome o, std::ostream* os) {
    *os << (o == FtpOutcome::Stored ? "Stored" : o == FtpOutcome::Refused ? "Refused" : "NotReached");
}

namespace {

using test::NetRig;

// The test program carries a version resource of its own (test_version.rc).
TEST(VersionInfo, ComesFromTheProgramsOwnResource) {
    EXPECT_FALSE(LoadOwnVersionInfo().empty());
    const OwnFileVersion version = GetOwnFileVersion();
    EXPECT_EQ(version.mostSignificant, 0x00020001u);
    EXPECT_EQ(version.leastSignificant, 0x00070000u);
    EXPECT_EQ(GetOwnVersionString(u"ProductName"), u"VorbelTests");
    EXPECT_EQ(GetOwnVersionString(u"CompanyName"), u"") << "absent in the resource";
    EXPECT_EQ(GetOwnModuleName(), u"vorbel_win_tests");
}

class InternetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(rig.missing, "");
        rig.ClearFtp();
        session = OpenInternetSession();
        ASSERT_TRUE(session);
        SetInternetTimeouts(session.get());
    }
    void TearDown() override { rig.ClearFtp(); }

    static DWORD HandleType(HINTERNET h) {
        DWORD type = 0, size = sizeof(type);
        InternetQueryOptionW(h, INTERNET_OPTION_HANDLE_TYPE, &type, &size);
        return type;
    }

    // GET of the document, as the export asks for it.
    std::string Fetch(int port) {
        UniqueInternet connection = ConnectToUrl(session.get(), NetRig::HttpsRoot(port));
        if (!connection) return "(no connection)";
        UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET", L"info/weblinkbrevane.xml", nullptr, nullptr,
                                                nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE, 0));
        if (!request) return "(no request)";
        SetInternetTimeouts(request.get());
        if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
            return "(not sent: " + std::to_string(GetLastError()) + ")";
        }
        return ReadAllAvailable(request.get());
    }

    const NetRig& rig = NetRig::Get();
    UniqueInternet session;
};

TEST_F(InternetTest, ReadsTheWholeDocumentOverHttpsAndNamesItself) {
    std::string document = "<properties>";
    while (document.size() < 20000) document += "<property name=\"x\" value=\"0123456789\"/>\n";
    rig.ServeDocument(document);
    const size_t before = rig.Requests().size();
    EXPECT_EQ(Fetch(rig.httpsPort), document) << "several reads, nothing lost or added";

    const auto requests = rig.Requests();
    ASSERT_EQ(requests.size(), before + 1);
    const std::string& line = requests.back();
    EXPECT_TRUE(line.rfind("trusted\t/info/weblinkbrevane.xml\t", 0) == 0) << line;
    const std::string agent = line.substr(line.rfind('\t') + 1);
    static const std::regex kAgent(
        R"(VorbelTests/2\.1 \(Windows( NT)? \d+\.\d+ Build \d+ [^)]* [0-9A-F]{4}/[0-9A-F]{2,}\) )"
        R"(vorbel_win_tests/2\.1\.7\.0 vorbel_win_tests)");
    EXPECT_TRUE(std::regex_match(agent, kAgent)) << agent;
}

TEST_F(InternetTest, ReadAllAvailableStopsAtItsBound) {
    rig.ServeDocument("");
    EXPECT_EQ(Fetch(rig.httpsPort), "") << "an empty body reads as nothing";

    std::string huge(3 * kMaxResponseBytes, 'x');
    for (size_t i = 0; i < huge.size(); i += 997) huge[i] = static_cast<char>('a' + i % 26);
    rig.ServeDocument(huge);
    EXPECT_EQ(Fetch(rig.httpsPort), huge.substr(0, kMaxResponseBytes));
}

TEST_F(InternetTest, ConnectToUrlChoosesTheServiceByPortAndScheme) {
    const std::string host = rig.ftpHost;
    const std::string account = std::string(test::kProdAccount.user) + ":" + test::kProdAccount.password + "@";
    const struct {
        std::string url;
        DWORD type;  // 0: no connection
    } cases[] = {
        {"ftp://" + account + host + "/", INTERNET_HANDLE_TYPE_CONNECT_FTP},
        {"http://" + account + host + ":21/x/y", INTERNET_HANDLE_TYPE_CONNECT_FTP},
        {"ftp://" + host + "/", INTERNET_HANDLE_TYPE_CONNECT_FTP},  // anonymous
        {"ftp://" + account + host + ":2121/", INTERNET_HANDLE_TYPE_CONNECT_HTTP},
        {"https://localhost:" + std::to_string(rig.httpsPort) + "/", INTERNET_HANDLE_TYPE_CONNECT_HTTP},
        {"https://" + account + host + ":21/", INTERNET_HANDLE_TYPE_CONNECT_HTTP},  // HTTPS on any port
        {"ftp://vorbel:wrong@" + host + "/", 0},
        {"ftp://" + account + rig.ftpDownHost + "/", 0},
    };
    for (const auto& c : cases) {
        UniqueInternet connection = ConnectToUrl(session.get(), Widen(c.url));
        EXPECT_EQ(connection ? HandleType(connection.get()) : 0, c.type) << c.url;
    }
}

TEST_F(InternetTest, FtpUploadStoresTheBytesAsTheyAre) {
    Transfer transfer;
    const UrlParts server(rig.FtpUrl(test::kProdAccount));
    std::string bytes;
    for (int i = 0; i < 512; ++i) bytes.push_back(static_cast<char>(i));  // CR, LF, zeros: binary
    ASSERT_EQ(FtpUpload(transfer, server, u"CAB1_Lyon_20140305141516.csv", bytes), FtpOutcome::Stored);
    const std::wstring stored = rig.FtpFile(test::kProdAccount, L"CAB1_Lyon_20140305141516.csv");
    EXPECT_EQ(test::ReadFileBytes(stored), std::vector<uint8_t>(bytes.begin(), bytes.end()));

    // Two exports in the same second: the later one replaces the file.
    ASSERT_EQ(FtpUpload(transfer, server, u"CAB1_Lyon_20140305141516.csv", "second"), FtpOutcome::Stored);
    EXPECT_EQ(test::ReadFileBytes(stored), std::vector<uint8_t>({'s', 'e', 'c', 'o', 'n', 'd'}));
}

TEST_F(InternetTest, FtpUploadFailsWhereNothingCanBeStored) {
    const struct {
        std::u16string url;
        FtpOutcome outcome;
    } cases[] = {
        {rig.FtpUrl(test::kReadOnlyAccount), FtpOutcome::Refused},  // logged in, the file refused
        {u"ftp://vorbel:wrong@" + Widen(rig.ftpHost) + u"/", FtpOutcome::NotReached},
        {rig.FtpUrl(test::kProdAccount, rig.ftpDownHost), FtpOutcome::NotReached},
    };
    for (const auto& c : cases) {
        Transfer transfer;
        EXPECT_EQ(FtpUpload(transfer, UrlParts(c.url), u"x.csv", "data"), c.outcome) << ToUtf8(c.url);
    }
    EXPECT_TRUE(rig.FtpFiles(test::kReadOnlyAccount).empty());
    EXPECT_TRUE(rig.FtpFiles(test::kProdAccount).empty());
}

}  // namespace
}  // namespace vorbel
