#include "app/link_states.h"

namespace vorbel {
namespace {

using S = LinkState;
using A = LinkAction;

// One row per state, one column per event, in the order of their declarations:
//   Click, RemoteClick, RemoteMenu, LaterInstance, SetupOpened, SetupClosed, BoxClosed, LinkEnded.
// While anything is open a click is refused aloud, a menu or a second Setup is not shown, and a
// request waits; when what is open closes, a request that waited runs. "Setup" chosen in the
// menu arrives after the menu has closed.
constexpr LinkStep kTable[kLinkStateCount][kLinkEventCount] = {
    // Idle
    {{S::Link, A::RunLink},
     {S::Link, A::RunLink},
     {S::Box, A::ShowMenu},
     {S::Link, A::HandOff},
     {S::Setup, A::OpenSetup},
     {S::Idle, A::None},
     {S::Idle, A::None},
     {S::Idle, A::None}},
    // Link
    {{S::Link, A::Beep},
     {S::Link, A::Beep},
     {S::Link, A::None},
     {S::LinkWaiting, A::None},
     {S::Link, A::None},
     {S::Link, A::None},
     {S::Link, A::None},
     {S::Idle, A::None}},
    // Setup
    {{S::Setup, A::Beep},
     {S::Setup, A::Beep},
     {S::Setup, A::None},
     {S::SetupWaiting, A::None},
     {S::Setup, A::None},
     {S::Idle, A::None},
     {S::Setup, A::None},
     {S::Setup, A::None}},
    // Box
    {{S::Box, A::Beep},
     {S::Box, A::Beep},
     {S::Box, A::None},
     {S::BoxWaiting, A::None},
     {S::Box, A::None},
     {S::Box, A::None},
     {S::Idle, A::None},
     {S::Box, A::None}},
    // LinkWaiting
    {{S::LinkWaiting, A::Beep},
     {S::LinkWaiting, A::Beep},
     {S::LinkWaiting, A::None},
     {S::LinkWaiting, A::None},
     {S::LinkWaiting, A::None},
     {S::LinkWaiting, A::None},
     {S::LinkWaiting, A::None},
     {S::Link, A::HandOff}},
    // SetupWaiting
    {{S::SetupWaiting, A::Beep},
     {S::SetupWaiting, A::Beep},
     {S::SetupWaiting, A::None},
     {S::SetupWaiting, A::None},
     {S::SetupWaiting, A::None},
     {S::Link, A::HandOff},
     {S::SetupWaiting, A::None},
     {S::SetupWaiting, A::None}},
    // BoxWaiting
    {{S::BoxWaiting, A::Beep},
     {S::BoxWaiting, A::Beep},
     {S::BoxWaiting, A::None},
     {S::BoxWaiting, A::None},
     {S::BoxWaiting, A::None},
     {S::BoxWaiting, A::None},
     {S::Link, A::HandOff},
     {S::BoxWaiting, A::None}},
};

}  // namespace

LinkStep NextLinkStep(LinkState state, LinkEvent event) {
    return kTable[static_cast<int>(state)][static_cast<int>(event)];
}

const char* LinkStateName(LinkState state) {
    switch (state) {
        case S::Idle: return "Idle";
        case S::Link: return "Link";
        case S::Setup: return "Setup";
        case S::Box: return "Box";
        case S::LinkWaiting: return "LinkWaiting";
        case S::SetupWaiting: return "SetupWaiting";
        case S::BoxWaiting: return "BoxWaiting";
    }
    return "?";
}

const char* LinkEventName(LinkEvent event) {
    using E = LinkEvent;
    switch (event) {
        case E::Click: return "Click";
        case E::RemoteClick: return "RemoteClick";
        case E::RemoteMenu: return "RemoteMenu";
        case E::LaterInstance: return "LaterInstance";
        case E::SetupOpened: return "SetupOpened";
        case E::SetupClosed: return "SetupClosed";
        case E::BoxClosed: return "BoxClosed";
        case E::LinkEnded: return "LinkEnded";
    }
    return "?";
}

}  // namespace vorbel
