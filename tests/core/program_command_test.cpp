#include "handoff/program_command.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "text/text.h"

namespace vorbel {
namespace {

// --- The program setting ---

struct SettingCase {
    std::u16string setting;
    std::optional<std::u16string> written;  // nullopt: names no file
    std::u16string path;
    std::u16string arguments;
};

class ProgramSettingTest : public ::testing::TestWithParam<SettingCase> {};

// The files of a test machine; a candidate that is one resolves to itself in upper case, as a
// full path stands for what was written.
TEST_P(ProgramSettingTest, SplitOnceFromTheSettingAndNeverSearchedFurther) {
    const std::set<std::u16string> files = {u"C:\\Program.exe", u"C:\\Program Files\\Img\\img.exe",
                                            u"C:\\Sidexis\\sidexis.exe", u"C:\\img\\rview.exe", u"C:\\img\\start.bat"};
    std::vector<std::u16string> asked;
    const auto resolve = [&](std::u16string_view candidate) -> std::optional<std::u16string> {
        asked.emplace_back(candidate);
        if (!files.count(std::u16string(candidate))) return std::nullopt;
        return u"FULL:" + std::u16string(candidate);
    };
    const SettingCase& c = GetParam();
    const auto split = SplitProgramSetting(c.setting, resolve);
    ASSERT_EQ(split.has_value(), c.written.has_value()) << ToUtf8(c.setting);
    if (!split) return;
    EXPECT_EQ(ToUtf8(split->written), ToUtf8(*c.written));
    EXPECT_EQ(ToUtf8(split->path), ToUtf8(u"FULL:" + c.path));
    EXPECT_EQ(ToUtf8(split->arguments), ToUtf8(c.arguments));
}

INSTANTIATE_TEST_SUITE_P(
    All, ProgramSettingTest,
    ::testing::Values(SettingCase{u"C:\\Program Files\\Img\\img.exe", u"C:\\Program Files\\Img\\img.exe",
                                  u"C:\\Program Files\\Img\\img.exe", u""},
                      // The longest part first: C:\Program.exe exists but is not what the setting names.
                      SettingCase{u"C:\\Program Files\\Img\\img.exe -x 1", u"C:\\Program Files\\Img\\img.exe",
                                  u"C:\\Program Files\\Img\\img.exe", u" -x 1"},
                      SettingCase{u"C:\\Sidexis\\sidexis.exe /NOSPLASH", u"C:\\Sidexis\\sidexis.exe",
                                  u"C:\\Sidexis\\sidexis.exe", u" /NOSPLASH"},
                      SettingCase{u"\"C:\\Program Files\\Img\\img.exe\" /a", u"\"C:\\Program Files\\Img\\img.exe\"",
                                  u"C:\\Program Files\\Img\\img.exe", u" /a"},
                      SettingCase{u"C:\\img\\rview", u"C:\\img\\rview", u"C:\\img\\rview.exe", u""},
                      SettingCase{u"C:\\img\\rview -p", std::nullopt, u"", u""},
                      SettingCase{u"C:\\img\\start.bat", u"C:\\img\\start.bat", u"C:\\img\\start.bat", u""},
                      // A program that is not there: C:\Program.exe is not taken for it.
                      SettingCase{u"C:\\Program Files\\RadioView\\rview.exe", std::nullopt, u"", u""},
                      SettingCase{u"\"C:\\absent.exe\" C:\\img\\rview.exe", std::nullopt, u"", u""},
                      SettingCase{u"", std::nullopt, u"", u""}));

TEST(ProgramSetting, AMissingProgramIsNeverLookedForInTheArguments) {
    std::vector<std::u16string> asked;
    const auto resolve = [&](std::u16string_view candidate) -> std::optional<std::u16string> {
        asked.emplace_back(candidate);
        return std::nullopt;
    };
    EXPECT_FALSE(SplitProgramSetting(u"\"C:\\Program Files\\x.exe\" C:\\evil.exe", resolve));
    for (const auto& candidate : asked) EXPECT_EQ(candidate.find(u"evil"), std::u16string::npos) << ToUtf8(candidate);
}

// --- Batch files ---

TEST(BatchFile, KnownByItsExtensionAsWindowsReadsIt) {
    for (const char16_t* yes : {u"C:\\img\\start.bat", u"C:\\img\\START.CMD", u"x.Bat. . ", u"a.cmd..."})
        EXPECT_TRUE(IsBatchFile(yes)) << ToUtf8(yes);
    for (const char16_t* no : {u"C:\\img\\start.exe", u"C:\\bat", u"x.bat.exe", u"x.batx", u""})
        EXPECT_FALSE(IsBatchFile(no)) << ToUtf8(no);
}

struct BatchCase {
    std::u16string argument;
    std::u16string quoted;
};

class BatchArgumentTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchArgumentTest, QuotedSoThatCmdRunsNothingAndExpandsNothing) {
    EXPECT_EQ(ToUtf8(QuoteBatchArgument(GetParam().argument)), ToUtf8(GetParam().quoted));
}

INSTANTIATE_TEST_SUITE_P(All, BatchArgumentTest,
                         ::testing::Values(BatchCase{u"4217", u"4217"}, BatchCase{u"/ID:C:\\x-1.2", u"/ID:C:\\x-1.2"},
                                           BatchCase{u"", u"\"\""},
                                           BatchCase{u"X&echo>C:\\x.txt", u"\"X&echo>C:\\x.txt\""},
                                           BatchCase{u"A\" & calc & \"B", u"\"A\"\" & calc & \"\"B\""},
                                           BatchCase{u"%PATH%", u"\"%%cd:~,%PATH%%cd:~,%\""},
                                           BatchCase{u"a|b^c<d", u"\"a|b^c<d\""},
                                           BatchCase{u"C:\\tmp\\", u"\"C:\\tmp\\\\\""},
                                           BatchCase{u"x\\\"y", u"\"x\\\\\"\"y\""}, BatchCase{u"!VAR!", u"\"!VAR!\""},
                                           BatchCase{u"ÉLISE", u"ÉLISE"}, BatchCase{u"a\x1b", u"\"a\x1b\""}));

TEST(BatchFile, TheCommandLineRunsTheScriptThroughCmdAndRefusesWhatCannotBeCarried) {
    EXPECT_EQ(ToUtf8(*BuildBatchCommandLine(u"C:\\img dir\\start.bat", {u"-name", u"X&echo", u""})),
              "cmd.exe /e:ON /v:OFF /d /c \"\"C:\\img dir\\start.bat\" -name \"X&echo\" \"\"\"");
    for (const std::u16string& bad :
         {std::u16string(u"L1\r\nL2"), std::u16string(u"a\nb"), std::u16string(u"a\rb"), std::u16string(u"a\0b", 3)})
        EXPECT_FALSE(BuildBatchCommandLine(u"C:\\img\\start.bat", {u"ok", bad})) << ToUtf8(bad);
    EXPECT_FALSE(BuildBatchCommandLine(u"C:\\img\\start.bat", {std::u16string(kCmdLineLimit, u'a')}));
    EXPECT_TRUE(BuildBatchCommandLine(u"C:\\img\\start.bat", {std::u16string(kCmdLineLimit - 60, u'a')}));
}

TEST(CommandLineArguments, SplitByTheCRuntimesRules) {
    const std::vector<std::u16string> expected = {u"/ID:12\" /ID:\"99", u"a b", u"C:\\", u"x\\\\y", u""};
    EXPECT_EQ(SplitCommandLineArguments(u" /ID:\"12\\\" /ID:\\\"99\" \"a b\"\t\"C:\\\\\" x\\\\y \"\""), expected);
}

}  // namespace
}  // namespace vorbel
