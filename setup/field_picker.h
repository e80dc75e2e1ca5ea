// Designating the practice program's controls from Setup: by dragging a field's target onto the
// control, framed on the screen while the cursor moves, or by choosing it in the window tree.
// Either way the field's locator is replaced and Setup reloads its controls.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "setup/setup_fields.h"

namespace vorbel {

class FieldPicker {
public:
    using Locators = std::array<std::u16string, kSetupFieldCount>;

    // `locators` are Setup's working copies; `reload` reloads Setup's controls.
    FieldPicker(Locators& locators, std::function<void()> reload);

    // Mouse events of the Setup dialog, in its client coordinates.
    void OnButtonDown(HWND dialog, POINT client);
    void OnMouseMove(HWND dialog, POINT client);
    void OnButtonUp(HWND dialog);
    // The capture went elsewhere before the button was released: the drag is abandoned.
    void OnCaptureChanged(HWND dialog);
    // The "+" button of a field.
    void OnPick(HWND dialog, int field);

    bool Dragging() const { return activeField_ >= 0; }
    // Abandons a drag in progress; designates nothing.
    void CancelDrag(HWND dialog);

private:
    void EndDrag(HWND dialog, bool designate);
    // Replaces the field's locator with the window's, or with the element's that the window
    // draws at `screen` when it is no classic control; a field that cannot be remembered exactly
    // is refused with a message and keeps what it had.
    void Designate(HWND dialog, int field, HWND window, std::optional<POINT> screen);
    void Store(HWND dialog, int field, std::u16string locator, bool refused, bool element);

    Locators& locators_;
    std::function<void()> reload_;
    HCURSOR dragCursor_;
    int activeField_ = -1;
    HWND hovered_ = nullptr;
    RECT savedRect_ = {};
    POINT pressedAt_ = {};  // screen
    POINT lastAt_ = {};     // screen, where the cursor last moved
    bool moved_ = false;
};

}  // namespace vorbel
