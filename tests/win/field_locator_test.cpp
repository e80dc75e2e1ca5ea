// Locators built from the stand-in practice program's real windows, found again and read.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "locator/field_locator.h"
#include "text/text.h"
#include "tests/win/support/standin_process.h"
#include "tools/practice_standin_ids.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::StandIn;
namespace si = standin;

std::u16string Num(long v) { return DecimalText(v); }

size_t Semicolons(const std::u16string& t) { return static_cast<size_t>(std::count(t.begin(), t.end(), u';')); }

std::u16string Replace(std::u16string text, std::u16string_view from, std::u16string_view to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::u16string::npos);
    if (at != std::u16string::npos) text.replace(at, from.size(), to);
    return text;
}

class FieldLocatorTest : public ::testing::Test {
protected:
    HWND FindIn(bool pointOnly, const std::u16string& locator) {
        return FindLocatedControl(locator, pointOnly ? LocatorLookup::PointOnly : LocatorLookup::StructureFirst);
    }
};

TEST_F(FieldLocatorTest, LocatorOfANestedControlNamesSizeClassPathAndCentres) {
    StandIn form(L"--pos=40,40");
    POINT origin = {0, 0};
    ClientToScreen(form.top(), &origin);
    // The chart-number edit, 120 x 24 at (140, 26) in the identity panel (first child of the
    // main panel, at (12, 8)), which is the second child of the top window, at (0, 36).
    const long x = 12 + 140 + 60, y = 36 + 8 + 26 + 12;
    EXPECT_EQ(
        BuildFieldLocator(form.Control(si::kChartNumber)),
        u"640;440;PmsPatientForm;2;1;" + Num(x) + u";" + Num(y) + u"|" + Num(origin.x + x) + u"|" + Num(origin.y + y));

    const std::u16string direct = BuildFieldLocator(form.Control(si::kHeaderPanel));
    EXPECT_EQ(Semicolons(direct), 4u) << "a direct child of the top window has no path";
    EXPECT_EQ(FindLocatedControl(direct, LocatorLookup::StructureFirst), form.Control(si::kHeaderPanel))
        << "found among the top window's children";
    EXPECT_EQ(BuildFieldLocator(nullptr), u"");
}

TEST_F(FieldLocatorTest, EachControlIsFoundAgainStructurallyAndByItsScreenPoint) {
    StandIn form(L"--pos=40,40");
    const std::pair<int, int> cases[] = {
        {si::kChartNumber, si::kChartNumber},
        {si::kLastName, si::kLastName},
        {si::kFirstName, si::kFirstName},
        {si::kCivility, si::kCivility},
        {si::kActive, si::kActive},
        {si::kNotes, si::kNotes},
        {si::kIdentityFrame, si::kIdentityFrame},
        {si::kUpToDate, si::kUpToDate},
        // The badge listed after the card lies over the card's centre: the later sibling wins.
        {si::kAllergyCard, si::kUpToDate},
    };
    for (auto [designated, expected] : cases) {
        const std::u16string locator = BuildFieldLocator(form.Control(designated));
        ASSERT_FALSE(locator.empty()) << designated;
        EXPECT_EQ(FindIn(false, locator), form.Control(expected)) << "structural, control " << designated;
        EXPECT_EQ(FindIn(true, locator), form.Control(expected)) << "point only, control " << designated;
    }
}

TEST_F(FieldLocatorTest, TopWindowDesignatedItselfFindsItsChildAtItsCentre) {
    StandIn form(L"--pos=40,40");
    const std::u16string locator = BuildFieldLocator(form.top());
    EXPECT_EQ(locator.substr(0, 28), u"640;440;PmsPatientForm;320;2") << ToUtf8(locator);
    EXPECT_EQ(Semicolons(locator), 4u);
    EXPECT_EQ(FindLocatedControl(locator, LocatorLookup::StructureFirst), form.Control(si::kMainPanel));
}

