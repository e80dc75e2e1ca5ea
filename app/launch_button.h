// The launch button: a small always-on-top tool window showing the program's icon. Left click
// runs a link, right click opens Setup; a later instance hands its command line to it.
#pragma once

#include <windows.h>

#include <string>

#include "app/button_geometry.h"
#include "app/link_states.h"
#include "win/dialog.h"

namespace vorbel {

inline constexpr UINT WM_VORBEL_HANDOFF = WM_APP;  // a request waits in "CmdLine"
// The button's answer to a WM_VORBEL_HANDOFF sent by a later instance: it holds the request and
// hands it off, or nobody does. Any other answer (0 from a button that is closing), a failure or
// no answer in time: the request was not received.
inline constexpr LRESULT kRequestReceived = 1;
inline constexpr UINT WM_VORBEL_REMOTE = WM_APP + 1;  // lParam: WM_LBUTTONUP or WM_RBUTTONUP
inline constexpr int ID_VORBEL_SETUP = 66;
inline constexpr int ID_VORBEL_QUIT = 67;

// The button's own window class, named in its dialog template: our message boxes carry the
// title "Vorbel" too, so a later instance finds the button by class and title together.
inline constexpr wchar_t kButtonClass[] = L"VorbelLaunchButton";
inline constexpr wchar_t kButtonTitle[] = L"Vorbel";

class CLaunchButton : public Dialog {
public:
    CLaunchButton();
    ~CLaunchButton() override;

    // The command line waiting for a link; empty when nothing is pending.
    std::u16string pendingCommandLine;

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    // Enter, Escape, the close box and "Quitter" all end the button here.
    void OnOK() override { End(IDOK); }
    void OnCancel() override { End(IDCANCEL); }

private:
    // The window size for a square client side given at 96 dpi, at the window's own scale.
    ButtonSize WindowSizeForClient(int clientAt96) const;
    void RestoreRect();
    void StoreRect();
    void Paint();
    // Moves the states by the event and does what the table says.
    void On(LinkEvent event);
    // WM_VORBEL_HANDOFF: takes what waits in "CmdLine"; the answer for a later instance.
    LRESULT OnRequest();
    void OnHandOff();
    // A button that ends hands nothing off any more: it refuses requests and drops what waits.
    void End(INT_PTR result);
    void DropRequests();
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
    // A later instance's request, taken when it came and waiting for its link; the newest wins.
    std::u16string receivedRequest_;
    bool ending_ = false;
    bool exitMode_ = false;
    // Hidden for Setup or a link: only our own show ends it (see WM_WINDOWPOSCHANGING).
    bool hidden_ = false;
    bool exitSign_ = false;  // exit mode and the imaging program open
    bool placing_ = false;   // restoring R, which is kept whatever scale its monitor has
};

}  // namespace vorbel
