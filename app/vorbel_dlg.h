// The launch button: a small always-on-top tool window showing the program's icon. Left click
// runs a link, right click opens Setup; a later instance hands its command line to it.
#pragma once

#include <windows.h>

#include <string>

#include "app/button_geometry.h"
#include "app/link_states.h"
#include "win/dialog.h"

namespace vorbel {

inline constexpr UINT WM_VORBEL_HANDOFF = WM_APP;     // a later instance left "CmdLine"
inline constexpr UINT WM_VORBEL_REMOTE = WM_APP + 1;  // lParam: WM_LBUTTONUP or WM_RBUTTONUP
inline constexpr int ID_VORBEL_SETUP = 66;
inline constexpr int ID_VORBEL_QUIT = 67;

// The button's own window class, named in its dialog template: our message boxes carry the
// title "Vorbel" too, so a later instance finds the button by class and title together.
inline constexpr wchar_t kButtonClass[] = L"VorbelLaunchButton";
inline constexpr wchar_t kButtonTitle[] = L"Vorbel";

class CVorbelDlg : public Dialog {
public:
    CVorbelDlg();
    ~CVorbelDlg() override;

    // The command line waiting for a link; empty when nothing is pending.
    std::u16string pendingCommandLine;

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    // The window size for a square client side given at 96 dpi, at the window's own scale.
    ButtonSize WindowSizeForClient(int clientAt96) const;
    void RestoreRect();
    void StoreRect();
    void Paint();
    // Moves the states by the event and does what the table says.
    void On(LinkEvent event);
    void OnHandOff();
    void RunLinkAction();
    void OpenSetup();
    void ShowContextMenu();
    // Hides the button and runs a confirmation; the pause after it ends the link.
    void RunConfirmation(const std::u16string& commandLine);
    // Decides the exit sign, and repaints when it changed. Never from WM_PAINT: the lookup may
    // open the registry and another process.
    void UpdateExitSign();

    HICON icon_;
    void Hide();
    void Show();
    LinkStates states_;
    bool exitMode_ = false;
    // Hidden for Setup or a link: only our own show ends it (see WM_WINDOWPOSCHANGING).
    bool hidden_ = false;
    bool exitSign_ = false;  // exit mode and the imaging program open
    bool placing_ = false;   // restoring R, which is kept whatever scale its monitor has
};

}  // namespace vorbel
