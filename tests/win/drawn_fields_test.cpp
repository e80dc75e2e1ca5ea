// Capture from a practice program that draws its fields and publishes them to screen readers:
// designated at a point, stored as a locator, found again and read, within the bound of a hung
// program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "locator/accessible_element.h"
#include "locator/field_locator.h"
#include "locator/locator_text.h"
#include "patient/window_fields.h"
#include "text/text.h"
#include "tests/win/support/malloc_spy.h"
#include "tests/win/support/standin_process.h"
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

const PatientRecord kShown = {u"4321", u"MARTIN", u"Zoé"};

// What the stand-in counted: see drawn::kCallsReceived and drawn::kReferencesHeld.
LRESULT Ask(HWND top, UINT message) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(top, message, 0, 0, SMTO_BLOCK, 10000, &answer)) ADD_FAILURE() << "the stand-in hangs";
    return static_cast<LRESULT>(answer);
}

// The locator with another name in its last step: the name is the last field of the text.
std::u16string WithFieldName(const std::u16string& locator, const std::u16string& name) {
    return locator.substr(0, locator.rfind(u',') + 1) + name;
}

// The parts of a locator, to write it again changed.
LocatorParts PartsOf(const std::u16string& locator) {
    const auto parsed = ParseFieldLocator(locator);
    EXPECT_TRUE(parsed && parsed->screen) << ToUtf8(locator);
    if (!parsed || !parsed->screen) return {};
    return {parsed->width, parsed->height, parsed->className, parsed->path,
            parsed->x,     parsed->y,      *parsed->screen,   parsed->element};
}

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

// Each call into the program is a round trip through its window thread: the three fields of one
// window are read together, the window's tree and the levels above them asked for once, and a
// field whose level is already known costs only its own element.
TEST(DrawnFields, FieldsOfOneWindowAskForTheLevelsTheyShareOnce) {
    StandIn form = Drawn(L"--mode=nested");
    const FieldLocators locators = DesignateAll(form.top());
    const auto callsFor = [&](const auto& read) {
        const LRESULT before = Ask(form.top(), dr::kCallsReceived);
        read();
        return Ask(form.top(), dr::kCallsReceived) - before;
    };
    LRESULT apart = 0;
    for (const std::u16string* l : {&locators.chartNumber, &locators.lastName, &locators.firstName}) {
        apart += callsFor([&] { EXPECT_NE(ReadLocatedField(*l, LocatorLookup::StructureFirst), u""); });
    }
    const LRESULT together =
        callsFor([&] { EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown); });
    // pane > group > field: read apart, each field asks for the pane and the group again; read
    // together, the second and third fields cost their own element, less than half of a lone read.
    const LRESULT oneField = apart / 3;
    EXPECT_GT(together, 0);
    EXPECT_LE(together, oneField + 2 * (oneField / 2)) << together << " calls together, " << apart << " apart";
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

namespace vorbel {
namespace {

// Fields that show their text as their name and have no value (a web page, WPF text blocks). The
// practice program moves on: the patient designated now shows in the previous patient's row, the
// new one in the patient's row. Each field is found where it was, never by the text it showed,
// also from the locators earlier versions wrote, whose last step held that text.
TEST(DrawnFields, AFieldIsNeverFoundByTheTextItShowed) {
    const std::u16string shown[] = {u"4217", u"DUPONT", u"Jean"};
    FieldLocators written, older;
    {
        StandIn form = Drawn(L"--mode=rows --chart=4217 --last=DUPONT --first=Jean");
        written = DesignateAll(form.top());
        std::u16string* const kept[] = {&written.chartNumber, &written.lastName, &written.firstName};
        std::u16string* const earlier[] = {&older.chartNumber, &older.lastName, &older.firstName};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(kept[i]->find(shown[i]), std::u16string::npos) << "the text is not stored: " << ToUtf8(*kept[i]);
            *earlier[i] = WithFieldName(*kept[i], shown[i]);
        }
        EXPECT_EQ(ReadWindowFields(written, LocatorLookup::StructureFirst),
                  (PatientRecord{u"4217", u"DUPONT", u"Jean"}));
    }
    StandIn movedOn = Drawn(L"--mode=rows --chart=5120 --last=MARTIN --first=Hélène --previous=4217,DUPONT,Jean");
    const PatientRecord now = {u"5120", u"MARTIN", u"Hélène"};
    const struct {
        const char* what;
        const FieldLocators& locators;
    } cases[] = {{"as Setup writes them", written}, {"as earlier versions wrote them", older}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadWindowFields(c.locators, LocatorLookup::StructureFirst), now);
        EXPECT_EQ(ReadWindowFields(c.locators, LocatorLookup::PointOnly), now);
    }
}

