// What the hand-off takes from the system, under the practices' French locale.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "handoff/handoff_system.h"
#include "text/text.h"
#include "win/keys.h"
#include "win/wide.h"

namespace vorbel {
namespace {

TEST(HandOffSystem, OemCodePageIs850AndConvertsAccentedNames) {
    EXPECT_EQ(GetOEMCP(), 850u);
    EXPECT_EQ(ToOemBytes(u"ÉLÉ"), "\x90\x4C\x90");
    EXPECT_EQ(ToOemBytes(u"éèç"), "\x82\x8A\x87");
    EXPECT_EQ(ToOemBytes(u""), "");
}

struct DateCase {
    std::u16string text;
    std::optional<CalendarDate> expected;
};

class BirthDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(BirthDateTest, ReadDayFirstAndUnknownWhenItIsNoDate) {
    const DateCase& c = GetParam();
    const auto date = ParseBirthDate(c.text);
    ASSERT_EQ(date.has_value(), c.expected.has_value()) << ToUtf8(c.text);
    if (date) {
        EXPECT_EQ(date->year, c.expected->year) << ToUtf8(c.text);
        EXPECT_EQ(date->month, c.expected->month) << ToUtf8(c.text);
        EXPECT_EQ(date->day, c.expected->day) << ToUtf8(c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(All, BirthDateTest,
                         ::testing::Values(DateCase{u"05/03/1970", CalendarDate{5, 3, 1970}},
                                           DateCase{u"  5/3/1970\t", CalendarDate{5, 3, 1970}},
                                           DateCase{u"31/12/2001", CalendarDate{31, 12, 2001}},
                                           DateCase{u"", std::nullopt}, DateCase{u"   ", std::nullopt},
                                           DateCase{u"pas une date", std::nullopt}, DateCase{u"12:30", std::nullopt}));

TEST(HandOffSystem, CliniViewIniDefaultIsInCommonApplicationData) {
    wchar_t common[MAX_PATH] = L"";
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
    EXPECT_EQ(ToWide(CliniViewIniDefaultPath()), std::wstring(common) + L"\\CliniView\\CliniView.ini");
}

TEST(HandOffSystem, ComputerNameIsTheSystemOne) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(ToWide(LocalComputerName()), std::wstring(name, size));
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

struct KeyCase {
    BYTE key;  // 0: none
    bool held;
};

class DumpKeysTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(DumpKeysTest, ShiftOrCtrlHeldAtTheMomentOfTheCall) {
    const KeyCase& c = GetParam();
    if (c.key) keybd_event(c.key, 0, 0, 0);
    const bool held = IsShiftOrCtrlHeld();
    if (c.key) keybd_event(c.key, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(held, c.held);
    EXPECT_FALSE(IsShiftOrCtrlHeld()) << "released";
}

INSTANTIATE_TEST_SUITE_P(All, DumpKeysTest,
                         ::testing::Values(KeyCase{0, false}, KeyCase{VK_SHIFT, true}, KeyCase{VK_CONTROL, true},
                                           KeyCase{VK_MENU, false}));

}  // namespace
}  // namespace vorbel
