#include "patient/window_fields.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "locator/locator_text.h"
#include "settings/settings.h"
#include "win/foreign_message.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr char16_t kWinDevClass[] = u"WinDevObject";
constexpr char16_t kVisioDentClass[] = u"FENETRE_VISIODENT32";
constexpr WPARAM kVisioDentReadCommand = 30036;
// Time for the practice program to act on what it was sent before its fields are read.
constexpr DWORD kPreparationPauseMs = 2000;

// Key-message lParams: repeat count 1; bit 29 Alt held, bit 30 key was down, bit 31 released.
constexpr LPARAM KeyLParam(uint32_t bits) { return static_cast<LPARAM>(static_cast<LONG>(bits)); }
constexpr LPARAM kAltKeyDown = KeyLParam(0x20000001u);
constexpr LPARAM kAltChar = KeyLParam(0x00000001u);
constexpr LPARAM kAltKeyUp = KeyLParam(0xE0000001u);
constexpr LPARAM kKeyDown = KeyLParam(0x00000001u);
constexpr LPARAM kKeyUp = KeyLParam(0xC0000001u);

class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// The top-level window of the locator's class when that class is the one asked for (any case).
HWND OpenWindowOf(const std::optional<ParsedLocator>& locator, const char16_t* programClass) {
    if (!locator || !SameClassName(locator->className, programClass)) return nullptr;
    return FindWindowW(W(locator->className), nullptr);
}

void PrepareReading(const std::optional<ParsedLocator>& chartNumberLocator) {
    if (HWND windev = OpenWindowOf(chartNumberLocator, kWinDevClass)) {
        SendToForeignWindow(windev, WM_SYSKEYDOWN, 'E', kAltKeyDown);
        SendToForeignWindow(windev, WM_SYSCHAR, 'e', kAltChar);
        SendToForeignWindow(windev, WM_SYSKEYUP, 'E', kAltKeyUp);
        WaitCursor wait;
        Sleep(kPreparationPauseMs);
    } else if (HWND visiodent = OpenWindowOf(chartNumberLocator, kVisioDentClass)) {
        WaitCursor wait;
        SendToForeignWindow(visiodent, WM_COMMAND, kVisioDentReadCommand, 0);
        Sleep(kPreparationPauseMs);
    }
}

void FinishReading(const std::optional<ParsedLocator>& firstNameLocator) {
    if (HWND windev = OpenWindowOf(firstNameLocator, kWinDevClass)) {
        SendToForeignWindow(windev, WM_KEYDOWN, VK_ESCAPE, kKeyDown);
        SendToForeignWindow(windev, WM_KEYUP, VK_ESCAPE, kKeyUp);
    }
}

}  // namespace

PatientRecord ReadWindowFields(uint32_t key, LocatorLookup lookup) {
    FieldLocators locators;
    locators.chartNumber = ReadSetting(Setting::ChartNumberLocator, key);
    locators.lastName = ReadSetting(Setting::LastNameLocator, key);
    locators.firstName = ReadSetting(Setting::FirstNameLocator, key);
    return ReadWindowFields(locators, lookup);
}

PatientRecord ReadWindowFields(const FieldLocators& locators, LocatorLookup lookup) {
    // Parsed once, for the preparation, the reading and the closing alike.
    const std::vector<std::optional<ParsedLocator>> parsed = {ParseFieldLocator(locators.chartNumber),
                                                              ParseFieldLocator(locators.lastName),
                                                              ParseFieldLocator(locators.firstName)};
    PrepareReading(parsed[0]);
    std::vector<std::u16string> read = ReadLocatedFields(parsed, lookup);
    FinishReading(parsed[2]);
    PatientRecord record;
    record.chartNumber = std::move(read[0]);
    record.lastName = std::move(read[1]);
    record.firstName = std::move(read[2]);
    return record;
}

}  // namespace vorbel
