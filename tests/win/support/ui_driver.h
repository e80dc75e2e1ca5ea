// Driving real dialogs in-process under Wine: the dialog runs modally on the test's thread while
// a script on a second thread clicks, types and reads it, as a person at the screen would.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/win/support/dialog_search.h"
#include "tests/win/support/mouse_input.h"
#include "tests/win/support/win_test_support.h"

namespace vorbel::test {

// Polls every 10 ms; true as soon as `done` holds, false after timeoutMs.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

HWND WaitForDialog(DWORD thread, std::wstring_view titlePrefix, HWND owner = nullptr, DWORD timeoutMs = 15000);

// Runs `runModal` on this thread while `script` drives the dialog titled `titlePrefix`. Dialogs
// still open when the script returns are cancelled, so that a failed script cannot hang the
// test. Returns what runModal returned.
INT_PTR RunScripted(const std::function<INT_PTR()>& runModal, std::wstring_view titlePrefix,
                    const std::function<void(HWND dialog)>& script);

std::wstring Text(HWND window);
std::wstring ItemText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
RECT ScreenRect(HWND window);
POINT Centre(const RECT& r);
// A click as the control reports it to its dialog (posted: the handler may run a nested dialog).
void PostClick(HWND dialog, int id);
// The same, waiting until the dialog has handled it.
void Click(HWND dialog, int id);

struct TreeNode {
    HTREEITEM item;
    HWND window;        // the item's data
    HWND parentWindow;  // the data of the item above, null at the root
    std::wstring text;
    bool expanded;
};
std::vector<TreeNode> ReadTree(HWND tree);

// A stand-in for a practice program: a top-level window with the kinds of controls Setup is
// pointed at, a hidden panel and an owned pop-up. Created on the calling thread, kept on the
// left of the screen, away from the centred dialogs.
class PracticeStandIn {
public:
    explicit PracticeStandIn(const wchar_t* className = L"VorbelPracticeStandIn");
    ~PracticeStandIn();
    PracticeStandIn(const PracticeStandIn&) = delete;
    PracticeStandIn& operator=(const PracticeStandIn&) = delete;

    HWND top = nullptr;
    HWND chart = nullptr;     // Edit "DUPONT"
    HWND label = nullptr;     // Static "Jean"
    HWND checkBox = nullptr;  // check box "Rappel", ticked
    HWND group = nullptr;     // group frame "Patient", before the edit it holds
    HWND inGroup = nullptr;   // Edit "MARTIN" inside the frame
    HWND hidden = nullptr;    // hidden panel
    HWND underHidden = nullptr;
    HWND popup = nullptr;  // owned pop-up "Surgissante"

    // Posted to `top`: it takes the mouse capture.
    static constexpr UINT kTakeCapture = WM_APP + 7;
};

}  // namespace vorbel::test
