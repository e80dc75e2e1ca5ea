#include "settings/diagnostic_log.h"

#include <gtest/gtest.h>

namespace vorbel {
namespace {

TEST(DiagnosticLog, TrimKeepsTheHeadOnlyAboveTheThreshold) {
    for (auto [size, after] : {std::pair<size_t, size_t>{20480, 20480}, {20481, 10240}, {100, 100}}) {
        DiagnosticLog log;
        std::u16string text;
        for (size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
        log.Append(text);
        log.Trim();
        EXPECT_EQ(log.Text(), text.substr(0, after)) << size;
    }
}

TEST(DiagnosticLog, LinesAppendAfterTheKeptHead) {
    DiagnosticLog log;
    log.Append(std::u16string(20481, u'x'));
    log.Trim();
    log.Append(u"CryptString Y.0\r\n");
    EXPECT_EQ(log.Text().size(), 10240u + 17u);
    EXPECT_EQ(log.Text().substr(10240), u"CryptString Y.0\r\n");
}

TEST(DiagnosticLog, FormatTakesWideStringArguments) {
    EXPECT_EQ(FormatLogLine(u"DecryptString %s -> %s\r\n", {u"5T", u"A"}), u"DecryptString 5T -> A\r\n");
    EXPECT_EQ(FormatLogLine(u"DecryptString %s -> %s\r\n", {u"", u""}), u"DecryptString  -> \r\n");
    // A value holding a percent sign is inserted as it stands, never re-read as a format.
    EXPECT_EQ(FormatLogLine(u"CryptString %s\r\n", {u"100%s%%"}), u"CryptString 100%s%%\r\n");
    EXPECT_EQ(FormatLogLine(u"%s and %s", {u"one"}), u"one and ");
}

}  // namespace
}  // namespace vorbel
