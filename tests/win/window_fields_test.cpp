// Capture from practice-program windows, with the messages that drive WinDev and VisioDent as
// the stand-in practice programs record them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "patient/window_fields.h"
#include "locator/field_locator.h"
#include "settings/settings.h"
#include "text/text.h"
#include "tests/win/support/standin_process.h"
#include "tests/win/support/win_test_support.h"
#include "tools/practice_standin_ids.h"

namespace vorbel {

void PrintTo(const PatientRecord& r, std::ostream* os) {
    *os << "{" << ToUtf8(r.chartNumber) << "|" << ToUtf8(r.lastName) << "|" << ToUtf8(r.firstName) << "}";
}

namespace {

using test::StandIn;
using Lines = std::vector<std::string>;
namespace si = standin;

const Lines kAltE = {"WM_SYSKEYDOWN 0x45 0x20000001", "WM_SYSCHAR 0x65 0x1", "WM_SYSKEYUP 0x45 0xE0000001"};
const Lines kEscape = {"WM_KEYDOWN 0x1B 0x1", "WM_KEYUP 0x1B 0xC0000001"};
const Lines kVisioDentCommand = {"WM_COMMAND 0x7554 0x0"};

Lines Join(const Lines& a, const Lines& b) {
    Lines all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// Lower-case letters in the class: class names are compared without regard to case.
std::u16string LowerCaseClass(std::u16string locator) {
    const size_t from = locator.find(u';', locator.find(u';') + 1) + 1;
    for (size_t i = from; i < locator.size() && locator[i] != u';'; ++i) {
        if (locator[i] >= u'A' && locator[i] <= u'Z') locator[i] = static_cast<char16_t>(locator[i] + 32);
    }
    return locator;
}

class WindowFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
        key_ = GetMachineKey();
    }
    void TearDown() override { test::DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO"); }

    PatientRecord CaptureFromSettings(const FieldLocators& l) {
        WriteSetting(Setting::ChartNumberLocator, key_, l.chartNumber);
        WriteSetting(Setting::LastNameLocator, key_, l.lastName);
        WriteSetting(Setting::FirstNameLocator, key_, l.firstName);
        return ReadWindowFields(key_, LocatorLookup::StructureFirst);
    }

    static FieldLocators LocatorsOf(const StandIn& form) {
        return {BuildFieldLocator(form.Control(si::kChartNumber)), BuildFieldLocator(form.Control(si::kLastName)),
                BuildFieldLocator(form.Control(si::kFirstName))};
    }

    test::TempDir dir_;
    uint32_t key_ = 0;
};

TEST_F(WindowFieldsTest, PreparationAndClosingFollowTheClassesOfTheFirstAndLastLocators) {
    StandIn windev(L"--pos=10,10 --class=WinDevObject --chart=1234 --last=DUPONT --first=Élise",
                   dir_.File(L"windev.txt"));
    StandIn visiodent(L"--pos=660,10 --class=FENETRE_VISIODENT32 --chart=5678 --last=MARTIN --first=Léa",
                      dir_.File(L"visiodent.txt"));
    StandIn other(L"--pos=10,520 --class=PmsPatientForm --chart=9012 --last=LEROY --first=Zoé");
    const FieldLocators w = LocatorsOf(windev), v = LocatorsOf(visiodent), o = LocatorsOf(other);

    struct Case {
        const char* what;
        FieldLocators locators;
        PatientRecord expected;
        Lines windevGets;
        Lines visiodentGets;
    };
    const Case cases[] = {
        {"all WinDev", w, {u"1234", u"DUPONT", u"Élise"}, Join(kAltE, kEscape), {}},
        {"WinDev first only", {w.chartNumber, w.lastName, o.firstName}, {u"1234", u"DUPONT", u"Zoé"}, kAltE, {}},
        {"WinDev last only", {o.chartNumber, w.lastName, w.firstName}, {u"9012", u"DUPONT", u"Élise"}, kEscape, {}},
        {"VisioDent in other letter case",
         {LowerCaseClass(v.chartNumber), v.lastName, v.firstName},
         {u"5678", u"MARTIN", u"Léa"},
         {},
         kVisioDentCommand},
        {"VisioDent last only", {o.chartNumber, o.lastName, v.firstName}, {u"9012", u"LEROY", u"Léa"}, {}, {}},
        {"nothing configured", {}, {}, {}, {}},
    };
    using Clock = std::chrono::steady_clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windev.ClearRecord();
        visiodent.ClearRecord();
        // The capture runs beside a watch that notes when the first message of a preparation
        // (Alt+E or the VisioDent command) has reached its program.
        PatientRecord got;
        std::atomic<bool> done{false};
        const Clock::time_point start = Clock::now();
        std::thread capture([&] {
            got = CaptureFromSettings(c.locators);
            done = true;
        });
        std::optional<Clock::time_point> prepared;
        const bool preparing = (!c.windevGets.empty() && c.windevGets[0] == kAltE[0]) || !c.visiodentGets.empty();
        while (!done) {
            if (!prepared && preparing && (!windev.Recorded().empty() || !visiodent.Recorded().empty())) {
                prepared = Clock::now();
            }
            Sleep(5);
        }
        capture.join();
        const Clock::time_point end = Clock::now();
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(windev.Recorded(), c.windevGets);
        EXPECT_EQ(visiodent.Recorded(), c.visiodentGets);
        if (preparing) {
            ASSERT_TRUE(prepared.has_value());
            EXPECT_GE(end - start, std::chrono::milliseconds(1990)) << "a pause of two seconds";
            EXPECT_GE(end - *prepared, std::chrono::milliseconds(1500)) << "after the preparation, not before";
        } else {
            EXPECT_LT(end - start, std::chrono::milliseconds(2000)) << "no pause without a preparation";
        }
    }
}

TEST_F(WindowFieldsTest, PointOnlyModeStillDrivesTheProgramFoundByClass) {
    StandIn windev(L"--pos=10,10 --class=WinDevObject --active=0", dir_.File(L"windev.txt"));
    // The check box as the first-name field reads as 0.
    FieldLocators locators = LocatorsOf(windev);
    locators.firstName = BuildFieldLocator(windev.Control(si::kActive));
    // The structure of the last name with the screen point of the chart number: which of the two
    // is read shows which lookup ran.
    const std::u16string& chart = locators.chartNumber;
    const std::u16string& last = locators.lastName;
    locators.chartNumber = last.substr(0, last.find(u'|')) + chart.substr(chart.find(u'|'));

    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::PointOnly), (PatientRecord{u"1234", u"DUPONT", u"0"}));
    EXPECT_EQ(windev.Recorded(), Join(kAltE, kEscape));
}

TEST_F(WindowFieldsTest, ClosedPracticeProgramLeavesTheFieldsEmpty) {
    FieldLocators locators;
    {
        StandIn windev(L"--pos=10,10 --class=WinDevObject");
        locators = LocatorsOf(windev);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), PatientRecord{});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000)) << "no pause";
}

TEST_F(WindowFieldsTest, HungPracticeProgramIsAnsweredWithinTheBound) {
    StandIn windev(L"--pos=10,10 --class=WinDevObject", dir_.File(L"windev.txt"));
    const FieldLocators locators = LocatorsOf(windev);
    windev.Hang();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), PatientRecord{});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(windev.Recorded(), Lines{}) << "the hung program handled nothing";
}

}  // namespace
}  // namespace vorbel
