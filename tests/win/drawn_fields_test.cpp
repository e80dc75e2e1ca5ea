// Capture from a practice program that draws its fields and publishes them to screen readers:
// designated at a point, stored as a locator, found again and read, within the bound of a hung
// program.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "locator/accessible_element.h"
#include "locator/field_locator.h"
#include "locator/locator_text.h"
#include "patient/window_fields.h"
#include "settings/text.h"
#include "tests/win/standin_process.h"
#include "tools/drawn_standin_ids.h"

namespace vorbel {

void PrintTo(const PatientRecord& r, std::ostream* os);

namespace {

using test::StandIn;
using Clock = std::chrono::steady_clock;
namespace dr = drawn;

constexpr wchar_t kExe[] = L"drawn_standin.exe";

StandIn Drawn(const std::wstring& options) { return StandIn(L"--pos=40,40 " + options, L"", kExe); }

// The field of row `row`, where it is drawn now, on the screen.
POINT FieldOnScreen(HWND top, int row) {
    RECT client;
    GetClientRect(top, &client);
    POINT p = {MulDiv(dr::FieldCentreX(), client.right, dr::kDesignWidth),
               MulDiv(dr::FieldCentreY(row), client.bottom, dr::kDesignHeight)};
    ClientToScreen(top, &p);
    return p;
}

std::u16string DesignateAt(HWND top, int row) {
    const auto element = ElementAtScreenPoint(top, FieldOnScreen(top, row));
    if (!element) return u"";
    return BuildElementLocator(*element);
}

FieldLocators DesignateAll(HWND top) { return {DesignateAt(top, 0), DesignateAt(top, 1), DesignateAt(top, 2)}; }

const PatientRecord kShown = {u"4321", u"MARTIN", u"Zo\u00e9"};

TEST(DrawnFields, DesignatedAtAPointAndReadThroughTheTree) {
    struct Case {
        const wchar_t* mode;
        size_t depth;  // steps in the element's path
    };
    for (const Case& c : {Case{L"--mode=flat", 1}, Case{L"--mode=nested", 3}}) {
        SCOPED_TRACE(ToUtf8(reinterpret_cast<const char16_t*>(c.mode)));
        StandIn form = Drawn(c.mode);
        const FieldLocators locators = DesignateAll(form.top());
        for (const std::u16string* l : {&locators.chartNumber, &locators.lastName, &locators.firstName}) {
            const auto parsed = ParseFieldLocator(*l);
            ASSERT_TRUE(parsed.has_value()) << ToUtf8(*l);
            EXPECT_EQ(parsed->element.size(), c.depth) << ToUtf8(*l);
            EXPECT_TRUE(parsed->path.empty()) << "drawn by the top window itself";
        }
        EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown);
        EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::PointOnly), kShown) << "point-only reading";

        // Wider and taller, elsewhere on the screen: every field has moved.
        form.Place(200, 120, 900, 560);
        EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown);
    }
}

TEST(DrawnFields, EmptyOrHungTreesAreNotElements) {
    StandIn form = Drawn(L"--mode=flat");
    POINT corner = {5, 5};
    ClientToScreen(form.top(), &corner);
    EXPECT_FALSE(ElementAtScreenPoint(form.top(), corner).has_value()) << "the window itself is no element";
    StandIn hung = Drawn(L"--mode=hung --pos=500,300");
    const auto start = Clock::now();
    EXPECT_FALSE(ElementAtScreenPoint(hung.top(), FieldOnScreen(hung.top(), 0)).has_value());
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
}

TEST(DrawnFields, ChangedNamesAreFoundByIndexThenByPoint) {
    FieldLocators locators;
    {
        StandIn form = Drawn(L"--mode=nested");
        locators = DesignateAll(form.top());
    }
    StandIn renamed = Drawn(L"--mode=nested --rename");
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown) << "by index";
    // The index alone, without the point to fall back on.
    const auto renamedLast = ParseFieldLocator(locators.lastName);
    ASSERT_TRUE(renamedLast.has_value());
    EXPECT_EQ(ReadElementText(renamed.top(), renamedLast->element, std::nullopt),
              std::optional<std::u16string>(u"MARTIN"));

    // Neither the name nor the index holds any more: the scaled point still does.
    std::u16string& last = locators.lastName;
    const size_t step = last.rfind(u'>');
    ASSERT_NE(step, std::u16string::npos);
    last = last.substr(0, step) + u">42,9,Autre";
    locators.chartNumber.clear();
    locators.firstName.clear();
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), (PatientRecord{u"", u"MARTIN", u""}));
}

TEST(DrawnFields, ATreeBuiltLateIsWaitedForWithinTheBound) {
    FieldLocators locators;
    {
        StandIn form = Drawn(L"--mode=flat");
        locators = DesignateAll(form.top());
    }
    StandIn lazy = Drawn(L"--mode=lazy");
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown);
}

TEST(DrawnFields, MissingOrHungProgramsLeaveTheFieldsEmptyWithinTheBound) {
    FieldLocators locators;
    {
        StandIn form = Drawn(L"--mode=flat");
        locators = DesignateAll(form.top());
    }
    auto start = Clock::now();
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), PatientRecord{});
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000)) << "no window: no wait";

    StandIn hung = Drawn(L"--mode=hung");
    for (int round = 0; round < 2; ++round) {
        start = Clock::now();
        EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), PatientRecord{});
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3 * 2000 + 1500)) << "2 s per field at most";
    }
}

}  // namespace
}  // namespace vorbel
