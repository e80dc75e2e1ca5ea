// The field picker with real mouse input: drags from Setup's targets onto a stand-in practice
// program, and picks through the window tree.
#include <gtest/gtest.h>
#include <oleacc.h>

#include "locator/field_locator.h"
#include "resources/resource.h"
#include "setup/setup_dialog.h"
#include "locator/locator_text.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/standin_process.h"
#include "tests/win/support/ui_driver.h"
#include "tools/drawn_standin_ids.h"

namespace vorbel {
namespace {

using test::ItemText;

constexpr wchar_t kTreeTitle[] = L"Liste des fenêtres";
constexpr COLORREF kYellow = RGB(255, 255, 0);

class FieldPickerTest : public test::SetupRegistryTest {
protected:
    INT_PTR RunSetup(CSetupDialog& setup, const std::function<void(HWND)>& script) {
        return test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle, script);
    }
};

COLORREF ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

int Height(HWND w) {
    const RECT r = test::ScreenRect(w);
    return r.bottom - r.top;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

POINT ItemCentre(HWND dialog, int id) { return test::Centre(test::ScreenRect(GetDlgItem(dialog, id))); }

bool PressOk(HWND dialog) {
    test::PostClick(dialog, IDOK);
    return test::WaitUntil([&] { return !IsWindow(dialog); });
}

struct DragSeen {
    bool collapsed = false;  // same left, top and width, height 0
    bool framed = false;     // the yellow exclusive-or frame around the control, 3 px out
    bool restored = false;   // back at its place and size
    bool frameGone = false;  // the screen repainted where the frame was
    std::wstring shown;      // the field's value display afterwards
};

// Presses on the field's target, glides onto `control`, releases there.
DragSeen Drag(HWND d, int target, int display, HWND control, const std::wstring& expectShown) {
    DragSeen seen;
    const RECT before = test::ScreenRect(d);
    const RECT c = test::ScreenRect(control);
    const POINT onFrame = {c.left - 3, (c.top + c.bottom) / 2};  // the pen's middle line
    const COLORREF under = ScreenPixel(onFrame);
    const POINT start = ItemCentre(d, target);
    test::MouseMove(start);
    test::MouseDown(start);
    seen.collapsed = test::WaitUntil([&] {
        const RECT r = test::ScreenRect(d);
        return r.bottom == r.top && r.left == before.left && r.top == before.top && r.right == before.right;
    });
    test::MouseGlide(start, test::Centre(c));
    seen.framed = test::WaitUntil([&] { return ScreenPixel(onFrame) == (under ^ kYellow); }, 3000);
    test::MouseUp(test::Centre(c));
    seen.restored = test::WaitUntil([&] { return SameRect(test::ScreenRect(d), before); });
    test::WaitUntil([&] { return ItemText(d, display) == expectShown; }, 3000);
    seen.shown = ItemText(d, display);
    seen.frameGone = test::WaitUntil([&] { return ScreenPixel(onFrame) == under; }, 3000);
    return seen;
}

TEST_F(FieldPickerTest, DraggingATargetOntoAControlDesignatesIt) {
    test::PracticeStandIn practice;
    CSetupDialog setup;
    const struct Case {
        const char* name;
        int target, display;
        HWND control;
        int checked;  // -1: leave the control as it is
        std::wstring shown;
    } cases[] = {
        {"an edit", IDC_CHART_TARGET, IDC_CHART_VALUE, practice.chart, -1, L"DUPONT"},
        {"a ticked check box", IDC_LAST_NAME_TARGET, IDC_LAST_NAME_VALUE, practice.checkBox, BST_CHECKED, L"1"},
        {"a label, not its parent", IDC_FIRST_NAME_TARGET, IDC_FIRST_NAME_VALUE, practice.label, -1, L"Jean"},
        {"an edit inside a group frame that comes first", IDC_CHART_TARGET, IDC_CHART_VALUE, practice.inGroup, -1,
         L"MARTIN"},
        {"an unticked check box", IDC_LAST_NAME_TARGET, IDC_LAST_NAME_VALUE, practice.checkBox, BST_UNCHECKED, L"0"},
    };
    std::vector<DragSeen> seen;
    RunSetup(setup, [&](HWND d) {
        for (const Case& c : cases) {
            if (c.checked >= 0) SendMessageW(c.control, BM_SETCHECK, c.checked, 0);
            seen.push_back(Drag(d, c.target, c.display, c.control, c.shown));
        }
        PressOk(d);
    });
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_TRUE(seen[i].collapsed);
        EXPECT_TRUE(seen[i].framed);
        EXPECT_TRUE(seen[i].restored);
        EXPECT_TRUE(seen[i].frameGone);
        EXPECT_EQ(seen[i].shown, cases[i].shown);
    }
    // What OK stores is what the locator made of the designated controls.
    EXPECT_EQ(Stored(Setting::ChartNumberLocator), BuildFieldLocator(practice.inGroup));
    EXPECT_EQ(Stored(Setting::LastNameLocator), BuildFieldLocator(practice.checkBox));
    EXPECT_EQ(Stored(Setting::FirstNameLocator), BuildFieldLocator(practice.label));
}

TEST_F(FieldPickerTest, DragShowsTheTargetCursorWhoseHotspotIsItsCentre) {
    HCURSOR target = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TARGET_CURSOR));
    ASSERT_NE(target, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(target, &info));
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    // Drawn for the system's cursor size (32 at 100 %, 48 at 150 %, 64 at 200 %), not stretched
    // to it, so that the hotspot stays on the very pixel in the middle.
    const int size = GetSystemMetrics(SM_CXCURSOR);
    EXPECT_EQ(mask.bmWidth, size);
    EXPECT_EQ(static_cast<int>(info.xHotspot), size / 2 - 1) << "the pixel in the middle of the drawing";
    EXPECT_EQ(static_cast<int>(info.yHotspot), size / 2 - 1);

    test::PracticeStandIn practice;
    CSetupDialog setup;
    bool shown = false;
    RunSetup(setup, [&](HWND d) {
        const POINT start = ItemCentre(d, IDC_CHART_TARGET);
        test::MouseMove(start);
        test::MouseDown(start);
        test::MouseGlide(start, test::Centre(test::ScreenRect(practice.label)));
        shown = test::WaitUntil([&] {
            CURSORINFO ci = {};
            ci.cbSize = sizeof(ci);
            return GetCursorInfo(&ci) && ci.hCursor == target;
        });
        test::MouseUp(test::Centre(test::ScreenRect(practice.label)));
        test::WaitUntil([&] { return Height(d) > 0; });
    });
    EXPECT_TRUE(shown);
}

