// Figure 2: the window-tree picker's fill over the stand-in practice program with 2,000 more
// windows, against a bare EnumWindows + EnumChildWindows + WM_GETTEXT + TVM_INSERTITEM loop over
// the same windows into the same kind of tree.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "resources/resource.h"
#include "setup/window_tree_dialog.h"

using namespace vorbel;

namespace {

constexpr int kRuns = 9;
constexpr int kExtraWindows = 2000;

// The picker as the user opens it, timed from its loading step; it closes at once.
class TimedListControl : public CWindowTreeDialog {
public:
    double elapsedMs = 0;
    LRESULT items = 0;

protected:
    bool OnInitDialog() override {
        const double t0 = bench::NowMs();
        const bool result = CWindowTreeDialog::OnInitDialog();
        elapsedMs = bench::NowMs() - t0;
        items = SendMessageW(Item(IDC_WINDOW_TREE), TVM_GETCOUNT, 0, 0);
        EndDialog(IDCANCEL);
        return result;
    }
};

struct BareContext {
    HWND tree;
    HTREEITEM parent;
};

HTREEITEM InsertWithText(HWND tree, HWND w, HTREEITEM parent) {
    wchar_t text[256];
    const LRESULT n = SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    text[n >= 0 && n < 256 ? n : 0] = 0;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = text;
    insert.item.lParam = reinterpret_cast<LPARAM>(w);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

BOOL CALLBACK BareChild(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<BareContext*>(p);
    if (IsWindowVisible(w)) InsertWithText(c->tree, w, c->parent);
    return TRUE;
}

BOOL CALLBACK BareTop(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<BareContext*>(p);
    if (!IsWindowVisible(w)) return TRUE;
    BareContext children = {c->tree, InsertWithText(c->tree, w, TVI_ROOT)};
    EnumChildWindows(w, BareChild, reinterpret_cast<LPARAM>(&children));
    return TRUE;
}

double BareFill(LRESULT& items) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_SINGLEEXPAND,
                                0, 0, 400, 400, host, nullptr, nullptr, nullptr);
    BareContext top = {tree, TVI_ROOT};
    const double t0 = bench::NowMs();
    EnumWindows(BareTop, reinterpret_cast<LPARAM>(&top));
    const double elapsed = bench::NowMs() - t0;
    items = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    DestroyWindow(host);
    return elapsed;
}

}  // namespace

int wmain() {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HANDLE practice =
        bench::Start(L"\"" + bench::BinDir() + L"practice_standin.exe\" --extra=" + std::to_wstring(kExtraWindows));
    if (!practice) bench::Fail("practice stand-in");
    WaitForInputIdle(practice, 20000);
    if (!bench::WaitForTopWindow(practice, 20000)) bench::Fail("the practice stand-in never showed");

    LRESULT pickerItems = 0, bareItems = 0;
    // The ratio is taken within each round, so that a change of load between rounds stays out.
    std::vector<double> ratios;
    for (int i = 0; i <= kRuns; ++i) {  // the first round warms up and is not counted
        const double b = BareFill(bareItems);
        TimedListControl dialog;
        dialog.DoModal(nullptr);
        pickerItems = dialog.items;
        if (i > 0) ratios.push_back(dialog.elapsedMs / b);
    }
    TerminateProcess(practice, 0);
    WaitForSingleObject(practice, 5000);
    CloseHandle(practice);

    std::printf("2. Window-tree fill: %s (picker fill / bare loop, %ld and %ld items, %d rounds; target <= 1.2)\n",
                bench::Spread(ratios).c_str(), static_cast<long>(pickerItems), static_cast<long>(bareItems), kRuns);
    return 0;
}
