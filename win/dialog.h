// A thin modal dialog base: one object per dialog, `this` carried through DialogBoxParam, one
// message handler with a few typed hooks, and a load/save data exchange.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorbel {

class Dialog {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog's own modal loop; returns the EndDialog result, or -1 when it could not
    // be created.
    INT_PTR DoModal(HWND parent);
    HWND hwnd() const { return hwnd_; }

protected:
    enum class Exchange { Load, Save };

    // Moves data between controls and wherever it lives. Returning false on Save refuses OK:
    // the dialog stays open with its contents.
    virtual bool DoDataExchange(Exchange) { return true; }
    // Default: loads the controls. Return false when the focus was set by hand.
    virtual bool OnInitDialog();
    // Default: saves, and closes with IDOK only when saving succeeded.
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The message map: return true when handled, with the result in `result`. Asked first.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result);
    // WM_COMMAND of an item, unpacked, when OnMessage declined it: a button's click (OK and Cancel
    // go to OnOK and OnCancel), any other notification (EN_CHANGE, CBN_SELCHANGE...). Return true
    // when handled.
    virtual bool OnButtonClicked(int /*id*/) { return false; }
    virtual bool OnItemNotified(int /*id*/, int /*code*/) { return false; }

    void EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }
    // Centres the window on the work area of the monitor it is on, keeping its size.
    void CenterOnWorkArea();
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::u16string ItemText(int id) const;
    void SetItemText(int id, const std::u16string& text);
    // A check box or radio button: checked means BST_CHECKED, not the third state.
    bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) { CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    // Pictures are laid out in dialog units, which grow with the display scale: each bitmap
    // static gets its picture resampled once to its slot, smoothly, rather than left small or
    // stretched pixel by pixel at every paint.
    void FitPictures();

    int templateId_;
    HWND hwnd_ = nullptr;
    std::vector<HBITMAP> pictures_;  // made by FitPictures, deleted with the window
};

}  // namespace vorbel
