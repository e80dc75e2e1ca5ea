// What the launch button does with each click and request, by what it is busy with: one link at
// a time, never a link nested in Setup or in a menu, and every request that came meanwhile
// handed off once when the button is free again. Platform-free.
#pragma once

#include <cstdint>

namespace vorbel {

enum class LinkState : uint8_t {
    Idle,          // at rest
    Link,          // a link runs: the confirmation, or the pause after it
    Setup,         // Setup is open
    Box,           // the button's context menu is open
    LinkWaiting,   // as Link, Setup or Box, with a later instance's request waiting
    SetupWaiting,  //
    BoxWaiting,    //
};
inline constexpr int kLinkStateCount = 7;

enum class LinkEvent : uint8_t {
    Click,          // the button's own left click
    RemoteClick,    // another program's WM_APP + 1 with WM_LBUTTONUP
    RemoteMenu,     // another program's WM_APP + 1 with WM_RBUTTONUP
    LaterInstance,  // WM_APP: a request received from "CmdLine" (or the start-up command line)
    SetupOpened,    // right click, or "Setup" in the context menu
    SetupClosed,
    BoxClosed,  // the context menu closed
    LinkEnded,  // the confirmation closed and the pause after it is over, or no confirmation ran
};
inline constexpr int kLinkEventCount = 8;

enum class LinkAction : uint8_t {
    None,
    Beep,       // refused: a click during a link would start the imaging program twice
    RunLink,    // the link action of a click: exit mode, or a capture
    HandOff,    // take the waiting request and run a link with it
    OpenSetup,  //
    ShowMenu,   //
};

struct LinkStep {
    LinkState next;
    LinkAction action;
    bool operator==(const LinkStep&) const = default;
};

// The table: what an event does in a state.
LinkStep NextLinkStep(LinkState state, LinkEvent event);

// The button's current state, moved by the table.
class LinkStates {
public:
    LinkAction On(LinkEvent event) {
        const LinkStep step = NextLinkStep(state_, event);
        state_ = step.next;
        return step.action;
    }
    LinkState state() const { return state_; }

private:
    LinkState state_ = LinkState::Idle;
};

const char* LinkStateName(LinkState state);
const char* LinkEventName(LinkEvent event);

}  // namespace vorbel
