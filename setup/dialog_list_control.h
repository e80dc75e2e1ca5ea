// The window-tree picker: every visible window on the desktop as a tree, top-level windows at
// the root and each window's visible children below it; the user chooses one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/dialog.h"

namespace vorbel {

class CDialogListControl : public Dialog {
public:
    CDialogListControl();

    // Before running: the window to show selected, or null. After OK: the chosen window, or
    // null when no item was selected. Meaningless after any other ending.
    HWND window = nullptr;

protected:
    bool DoDataExchange(Exchange direction) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    void FillTree();
    // Adds a window's item under parentItem, selected when it is `window`; null when refused.
    HTREEITEM InsertWindow(HWND w, HTREEITEM parentItem);
    static BOOL CALLBACK ListTop(HWND w, LPARAM dialog);
    static BOOL CALLBACK ListDescendant(HWND w, LPARAM context);

    HWND tree_ = nullptr;
    HTREEITEM selected_ = nullptr;
};

}  // namespace vorbel