// An element whose window cannot be found any more is not read from whatever lies at its point
// on the screen: another window there may show another patient.
TEST(DrawnFields, AnElementIsReadInItsOwnWindowOnly) {
    StandIn form = Drawn(L"--mode=flat");
    const std::u16string last = DesignateAt(form.top(), 1);
    ASSERT_EQ(ReadLocatedField(last, LocatorLookup::StructureFirst), u"MARTIN");
    // As if designated in a child window that the program no longer has.
    LocatorParts parts = PartsOf(last);
    parts.path = {1};
    EXPECT_EQ(ReadLocatedField(FormatFieldLocator(parts), LocatorLookup::StructureFirst), u"");
}

// A pane that lists itself as its children, without end: the window list's walk of the tree ends
// within the bound of a hung program, and the program is left alone from then on, even when the
// walk was given up in the middle of a slow call.
TEST(DrawnFields, ALoopingTreeIsWalkedWithinTheBoundThenLeftAlone) {
    const struct Case {
        const wchar_t* options;
        bool fieldsListed;  // the fields, reached before the loop, are listed
    } cases[] = {{L"--mode=loop", true}, {L"--mode=loop --delay=300", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(reinterpret_cast<const char16_t*>(c.options)));
        StandIn form = Drawn(c.options);
        const auto start = Clock::now();
        const std::vector<AccessibleElement> elements = TextElementsOf(form.top(), 200);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
        if (c.fieldsListed) {
            for (const std::u16string& value : {kShown.chartNumber, kShown.lastName, kShown.firstName}) {
                EXPECT_TRUE(std::any_of(elements.begin(), elements.end(), [&](const AccessibleElement& e) {
                    return e.value == value;
                })) << ToUtf8(value);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // a call under way then has ended
        const LRESULT calls = Ask(form.top(), drawn::kCallsReceived);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_EQ(Ask(form.top(), drawn::kCallsReceived), calls) << "calls into the program after the walk ended";
    }
}

bool HoldsHostileText(const std::vector<BYTE>& block) {
    const std::wstring_view text = drawn::kHostileText;
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::search(block.begin(), block.end(), bytes, bytes + text.size() * sizeof(wchar_t)) != block.end();
}

// A program that answers carelessly or with hostile intent: texts with S_FALSE or a failure, a
// role and states given as texts, a child given as a text, an object handed out with S_FALSE.
// Designating, reading and listing its fields frees every text and releases every object it
// handed out: a link a minute all day must not pile them up.
TEST(DrawnFields, EverythingAHostileProgramHandsOutIsFreed) {
    test::MallocSpy* spy = test::MallocSpy::Instance();
    ASSERT_NE(spy, nullptr);
    StandIn hostile = Drawn(L"--mode=hostile");
    spy->Clear();
    const FieldLocators locators = DesignateAll(hostile.top());
    for (int link = 0; link < 3; ++link) EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::StructureFirst), kShown);
    EXPECT_EQ(ReadWindowFields(locators, LocatorLookup::PointOnly), kShown);
    EXPECT_EQ(TextElementsOf(hostile.top(), 200).size(), 3u) << "the three fields, listed";
    // A path that leads nowhere, and a point beyond the window: the fallback asks the tree there.
    LocatorParts nowhere = PartsOf(locators.lastName);
    if (!nowhere.element.empty()) nowhere.element.back() = {42, 9, u"Autre"};  // editable text
    nowhere.x = 2 * nowhere.width;
    EXPECT_EQ(ReadLocatedField(FormatFieldLocator(nowhere), LocatorLookup::StructureFirst), u"");

    // A worker that ran to the end of its bound may still be finishing its last call: what it
    // holds then is freed at once, what was lost stays.
    const auto leakedTexts = [&] {
        const auto blocks = spy->LiveBlocks();
        return std::count_if(blocks.begin(), blocks.end(), HoldsHostileText);
    };
    const auto held = [&] { return Ask(hostile.top(), drawn::kReferencesHeld); };
    for (int i = 0; i < 40 && (leakedTexts() != 0 || held() != 0); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(leakedTexts(), 0) << "texts never freed";
    EXPECT_EQ(held(), 0) << "references to its objects never released";
}

}  // namespace
}  // namespace vorbel
