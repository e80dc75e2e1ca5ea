#include "setup/dialog_list_control.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "setup/window_text.h"
#include "settings/text.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr size_t kItemTextLimit = 519;
constexpr int kNameRoom = 256;  // class name and window text, terminator included

struct ListContext {
    CDialogListControl* dialog;
    HWND parent;
    HTREEITEM parentItem;
};

}  // namespace

CDialogListControl::CDialogListControl() : Dialog(IDD_LIST_CONTROL) {
    // The template's tree control needs its class registered before the dialog is created.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

bool CDialogListControl::DoDataExchange(Exchange direction) {
    tree_ = Item(IDC_WINDOW_TREE);
    if (direction == Exchange::Load) {
        FillTree();
        return true;
    }
    window = nullptr;
    if (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0))) {
        TVITEMW tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        if (SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) window = reinterpret_cast<HWND>(tv.lParam);
    }
    return true;
}

void CDialogListControl::FillTree() {
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    selected_ = nullptr;
    ListContext top = {this, nullptr, TVI_ROOT};
    EnumWindows(ListChild, reinterpret_cast<LPARAM>(&top));
    if (selected_) SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected_));
}

BOOL CALLBACK CDialogListControl::ListChild(HWND w, LPARAM context) {
    auto* c = reinterpret_cast<ListContext*>(context);
    c->dialog->ListWindow(w, c->parent, c->parentItem);
    return TRUE;
}

// Both enumerations report every descendant; keeping only those whose parent is `parent` puts
// each window exactly once, under its own parent. Owned pop-ups (whose GetParent is their
// owner) and everything below a hidden window are left out.
void CDialogListControl::ListWindow(HWND w, HWND parent, HTREEITEM parentItem) {
    if (GetParent(w) != parent || !IsWindowVisible(w)) return;
    wchar_t className[kNameRoom] = {};
    GetClassNameW(w, className, kNameRoom);
    std::u16string text = HexText(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(w))) + u" " + U(className) + u" (" +
                          ReadWindowTextBounded(w, kNameRoom) + u")";
    if (text.size() > kItemTextLimit) text.resize(kItemTextLimit);

    TVINSERTSTRUCTW insert = {};
    insert.hParent = parentItem;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(W(text));
    insert.item.lParam = reinterpret_cast<LPARAM>(w);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return;
    if (w == window) {
        SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        selected_ = item;
    }
    ListContext children = {this, w, item};
    EnumChildWindows(w, ListChild, reinterpret_cast<LPARAM>(&children));
}

bool CDialogListControl::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    if (header->idFrom != IDC_WINDOW_TREE || header->code != NM_DBLCLK) return false;
    result = 0;
    OnOK();
    return true;
}

}  // namespace vorbel
