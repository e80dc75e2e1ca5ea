// The diagnostic log's dump to VrbLog.Log.
#include <gtest/gtest.h>

#include "settings/diagnostic_log.h"
#include "settings/log_file.h"
#include "tests/win/support/win_test_support.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

std::wstring ExpectedLogPath() {
    wchar_t folder[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
    return std::wstring(folder) + L"\\VrbLog.Log";
}

std::vector<uint8_t> Utf16Le(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(c & 0xFF);
        bytes.push_back(c >> 8);
    }
    return bytes;
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(ExpectedLogPath().c_str());
        TheDiagnosticLog().Clear();
    }
    void TearDown() override { DeleteFileW(ExpectedLogPath().c_str()); }
};

TEST_F(LogFileTest, DumpIsRawUtf16WithoutByteOrderMark) {
    AppendLogLine(u"CryptString %s\r\n", {u"Y.1A2B3C4D"});
    AppendLogLine(u"DecryptString %s -> %s\r\n", {u"OO", u"É"});
    EXPECT_EQ(ToWide(LogFilePath()), ExpectedLogPath());
    ASSERT_EQ(WriteLogFile(), std::nullopt);
    const auto bytes = test::ReadFileBytes(ExpectedLogPath());
    EXPECT_EQ(bytes, Utf16Le(TheDiagnosticLog().Text()));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 'C');
    EXPECT_EQ(bytes[1], 0);
}

TEST_F(LogFileTest, EachDumpReplacesTheFileWhole) {
    AppendLogLine(u"CryptString %s\r\n", {std::u16string(5000, u'x')});
    ASSERT_EQ(WriteLogFile(), std::nullopt);
    TheDiagnosticLog().Clear();
    AppendLogLine(u"CryptString %s\r\n", {u"A"});
    ASSERT_EQ(WriteLogFile(), std::nullopt);
    EXPECT_EQ(test::ReadFileBytes(ExpectedLogPath()), Utf16Le(u"CryptString A\r\n"));
}

TEST_F(LogFileTest, LockedFileIsReportedWithItsPathAndTheLogKept) {
    AppendLogLine(u"CryptString %s\r\n", {u"Y.0"});
    const std::u16string before = TheDiagnosticLog().Text();
    UniqueFile holder(CreateFileW(ExpectedLogPath().c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(holder);
    const auto error = WriteLogFile();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(ToWide(error->path), ExpectedLogPath());
    EXPECT_EQ(error->code, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(TheDiagnosticLog().Text(), before);
}

}  // namespace
}  // namespace vorbel