TEST_F(FieldPickerTest, PressesThatDoNotDragDesignateNothing) {
    test::PracticeStandIn practice;
    CSetupDialog setup;
    bool collapsed = false, restored = false;
    std::wstring shownAfterElsewhere = L"?";
    RECT before = {}, after = {};
    RunSetup(setup, [&](HWND d) {
        before = test::ScreenRect(d);
        // On the side picture: not a target, so no drag, even when released over a control.
        const POINT elsewhere = {before.left + 40, before.bottom - 60};
        test::MouseMove(elsewhere);
        test::MouseDown(elsewhere);
        test::MouseGlide(elsewhere, test::Centre(test::ScreenRect(practice.chart)));
        test::MouseUp(test::Centre(test::ScreenRect(practice.chart)));
        // Pressed and released on a target without moving. Input is handled in order: once this
        // press has collapsed the dialog, the press and release elsewhere have been handled.
        const POINT target = ItemCentre(d, IDC_CHART_TARGET);
        test::MouseMove(target);
        test::MouseDown(target);
        collapsed = test::WaitUntil([&] { return Height(d) == 0; });
        shownAfterElsewhere = ItemText(d, IDC_CHART_VALUE);
        // Windows reports a move when a window shrinks under the cursor, which has not moved.
        POINT still = target;
        ScreenToClient(d, &still);
        PostMessageW(d, WM_MOUSEMOVE, 0, MAKELPARAM(still.x, still.y));
        Sleep(200);
        test::MouseUp(target);
        restored = test::WaitUntil([&] { return SameRect(test::ScreenRect(d), before); });
        after = test::ScreenRect(d);
        Sleep(200);
        PressOk(d);
    });
    EXPECT_TRUE(collapsed);
    EXPECT_EQ(shownAfterElsewhere, L"")
        << "no drag from the side picture: the release over the field designates nothing";
    EXPECT_TRUE(restored) << "back at its former place and size";
    EXPECT_EQ(Stored(Setting::ChartNumberLocator), u"") << "neither press designated anything";
}

