// The dialogs at the display scale the test runs at: 100 % on the plain test screen, 150 % and
// 200 % under tests/rig/monitors.sh. Every text fits its control, every control lies inside the
// dialog, and the side picture fills its slot at the scale, not stretched at paint time.
#include <gtest/gtest.h>

#include <string>

#include "app/confirmation_dialog.h"
#include "resources/resource.h"
#include "setup/window_tree_dialog.h"
#include "setup/setup_dialog.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/ui_driver.h"
#include "win/progress_window.h"

namespace vorbel {
namespace {

std::wstring ClassOf(HWND w) {
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    return cls;
}

SIZE TextSize(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

SIZE ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

// What each control needs to show its whole text, compared with what it has.
void ExpectNothingClipped(HWND dialog) {
    RECT inside;
    GetClientRect(dialog, &inside);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring text = test::Text(child), cls = ClassOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(child) << " \""
                                        << std::string(text.begin(), text.end()) << "\"");
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= inside.right && r.bottom <= inside.bottom)
            << "inside the dialog";
        if (text.empty()) continue;
        const SIZE need = TextSize(child, text), have = ClientSize(child);
        if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
            EXPECT_LE(need.cx, have.cx);
            EXPECT_LE(need.cy, have.cy);
        } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
            const LONG kind = style & BS_TYPEMASK;
            const bool box = (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON ||
                              kind == BS_RADIOBUTTON) &&
                             !(style & BS_PUSHLIKE);
            // The box and the gap before the text grow with the scale, as the font does.
            const int boxWidth = box ? MulDiv(GetSystemMetrics(SM_CXMENUCHECK), 4, 3) : 2 * GetSystemMetrics(SM_CXEDGE);
            EXPECT_LE(need.cx + boxWidth, have.cx);
            EXPECT_LE(need.cy, have.cy);
        }
    }
}

// slotHeight: the picture's height in the template, in dialog units (its width is 175).
void ExpectPictureFillsItsSlot(HWND dialog, int slotHeight) {
    HWND picture = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && !picture; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
    }
    ASSERT_NE(picture, nullptr);
    RECT slot = {0, 0, 175, slotHeight};
    MapDialogRect(dialog, &slot);
    const SIZE have = ClientSize(picture);
    EXPECT_EQ(have.cx, slot.right);
    EXPECT_EQ(have.cy, slot.bottom);
    BITMAP bm = {};
    GetObjectW(reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, have.cx) << "drawn one to one";
    EXPECT_EQ(bm.bmHeight, have.cy);
}

class DialogLayout : public test::SetupRegistryTest {};

TEST_F(DialogLayout, ConfirmationShowsEverythingAtThisScale) {
    CConfirmationDialog confirmation(u"");
    test::RunScripted([&] { return confirmation.DoModal(nullptr); }, L"Informations extraites",
                      [](HWND d) {
                          ExpectNothingClipped(d);
                          ExpectPictureFillsItsSlot(d, 148);
                      });
}

TEST_F(DialogLayout, SetupShowsEverythingAtThisScale) {
    CSetupDialog setup;
    test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle,
                      [](HWND d) {
                          ExpectNothingClipped(d);
                          ExpectPictureFillsItsSlot(d, 142);
                          // The targets' larger font still fits its little box.
                          for (int id : {IDC_CHART_TARGET, IDC_CHART_PICK}) {
                              HWND target = GetDlgItem(d, id);
                              EXPECT_LE(TextSize(target, test::Text(target)).cy, ClientSize(target).cy) << id;
                          }
                      });
}

TEST_F(DialogLayout, WindowTreeShowsEverythingAtThisScale) {
    CWindowTreeDialog picker;
    test::RunScripted([&] { return picker.DoModal(nullptr); }, L"Liste des fenêtres",
                      [](HWND d) { ExpectNothingClipped(d); });
}

// The window over one that waits for a worker, with the web export's text: laid out in dialog
// units, as the templates are, not in pixels.
TEST_F(DialogLayout, ProgressWindowShowsEverythingAtThisScale) {
    ProgressWindow progress(nullptr, u"Internet", u"Envoi du patient au site Web\u2026");
    ASSERT_NE(progress.hwnd(), nullptr);
    ExpectNothingClipped(progress.hwnd());
    RECT designed = {0, 0, 200, 50};
    MapDialogRect(progress.hwnd(), &designed);
    EXPECT_EQ(ClientSize(progress.hwnd()).cx, designed.right);
    EXPECT_EQ(ClientSize(progress.hwnd()).cy, designed.bottom);
}

}  // namespace
}  // namespace vorbel
