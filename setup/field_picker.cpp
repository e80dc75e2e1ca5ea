#include "setup/field_picker.h"

#include "locator/field_locator.h"
#include "setup/window_tree_dialog.h"
#include "win/error_beep.h"
#include "win/message_box.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr COLORREF kFrameColour = RGB(255, 255, 0);
constexpr int kFrameWidth = 7;
constexpr int kFrameMargin = 3;

// Drawn in exclusive-or mode straight on the screen: drawing it again erases it, and other
// programs need not repaint while the cursor moves.
void DrawFrames(HWND erase, HWND draw) {
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    const int oldMode = SetROP2(screen, R2_XORPEN);
    HGDIOBJ oldBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
    HPEN pen = CreatePen(PS_SOLID, kFrameWidth, kFrameColour);
    HGDIOBJ oldPen = SelectObject(screen, pen);
    for (HWND w : {erase, draw}) {
        RECT r;
        if (!w || !GetWindowRect(w, &r)) continue;
        InflateRect(&r, kFrameMargin, kFrameMargin);
        Rectangle(screen, r.left, r.top, r.right, r.bottom);
    }
    SelectObject(screen, oldPen);
    SelectObject(screen, oldBrush);
    SetROP2(screen, oldMode);
    DeleteObject(pen);
    ReleaseDC(nullptr, screen);
}

}  // namespace

FieldPicker::FieldPicker(Locators& locators, std::function<void()> reload)
    : locators_(locators),
      reload_(std::move(reload)),
      dragCursor_(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TARGET_CURSOR))) {}

void FieldPicker::OnButtonDown(HWND dialog, POINT client) {
    activeField_ = -1;
    hovered_ = nullptr;
    for (int f = 0; f < kSetupFieldCount; ++f) {
        RECT r;
        if (!GetWindowRect(GetDlgItem(dialog, kSetupFields[f].target), &r)) continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (PtInRect(&r, client)) activeField_ = f;
    }
    if (!Dragging()) return;
    pressedAt_ = client;
    ClientToScreen(dialog, &pressedAt_);
    moved_ = false;
    SetCapture(dialog);
    GetWindowRect(dialog, &savedRect_);
    // Out of the way while the user points at the other program.
    MoveWindow(dialog, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left, 0, TRUE);
}

void FieldPicker::OnMouseMove(HWND dialog, POINT client) {
    if (!Dragging() || GetCapture() != dialog) return;
    if (dragCursor_) SetCursor(dragCursor_);
    POINT screen = client;
    ClientToScreen(dialog, &screen);
    // Collapsing the dialog makes the system report a move under a cursor that stayed put; a
    // press released where it was made designates nothing.
    if (!moved_ && screen.x == pressedAt_.x && screen.y == pressedAt_.y) return;
    moved_ = true;
    lastAt_ = screen;
    HWND under = ControlAtScreenPoint(screen);
    if (!under || under == hovered_) return;
    DrawFrames(hovered_, under);
    hovered_ = under;
}

void FieldPicker::OnButtonUp(HWND dialog) {
    if (Dragging() && GetCapture() == dialog) EndDrag(dialog, true);
}

void FieldPicker::OnCaptureChanged(HWND dialog) {
    if (Dragging()) EndDrag(dialog, false);
}

void FieldPicker::CancelDrag(HWND dialog) {
    if (Dragging()) EndDrag(dialog, false);
}

void FieldPicker::EndDrag(HWND dialog, bool designate) {
    const int field = activeField_;
    const HWND hovered = hovered_;
    // Cleared first: releasing the capture reports the change back to us.
    activeField_ = -1;
    hovered_ = nullptr;
    if (GetCapture() == dialog) ReleaseCapture();
    MoveWindow(dialog, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left,
               savedRect_.bottom - savedRect_.top, TRUE);
    // Repaints every window, and with them the place of the last frame.
    InvalidateRect(nullptr, nullptr, FALSE);
    if (!designate || !hovered) return;
    // A window that closed during the drag cannot be remembered.
    if (!IsWindow(hovered)) {
        ErrorBeep();
        return;
    }
    Designate(dialog, field, hovered, lastAt_);
}

void FieldPicker::Designate(HWND dialog, int field, HWND window, std::optional<POINT> screen) {
    DesignatedField designated = DesignateField(window, screen);
    const bool refused = window && designated.locator.empty();
    Store(dialog, field, std::move(designated.locator), refused, designated.element);
}

void FieldPicker::Store(HWND dialog, int field, std::u16string locator, bool refused, bool element) {
    if (refused) {
        std::u16string text = u"Ce contrôle ne peut pas être mémorisé pour le champ « ";
        text += kSetupFields[field].label;
        text += element ? u" » : son chemin dans la fenêtre ou le nom de sa fenêtre est trop long, ou contient des "
                          u"caractères que Vorbel ne sait pas conserver. Le champ garde sa désignation précédente."
                        : u" » : le nom de sa fenêtre est trop long ou contient des caractères que Vorbel ne sait pas "
                          u"conserver. Le champ garde sa désignation précédente.";
        ShowWarning(dialog, text, kSetupTitle);
        return;
    }
    locators_[field] = std::move(locator);
    reload_();
}

void FieldPicker::OnPick(HWND dialog, int field) {
    std::u16string& locator = locators_[field];
    CWindowTreeDialog tree;
    tree.window = locator.empty() ? nullptr : FindLocatedControl(locator, LocatorLookup::StructureFirst);
    if (tree.DoModal(dialog) != IDOK) return;
    if (tree.window && !IsWindow(tree.window)) {
        // Closed since the tree was filled: nothing to remember.
        ErrorBeep();
        return;
    }
    if (tree.element) {
        std::u16string chosen = BuildElementLocator(*tree.element);
        const bool refused = chosen.empty();
        Store(dialog, field, std::move(chosen), refused, true);
        return;
    }
    Designate(dialog, field, tree.window, std::nullopt);
}

}  // namespace vorbel
