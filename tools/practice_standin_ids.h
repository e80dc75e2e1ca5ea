// What the stand-in practice program shows, shared with the tests that read it.
#pragma once

#include <windows.h>

#include <string>

namespace vorbel::standin {

// Control identifiers (GetDlgCtrlID). Nesting: top window > main panel > identity panel > fields.
enum : int {
    kHeaderPanel = 1001,
    kMainPanel = 1002,
    kIdentityPanel = 1003,
    kAlertsPanel = 1004,
    kNotesPanel = 1005,
    kHistoryPanel = 1006,

    kIdentityFrame = 1100,  // group frame listed before the fields it surrounds
    kChartNumber = 1101,
    kLastName = 1102,
    kFirstName = 1103,
    kBirthDate = 1104,
    kCivility = 1105,  // drop-down list with a selection
    kActive = 1106,    // check box "Patient actif"

    kAlertsFrame = 1200,
    kAllergyCard = 1201,  // etched frame
    kUpToDate = 1202,     // later sibling lying over the card's centre
    kNotes = 1301,        // multi-line edit
    kFirstExtra = 2000,   // --extra windows, numbered on from here
};

// Sent (not posted) to the top window: the stand-in replies, then stops answering for good.
inline constexpr UINT kHangNowMessage = WM_USER + 0x100;

// Client size the layout is drawn for; other sizes scale every control with the window.
inline constexpr int kDesignWidth = 640;
inline constexpr int kDesignHeight = 440;

// The long texts of --notes=N and --item=N.
inline std::wstring PatternText(size_t length) {
    static constexpr wchar_t kCycle[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring text;
    for (size_t i = 0; i < length; ++i) text.push_back(kCycle[i % 36]);
    return text;
}

}  // namespace vorbel::standin
