// The window-tree picker against stand-in windows of known classes and titles.
#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <cwchar>
#include <set>
#include <thread>

#include "resources/resource.h"
#include "setup/window_tree_dialog.h"
#include "tests/win/support/ui_driver.h"

namespace vorbel {
namespace {

using test::TreeNode;

constexpr wchar_t kTreeTitle[] = L"Liste des fenêtres";

std::wstring Hex(HWND w) {
    wchar_t buf[16];
    swprintf(buf, 16, L"%lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(w)));
    return buf;
}

const TreeNode* NodeOf(const std::vector<TreeNode>& tree, HWND w) {
    auto it = std::find_if(tree.begin(), tree.end(), [&](const TreeNode& n) { return n.window == w; });
    return it == tree.end() ? nullptr : &*it;
}

HWND Tree(HWND dialog) { return GetDlgItem(dialog, IDC_WINDOW_TREE); }

HTREEITEM Caret(HWND dialog) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(Tree(dialog), TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void Select(HWND dialog, HTREEITEM item) {
    SendMessageW(Tree(dialog), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

TEST(WindowTree, ListsEveryVisibleWindowOnceUnderItsParent) {
    test::PracticeStandIn practice;
    HWND untitled = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 200, 20, 50, 20, practice.top, nullptr,
                                    nullptr, nullptr);
    CWindowTreeDialog picker;
    std::vector<TreeNode> tree;
    const INT_PTR result = test::RunScripted([&] { return picker.DoModal(nullptr); }, kTreeTitle,
                                             [&](HWND dialog) {
                                                 tree = test::ReadTree(Tree(dialog));
                                                 if (const TreeNode* chart = NodeOf(tree, practice.chart))
                                                     Select(dialog, chart->item);
                                                 test::Click(dialog, IDOK);
                                             });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(picker.window, practice.chart);

    std::multiset<HWND> seen;
    for (const TreeNode& n : tree) seen.insert(n.window);
    for (HWND w : seen) EXPECT_EQ(seen.count(w), 1u) << "listed more than once: " << Hex(w).c_str();

    const struct {
        HWND window;
        HWND parent;
        std::wstring text;
    } expected[] = {
        {practice.top, nullptr, Hex(practice.top) + L" VorbelPracticeStandIn (Cabinet dentaire)"},
        {practice.chart, practice.top, Hex(practice.chart) + L" Edit (DUPONT)"},
        {practice.label, practice.top, Hex(practice.label) + L" Static (Jean)"},
        {practice.checkBox, practice.top, Hex(practice.checkBox) + L" Button (Rappel)"},
        {practice.group, practice.top, Hex(practice.group) + L" Button (Patient)"},
        {practice.inGroup, practice.top, Hex(practice.inGroup) + L" Edit (MARTIN)"},
        {untitled, practice.top, Hex(untitled) + L" Static ()"},
    };
    for (const auto& e : expected) {
        const TreeNode* node = NodeOf(tree, e.window);
        ASSERT_NE(node, nullptr) << "missing: " << testing::PrintToString(e.text);
        EXPECT_EQ(node->text, e.text);
        EXPECT_EQ(node->parentWindow, e.parent) << testing::PrintToString(e.text);
    }
    EXPECT_EQ(NodeOf(tree, practice.popup), nullptr) << "owned pop-ups are left out";
    EXPECT_EQ(NodeOf(tree, practice.hidden), nullptr) << "hidden windows are left out";
    EXPECT_EQ(NodeOf(tree, practice.underHidden), nullptr) << "and everything below them";
}

TEST(WindowTree, PreselectedWindowIsSelectedAndInView) {
    test::PracticeStandIn practice;
    // Enough windows above the stand-in for its items to start out of view.
    std::vector<HWND> crowd;
    for (int i = 0; i < 40; ++i)
        crowd.push_back(CreateWindowExW(WS_EX_NOACTIVATE, L"Static", L"foule", WS_POPUP | WS_VISIBLE, 0, 1000, 4, 4,
                                        nullptr, nullptr, nullptr, nullptr));
    CWindowTreeDialog picker;
    picker.window = practice.inGroup;
    HWND caretWindow = nullptr;
    bool visible = false, parentExpanded = false;
    const INT_PTR result = test::RunScripted(
        [&] { return picker.DoModal(nullptr); }, kTreeTitle,
        [&](HWND dialog) {
            const std::vector<TreeNode> tree = test::ReadTree(Tree(dialog));
            const HTREEITEM caret = Caret(dialog);
            for (const TreeNode& n : tree) {
                if (n.item == caret) caretWindow = n.window;
                if (n.window == practice.top) parentExpanded = n.expanded;
            }
            RECT r = {};
            std::memcpy(&r, &caret, sizeof(caret));  // TVM_GETITEMRECT takes the item in the rectangle
            visible = caret && SendMessageW(Tree(dialog), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)) != 0;
            RECT client;
            GetClientRect(Tree(dialog), &client);
            visible = visible && r.top >= 0 && r.bottom <= client.bottom;
            // OK with nothing selected chooses no window.
            Select(dialog, nullptr);
            test::Click(dialog, IDOK);
        });
    for (HWND w : crowd) DestroyWindow(w);
    EXPECT_EQ(caretWindow, practice.inGroup);
    EXPECT_TRUE(parentExpanded);
    EXPECT_TRUE(visible) << "the selected item is scrolled into view";
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(picker.window, nullptr);
}

TEST(WindowTree, DoubleClickChoosesTheItemAndCloses) {
    test::PracticeStandIn practice;
    CWindowTreeDialog picker;
    picker.window = practice.inGroup;  // brings the stand-in's items into view
    bool closedByDoubleClick = false;
    const INT_PTR result =
        test::RunScripted([&] { return picker.DoModal(nullptr); }, kTreeTitle,
                          [&](HWND dialog) {
                              const std::vector<TreeNode> tree = test::ReadTree(Tree(dialog));
                              const TreeNode* chart = NodeOf(tree, practice.chart);
                              if (!chart) return;
                              RECT r = {};
                              std::memcpy(&r, &chart->item, sizeof(chart->item));
                              if (!SendMessageW(Tree(dialog), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)))
                                  return;
                              MapWindowPoints(Tree(dialog), nullptr, reinterpret_cast<POINT*>(&r), 2);
                              const POINT p = test::Centre(r);
                              test::MouseMove(p);
                              for (int i = 0; i < 2; ++i) {
                                  test::MouseDown(p);
                                  test::MouseUp(p);
                              }
                              closedByDoubleClick = test::WaitUntil([&] { return !IsWindow(dialog); });
                          });
    EXPECT_TRUE(closedByDoubleClick);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(picker.window, practice.chart);
}

TEST(WindowTree, EscapeEndsWithoutChoosing) {
    CWindowTreeDialog picker;
    const INT_PTR result = test::RunScripted([&] { return picker.DoModal(nullptr); }, kTreeTitle,
                                             [&](HWND dialog) { PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(result, IDCANCEL);
}

// A window whose thread no longer answers shows an empty text instead of freezing the tree.
TEST(WindowTree, HungWindowShowsAnEmptyText) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND hung = nullptr;
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VorbelHung";
        RegisterClassW(&wc);
        hung = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"Figée", WS_POPUP, 600, 10, 50, 50, nullptr,
                               nullptr, wc.hInstance, nullptr);
        ShowWindow(hung, SW_SHOWNOACTIVATE);
        SetEvent(created);
        WaitForSingleObject(release, INFINITE);  // answers nothing meanwhile
        DestroyWindow(hung);
    });
    WaitForSingleObject(created, INFINITE);
    CWindowTreeDialog picker;
    std::wstring text;
    test::RunScripted([&] { return picker.DoModal(nullptr); }, kTreeTitle,
                      [&](HWND dialog) {
                          const std::vector<TreeNode> tree = test::ReadTree(Tree(dialog));
                          if (const TreeNode* n = NodeOf(tree, hung)) text = n->text;
                          test::Click(dialog, IDOK);
                      });
    SetEvent(release);
    owner.join();
    CloseHandle(release);
    CloseHandle(created);
    EXPECT_EQ(text, Hex(hung) + L" VorbelHung ()");
}

}  // namespace
}  // namespace vorbel
