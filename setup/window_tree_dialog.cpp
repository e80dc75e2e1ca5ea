#include "setup/window_tree_dialog.h"

#include <commctrl.h>

#include <unordered_map>

#include "resources/resource.h"
#include "locator/window_text.h"
#include "text/text.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr size_t kItemTextLimit = 519;
constexpr int kNameRoom = 256;  // class name and window text, terminator included
// More than any patient form shows: a program publishing a huge tree cannot flood the list.
constexpr size_t kMaxElementsPerWindow = 200;

// A field itself, or a dialog box: a list of entries rather than drawn fields.
bool HoldsNoDrawnFields(const wchar_t* className) {
    return IsClassicControlClass(className) || lstrcmpiW(className, L"#32770") == 0;
}

// The windows below one top-level window, each with its item once it is listed.
struct DescendantContext {
    CWindowTreeDialog* dialog;
    std::unordered_map<HWND, HTREEITEM> items;
};

}  // namespace

CWindowTreeDialog::CWindowTreeDialog() : Dialog(IDD_LIST_CONTROL) {
    // The template's tree control needs its class registered before the dialog is created.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

bool CWindowTreeDialog::DoDataExchange(Exchange direction) {
    tree_ = Item(IDC_WINDOW_TREE);
    if (direction == Exchange::Load) {
        FillTree();
        return true;
    }
    window = nullptr;
    element.reset();
    if (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0))) {
        TVITEMW tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        if (SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
            window = reinterpret_cast<HWND>(tv.lParam);
        const auto chosen = elementItems_.find(item);
        if (chosen != elementItems_.end()) element = elements_[chosen->second];
    }
    return true;
}

void CWindowTreeDialog::FillTree() {
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    selected_ = nullptr;
    elements_.clear();
    elementItems_.clear();
    EnumWindows(ListTop, reinterpret_cast<LPARAM>(this));
    if (selected_) SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected_));
}

// Owned pop-ups (whose GetParent is their owner) and hidden windows are left out. One
// enumeration per top-level window reports its descendants, each after its parent: a window is
// listed under its parent's item, and only when that parent was listed, so everything below a
// hidden window stays out.
BOOL CALLBACK CWindowTreeDialog::ListTop(HWND w, LPARAM dialog) {
    auto* self = reinterpret_cast<CWindowTreeDialog*>(dialog);
    if (GetParent(w) || !IsWindowVisible(w)) return TRUE;
    HTREEITEM item = self->InsertWindow(w, TVI_ROOT);
    if (!item) return TRUE;
    self->InsertElements(w, item);
    DescendantContext below = {self, {{w, item}}};
    EnumChildWindows(w, ListDescendant, reinterpret_cast<LPARAM>(&below));
    return TRUE;
}

BOOL CALLBACK CWindowTreeDialog::ListDescendant(HWND w, LPARAM context) {
    auto* c = reinterpret_cast<DescendantContext*>(context);
    const auto parent = c->items.find(GetParent(w));
    if (parent == c->items.end() || !(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE)) return TRUE;
    if (HTREEITEM item = c->dialog->InsertWindow(w, parent->second)) {
        c->items.emplace(w, item);
        c->dialog->InsertElements(w, item);
    }
    return TRUE;
}

HTREEITEM CWindowTreeDialog::InsertWindow(HWND w, HTREEITEM parentItem) {
    wchar_t className[kNameRoom] = {};
    GetClassNameW(w, className, kNameRoom);
    std::u16string text = HexText(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(w))) + u" " + U(className) + u" (" +
                          ReadWindowTextBounded(w, kNameRoom) + u")";
    HTREEITEM item = InsertItem(parentItem, std::move(text), w);
    if (item && w == window) {
        SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        selected_ = item;
    }
    return item;
}

HTREEITEM CWindowTreeDialog::InsertItem(HTREEITEM parentItem, std::u16string text, HWND w) {
    if (text.size() > kItemTextLimit) text.resize(kItemTextLimit);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parentItem;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(W(text));
    insert.item.lParam = reinterpret_cast<LPARAM>(w);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CWindowTreeDialog::InsertElements(HWND w, HTREEITEM windowItem) {
    wchar_t className[kNameRoom] = {};
    GetClassNameW(w, className, kNameRoom);
    if (GetWindow(w, GW_CHILD) || HoldsNoDrawnFields(className)) return;
    for (AccessibleElement& e : TextElementsOf(w, kMaxElementsPerWindow)) {
        // Marked apart from the windows: no handle, a word saying what it is.
        std::u16string text = u"◆ Élément (rôle " + DecimalText(e.path.back().role) + u") « " + e.name + u" »";
        if (!e.value.empty()) text += u" : " + e.value;
        HTREEITEM item = InsertItem(windowItem, std::move(text), w);
        if (!item) continue;
        elementItems_.emplace(item, elements_.size());
        elements_.push_back(std::move(e));
    }
}

bool CWindowTreeDialog::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    if (header->idFrom != IDC_WINDOW_TREE || header->code != NM_DBLCLK) return false;
    result = 0;
    OnOK();
    return true;
}

}  // namespace vorbel