TEST_F(FieldLocatorTest, BrokenStructureFallsBackToTheScreenPointOnlyWhereAllowed) {
    StandIn form(L"--pos=40,40");
    const HWND chart = form.Control(si::kChartNumber);
    const std::u16string good = BuildFieldLocator(chart);
    const std::u16string screen = good.substr(good.find(u'|'));  // "|SX|SY"
    enum Expect { Chart, None };
    struct Case {
        const char* what;
        std::u16string locator;
        Expect structural;
        Expect pointOnly;
    };
    const Case cases[] = {
        {"path off the children", Replace(good, u";2;1;", u";9;1;"), Chart, Chart},
        {"path position 0", Replace(good, u";2;1;", u";0;1;"), Chart, Chart},
        {"negative path position", Replace(good, u";2;1;", u";-2;1;"), Chart, Chart},
        {"no child at the centre", Replace(good, u";2;1;", u";2;2;"), Chart, Chart},
        {"size 0 scales to -1", Replace(good, u"640;440;", u"0;0;"), Chart, Chart},
        {"no window of the class", Replace(good, u"PmsPatientForm", u"NoSuchForm"), None, Chart},
        {"three separators", u"640;440;PmsPatientForm;212" + screen, None, Chart},
        {"class field only", u"640;440;PmsPatientForm" + screen, None, Chart},
        {"no class field", u"640;PmsPatientForm" + screen, None, None},
        {"no screen point", Replace(good.substr(0, good.find(u'|')), u";2;1;", u";9;1;"), None, None},
        {"over-long", good + std::u16string(600, u' '), None, None},
        {"empty", u"", None, None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindIn(false, c.locator), c.structural == Chart ? chart : nullptr) << c.what;
        EXPECT_EQ(FindIn(true, c.locator), c.pointOnly == Chart ? chart : nullptr) << c.what << ", point only";
    }
}

TEST_F(FieldLocatorTest, ControlIsFoundWhereItMovedWithTheWindow) {
    StandIn form(L"--pos=40,40");
    const HWND chart = form.Control(si::kChartNumber);
    const std::u16string locator = BuildFieldLocator(chart);

    form.Place(40, 40, 1280, 440);  // twice as wide: the layout stretches
    EXPECT_EQ(FindLocatedControl(locator, LocatorLookup::StructureFirst), chart);
    EXPECT_NE(FindIn(true, locator), chart) << "the old screen point no longer lies on it";

    form.Place(400, 300, 640, 440);
    EXPECT_EQ(FindLocatedControl(locator, LocatorLookup::StructureFirst), chart);
    EXPECT_NE(FindIn(true, locator), chart);
}

TEST_F(FieldLocatorTest, LocatorThatTheStoreCannotKeepIsNotMade) {
    StandIn storable(L"--pos=20,20 --class=" + std::wstring(249, L'W'));
    const std::u16string longClass = BuildFieldLocator(storable.Control(si::kLastName));
    EXPECT_FALSE(longClass.empty());
    EXPECT_EQ(FindLocatedControl(longClass, LocatorLookup::StructureFirst), storable.Control(si::kLastName));

    // Omega, XORed with the locator's first digit, is beyond what a scrambled value carries.
    StandIn unstorable(L"--pos=700,20 --class=Fiche\u03a9");
    EXPECT_EQ(BuildFieldLocator(unstorable.Control(si::kLastName)), u"");
}

TEST_F(FieldLocatorTest, ValueOfEachKindOfControl) {
    StandIn plain(L"--pos=10,10");
    StandIn variant(L"--pos=660,10 --class=PmsVariant --active=0 --item=3000 --civility=3 --notes=3000");
    const std::u16string cut = FromUtf8(ToUtf8(U(si::PatternText(1023).c_str())));
    struct Case {
        const StandIn* form;
        int id;
        std::u16string expected;
    };
    const Case cases[] = {
        {&plain, si::kChartNumber, u"1234"}, {&plain, si::kFirstName, u"Élise"}, {&plain, si::kCivility, u"Monsieur"},
        {&plain, si::kActive, u"1"},         {&plain, si::kIdentityFrame, u"0"},  // a group frame is a Button too
        {&plain, si::kUpToDate, u"À jour"},  {&variant, si::kActive, u"0"},      {&variant, si::kCivility, cut},
        {&variant, si::kNotes, cut},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadControlValue(c.form->Control(c.id)), c.expected) << c.id;

    SendMessageW(plain.Control(si::kCivility), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(ReadControlValue(plain.Control(si::kCivility)), u"") << "a list without a selection";
    EXPECT_EQ(ReadControlValue(nullptr), u"");
}

TEST_F(FieldLocatorTest, HungProgramLeavesItsFieldsEmptyWithinTheBound) {
    StandIn form(L"--pos=40,40");
    const std::u16string locators[] = {BuildFieldLocator(form.Control(si::kChartNumber)),
                                       BuildFieldLocator(form.Control(si::kCivility)),
                                       BuildFieldLocator(form.Control(si::kActive))};
    form.Hang();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& locator : locators) {
        const HWND control = FindLocatedControl(locator, LocatorLookup::StructureFirst);
        EXPECT_NE(control, nullptr) << "finding sends the program nothing";
        EXPECT_EQ(ReadControlValue(control), u"");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

}  // namespace
}  // namespace vorbel
