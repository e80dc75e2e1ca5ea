// The window-tree picker: every visible window on the desktop as a tree, top-level windows at
// the root and each window's visible children below it; under a window without children that
// draws its fields itself, the elements it publishes with a name or a value. The user chooses one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <unordered_map>
#include <vector>

#include "locator/accessible_element.h"
#include "win/dialog.h"

namespace vorbel {

class CWindowTreeDialog : public Dialog {
public:
    CWindowTreeDialog();

    // Before running: the window to show selected, or null. After OK: the chosen window, or
    // null when no item was selected. Meaningless after any other ending.
    HWND window = nullptr;
    // After OK: the element chosen, drawn by `window`; nullopt when a window was chosen.
    std::optional<AccessibleElement> element;

protected:
    bool DoDataExchange(Exchange direction) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    void FillTree();
    // Adds a window's item under parentItem, selected when it is `window`; null when refused.
    HTREEITEM InsertWindow(HWND w, HTREEITEM parentItem);
    static BOOL CALLBACK ListTop(HWND w, LPARAM dialog);
    static BOOL CALLBACK ListDescendant(HWND w, LPARAM context);
    // Lists the elements a window without children draws, under its item.
    void InsertElements(HWND w, HTREEITEM windowItem);
    // One item under `parentItem`, its text cut to what the list shows, standing for window `w`.
    HTREEITEM InsertItem(HTREEITEM parentItem, std::u16string text, HWND w);

    HWND tree_ = nullptr;
    HTREEITEM selected_ = nullptr;
    std::vector<AccessibleElement> elements_;
    std::unordered_map<HTREEITEM, size_t> elementItems_;  // item -> index in elements_
};

}  // namespace vorbel