TEST_F(FieldPickerTest, LosingTheDragRestoresTheDialogAndDesignatesNothing) {
    test::PracticeStandIn practice;
    const struct Case {
        const char* name;
        bool escape;  // else another window takes the mouse capture
    } cases[] = {{"capture taken by another window", false}, {"Escape", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        CSetupDialog setup;
        bool collapsed = false, restored = false, stillOpen = false, frameGone = false, handled = false;
        std::wstring shown = L"?";
        RunSetup(setup, [&](HWND d) {
            const RECT before = test::ScreenRect(d);
            const RECT chart = test::ScreenRect(practice.chart);
            const POINT onFrame = {chart.left - 3, (chart.top + chart.bottom) / 2};
            const COLORREF under = ScreenPixel(onFrame);
            const POINT start = ItemCentre(d, IDC_CHART_TARGET);
            test::MouseMove(start);
            test::MouseDown(start);
            collapsed = test::WaitUntil([&] { return Height(d) == 0; });
            test::MouseGlide(start, test::Centre(chart));
            test::WaitUntil([&] { return ScreenPixel(onFrame) == (under ^ kYellow); }, 3000);
            if (c.escape) {
                PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
            } else {
                PostMessageW(practice.top, test::PracticeStandIn::kTakeCapture, 0, 0);
            }
            restored = test::WaitUntil([&] { return SameRect(test::ScreenRect(d), before); });
            frameGone = test::WaitUntil([&] { return ScreenPixel(onFrame) == under; }, 3000);
            test::MouseUp(test::Centre(chart));
            // A new drag, ended at once: input is handled in order, so once its press has
            // collapsed the dialog, the release over the field has been handled. Pressed a little
            // aside, or the two presses would make a double click.
            const POINT again = {start.x + GetSystemMetrics(SM_CXDOUBLECLK), start.y};
            test::MouseMove(again);
            test::MouseDown(again);
            handled = test::WaitUntil([&] { return Height(d) == 0; });
            stillOpen = IsWindow(d) != FALSE;
            shown = ItemText(d, IDC_CHART_VALUE);
            PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
            test::WaitUntil([&] { return SameRect(test::ScreenRect(d), before); });
            test::MouseUp(again);
            PressOk(d);
        });
        EXPECT_TRUE(collapsed);
        EXPECT_TRUE(restored);
        EXPECT_TRUE(frameGone);
        EXPECT_TRUE(handled);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(shown, L"");
        EXPECT_EQ(Stored(Setting::ChartNumberLocator), u"");
    }
}

// The nested tree picker of a "+" button, found once it is open.
HWND OpenTree(HWND setup, int pick) {
    test::PostClick(setup, pick);
    return test::WaitForDialog(GetWindowThreadProcessId(setup, nullptr), kTreeTitle, setup);
}

HWND TreeWindowAtCaret(HWND tree) {
    HWND control = GetDlgItem(tree, IDC_WINDOW_TREE);
    const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(control, TVM_GETNEXTITEM, TVGN_CARET, 0));
    for (const test::TreeNode& n : test::ReadTree(control))
        if (n.item == caret) return n.window;
    return nullptr;
}

