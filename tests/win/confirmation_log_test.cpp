// The confirmation dialog, run in-process, and the diagnostic log it keeps bounded.
#include <gtest/gtest.h>

#include "app/confirmation_dialog.h"
#include "settings/diagnostic_log.h"
#include "text/text.h"
#include "tests/win/support/beep_watch.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/ui_driver.h"

namespace vorbel {
namespace {

class ConfirmationLogTest : public test::SetupRegistryTest {};

// Units that show where they stood: a cut anywhere else than at 10,240 would show.
std::u16string Counted(size_t size) {
    std::u16string text;
    for (size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(u'A' + i % 26));
    return text;
}

bool StartsWithALine(std::u16string_view text) {
    return text.rfind(u"CryptString ", 0) == 0 || text.rfind(u"DecryptString ", 0) == 0;
}

// Both exchanges, loading the fields and saving them, trim first: a log beyond 20,480 units
// keeps its first 10,240, and what the exchange reads is appended after them.
TEST_F(ConfirmationLogTest, EachDataExchangeTrimsTheLogFirst) {
    const std::u16string head = Counted(DiagnosticLog::kTrimAbove + 1);
    TheDiagnosticLog().Clear();
    TheDiagnosticLog().Append(head);
    test::BeepWatch beeps;
    std::u16string afterLoad, afterSave;
    size_t grown = 0;
    bool refused = false;
    CConfirmationDialog dialog(u"");
    test::RunScripted([&] { return dialog.DoModal(nullptr); }, L"Informations extraites",
                      [&](HWND d) {
                          // The dialog's thread touches the log only in its exchanges; it waits for input here.
                          afterLoad = TheDiagnosticLog().Text();
                          if (afterLoad.size() <= DiagnosticLog::kTrimAbove) {
                              TheDiagnosticLog().Append(Counted(DiagnosticLog::kTrimAbove + 1 - afterLoad.size()));
                          }
                          grown = TheDiagnosticLog().Text().size();
                          // No chart number: the saving exchange refuses with a beep and the dialog stays.
                          test::PostClick(d, IDOK);
                          refused = beeps.WaitForBeep(10000);
                          afterSave = TheDiagnosticLog().Text();
                          PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                      });
    ASSERT_GT(afterLoad.size(), DiagnosticLog::kKeepOnTrim);
    EXPECT_LT(afterLoad.size(), head.size()) << "trimmed when the fields were loaded";
    EXPECT_EQ(afterLoad.substr(0, DiagnosticLog::kKeepOnTrim), head.substr(0, DiagnosticLog::kKeepOnTrim));
    EXPECT_TRUE(StartsWithALine(afterLoad.substr(DiagnosticLog::kKeepOnTrim))) << "the loading reads follow the cut";

    EXPECT_GT(grown, DiagnosticLog::kTrimAbove);
    ASSERT_TRUE(refused);
    ASSERT_GT(afterSave.size(), DiagnosticLog::kKeepOnTrim);
    EXPECT_LT(afterSave.size(), grown) << "trimmed again when the fields were saved";
    EXPECT_EQ(afterSave.substr(0, DiagnosticLog::kKeepOnTrim), head.substr(0, DiagnosticLog::kKeepOnTrim));
    EXPECT_TRUE(StartsWithALine(afterSave.substr(DiagnosticLog::kKeepOnTrim))) << "the saving reads follow the cut";
}

}  // namespace
}  // namespace vorbel
