// TEMPORARY, until capture and the hand-off are merged: the real launch button (vorbel_dlg.cpp)
// needs them to link. This stand-in lets Vorbel.exe link and end at once, as it did before the
// button; delete it and build vorbel_dlg.cpp and imaging_window.cpp instead.
#include "app/vorbel_dlg.h"

#include "resources/resource.h"

namespace vorbel {

CVorbelDlg::CVorbelDlg() : Dialog(IDD_VORBEL), icon_(nullptr) {}
CVorbelDlg::~CVorbelDlg() = default;

bool CVorbelDlg::OnInitDialog() {
    EndDialog(IDCANCEL);
    return true;
}

bool CVorbelDlg::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

}  // namespace vorbel