void SelectInTree(HWND tree, HWND window) {
    HWND control = GetDlgItem(tree, IDC_WINDOW_TREE);
    HTREEITEM item = nullptr;
    for (const test::TreeNode& n : test::ReadTree(control))
        if (n.window == window) item = n.item;
    SendMessageW(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void EndTree(HWND tree, int button) {
    PostMessageW(tree, WM_COMMAND, button, 0);
    test::WaitUntil([&] { return !IsWindow(tree); });
}

TEST_F(FieldPickerTest, PlusButtonsPickThroughTheTreeAndReload) {
    test::PracticeStandIn practice;
    CSetupDialog setup;
    struct {
        std::wstring afterPick, afterEmptyPick, afterCancel, lastName;
        HWND preselected = nullptr;
        bool exitTicked = true, cliniView = true;
        int convention = -2;
        std::wstring program;
    } seen;
    RunSetup(setup, [&](HWND d) {
        // Edits not yet stored...
        SendDlgItemMessageW(d, IDC_EXIT_MODE, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageW(d, IDC_CONVENTION, CB_SETCURSEL, 3, 0);
        test::Click(d, IDC_CLINIVIEW);
        HWND tree = OpenTree(d, IDC_CHART_PICK);
        if (!tree) return;
        SelectInTree(tree, practice.chart);
        EndTree(tree, IDOK);
        test::WaitUntil([&] { return ItemText(d, IDC_CHART_VALUE) == L"DUPONT"; });
        seen.afterPick = ItemText(d, IDC_CHART_VALUE);
        // ...are undone by the reload that follows a pick.
        seen.exitTicked = test::IsChecked(d, IDC_EXIT_MODE);
        seen.convention = static_cast<int>(SendDlgItemMessageW(d, IDC_CONVENTION, CB_GETCURSEL, 0, 0));
        seen.cliniView = test::IsChecked(d, IDC_CLINIVIEW);
        seen.program = ItemText(d, IDC_PROGRAM_LOCATION);

        tree = OpenTree(d, IDC_CHART_PICK);
        if (!tree) return;
        seen.preselected = TreeWindowAtCaret(tree);
        SelectInTree(tree, nullptr);
        EndTree(tree, IDOK);
        test::WaitUntil([&] { return ItemText(d, IDC_CHART_VALUE).empty(); });
        seen.afterEmptyPick = ItemText(d, IDC_CHART_VALUE);

        tree = OpenTree(d, IDC_CHART_PICK);
        if (!tree) return;
        SelectInTree(tree, practice.chart);
        EndTree(tree, IDCANCEL);
        SendMessageW(d, WM_NULL, 0, 0);  // answered once the "+" button's handler has returned
        seen.afterCancel = ItemText(d, IDC_CHART_VALUE);

        tree = OpenTree(d, IDC_LAST_NAME_PICK);
        if (!tree) return;
        SelectInTree(tree, practice.label);
        EndTree(tree, IDOK);
        test::WaitUntil([&] { return ItemText(d, IDC_LAST_NAME_VALUE) == L"Jean"; });
        seen.lastName = ItemText(d, IDC_LAST_NAME_VALUE);
        PressOk(d);
    });
    EXPECT_EQ(seen.afterPick, L"DUPONT");
    EXPECT_FALSE(seen.exitTicked);
    EXPECT_EQ(seen.convention, 0);
    EXPECT_FALSE(seen.cliniView);
    EXPECT_EQ(seen.program, L"C:\\vixwin\\vixwin.exe");
    EXPECT_EQ(seen.preselected, practice.chart) << "the tree opens on the field's current control";
    EXPECT_EQ(seen.afterEmptyPick, L"") << "OK without a selection empties the field";
    EXPECT_EQ(seen.afterCancel, L"") << "a cancelled tree changes nothing";
    EXPECT_EQ(seen.lastName, L"Jean");
    EXPECT_EQ(Stored(Setting::ChartNumberLocator), u"");
    EXPECT_EQ(Stored(Setting::LastNameLocator), BuildFieldLocator(practice.label));
    EXPECT_EQ(Stored(Setting::CommandLineConvention), u"42");
    EXPECT_EQ(Stored(Setting::ExitMode), u"0");
}

// A control whose description the store cannot keep is refused on OK, naming its field.
TEST_F(FieldPickerTest, RefusesALocatorTheStoreCannotKeep) {
    test::PracticeStandIn practice(L"VorbelŒuvre");
    CSetupDialog setup;
    std::wstring message;
    std::map<std::wstring, std::wstring> whileRefused;
    bool closed = false;
    const INT_PTR result = RunSetup(setup, [&](HWND d) {
        HWND tree = OpenTree(d, IDC_CHART_PICK);
        if (!tree) return;
        SelectInTree(tree, practice.top);
        EndTree(tree, IDOK);
        // Refused at the pick: the field keeps what it had.
        HWND box = test::WaitForDialog(GetWindowThreadProcessId(d, nullptr), test::kSetupTitle, d, 5000);
        if (!box) return;
        message = ItemText(box, 0xFFFF);
        whileRefused = SectionValues();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        test::WaitUntil([&] { return !IsWindow(box); });
        closed = PressOk(d);
    });
    EXPECT_NE(message.find(L"« Dossier »"), std::wstring::npos) << testing::PrintToString(message);
    EXPECT_TRUE(whileRefused.empty()) << "nothing stored";
    EXPECT_TRUE(closed);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored(Setting::ChartNumberLocator), u"");
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

// A field drawn by the stand-in with no child window, at design row `row`, on the screen.
POINT DrawnField(HWND top, int row) {
    RECT client;
    GetClientRect(top, &client);
    POINT p = {MulDiv(drawn::FieldCentreX(), client.right, drawn::kDesignWidth),
               MulDiv(drawn::FieldCentreY(row), client.bottom, drawn::kDesignHeight)};
    ClientToScreen(top, &p);
    return p;
}

TEST_F(FieldPickerTest, DrawnFieldsAreDesignatedByDragAndFromTheTree) {
    test::StandIn form(L"--mode=nested --pos=420,60", L"", L"drawn_standin.exe");
    CSetupDialog setup;
    struct {
        std::wstring dragged, picked;
        bool treeListsElements = false;
    } seen;
    RunSetup(setup, [&](HWND d) {
        // A real drag from the chart number's target onto the drawn last name.
        const POINT start = ItemCentre(d, IDC_CHART_TARGET);
        const POINT field = DrawnField(form.top(), 1);
        test::MouseMove(start);
        test::MouseDown(start);
        test::WaitUntil([&] { return Height(d) == 0; });
        test::MouseGlide(start, field);
        test::MouseUp(field);
        test::WaitUntil([&] { return ItemText(d, IDC_CHART_VALUE) == L"MARTIN"; }, 3000);
        seen.dragged = ItemText(d, IDC_CHART_VALUE);

        // The tree lists the drawn first name under the stand-in's window, apart from windows.
        HWND tree = OpenTree(d, IDC_FIRST_NAME_PICK);
        if (!tree) return;
        HWND control = GetDlgItem(tree, IDC_WINDOW_TREE);
        for (const test::TreeNode& n : test::ReadTree(control)) {
            if (n.window != form.top() || n.parentWindow != form.top()) continue;
            if (n.text.find(L"« Prénom » : Zoé") == std::wstring::npos) continue;
            seen.treeListsElements = n.text.rfind(L"◆ Élément", 0) == 0;
            SendMessageW(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(n.item));
        }
        EndTree(tree, IDOK);
        test::WaitUntil([&] { return ItemText(d, IDC_FIRST_NAME_VALUE) == L"Zoé"; }, 3000);
        seen.picked = ItemText(d, IDC_FIRST_NAME_VALUE);
        PressOk(d);
    });
    EXPECT_EQ(seen.dragged, L"MARTIN") << "Setup shows the drawn field's value";
    EXPECT_TRUE(seen.treeListsElements);
    EXPECT_EQ(seen.picked, L"Zoé");
    for (Setting s : {Setting::ChartNumberLocator, Setting::FirstNameLocator}) {
        const auto stored = ParseFieldLocator(Stored(s).value_or(u""));
        ASSERT_TRUE(stored.has_value());
        ASSERT_EQ(stored->element.size(), 3u) << "pane > group > field";
        EXPECT_EQ(stored->element.back().role, ROLE_SYSTEM_TEXT);
    }
}

}  // namespace
}  // namespace vorbel
