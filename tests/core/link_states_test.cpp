#include "app/link_states.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vorbel {
namespace {

using A = LinkAction;
using E = LinkEvent;
using S = LinkState;

constexpr S kStates[] = {S::Idle, S::Link, S::Setup, S::Box, S::LinkWaiting, S::SetupWaiting, S::BoxWaiting};
constexpr E kEvents[] = {E::Click,       E::RemoteClick, E::RemoteMenu, E::LaterInstance,
                         E::SetupOpened, E::SetupClosed, E::BoxClosed,  E::LinkEnded};
static_assert(std::size(kStates) == kLinkStateCount && std::size(kEvents) == kLinkEventCount);

// What is open in a state, waiting request or not.
enum class Open { Nothing, Link, Setup, Box };
Open OpenIn(S s) {
    switch (s) {
        case S::Idle: return Open::Nothing;
        case S::Link:
        case S::LinkWaiting: return Open::Link;
        case S::Setup:
        case S::SetupWaiting: return Open::Setup;
        case S::Box:
        case S::BoxWaiting: return Open::Box;
    }
    return Open::Nothing;
}
bool Waits(S s) { return s == S::LinkWaiting || s == S::SetupWaiting || s == S::BoxWaiting; }
// The event that closes what is open in a state.
bool Closes(S s, E e) {
    return (OpenIn(s) == Open::Link && e == E::LinkEnded) || (OpenIn(s) == Open::Setup && e == E::SetupClosed) ||
           (OpenIn(s) == Open::Box && e == E::BoxClosed);
}
// What an action leaves open.
Open Opens(A a) {
    switch (a) {
        case A::RunLink:
        case A::HandOff: return Open::Link;
        case A::OpenSetup: return Open::Setup;
        case A::ShowMenu: return Open::Box;
        default: return Open::Nothing;
    }
}

std::string Pair(S s, E e) { return std::string(LinkStateName(s)) + " x " + LinkEventName(e); }

// Every state and event the button can meet, each checked against the rules the button lives by.
TEST(LinkStates, EveryEventInEveryState) {
    for (const S s : kStates) {
        for (const E e : kEvents) {
            SCOPED_TRACE(Pair(s, e));
            const LinkStep step = NextLinkStep(s, e);
            const bool click = e == E::Click || e == E::RemoteClick;
            if (s == S::Idle) {
                // At rest each request opens what it asks for; ends of what is not open do nothing.
                const LinkStep expected = click                   ? LinkStep{S::Link, A::RunLink}
                                          : e == E::RemoteMenu    ? LinkStep{S::Box, A::ShowMenu}
                                          : e == E::LaterInstance ? LinkStep{S::Link, A::HandOff}
                                          : e == E::SetupOpened   ? LinkStep{S::Setup, A::OpenSetup}
                                                                  : LinkStep{S::Idle, A::None};
                EXPECT_EQ(step, expected);
            } else if (Closes(s, e)) {
                // What was open closes: a request that waited runs now, once; else the button rests.
                EXPECT_EQ(step, Waits(s) ? (LinkStep{S::Link, A::HandOff}) : (LinkStep{S::Idle, A::None}));
            } else if (click) {
                EXPECT_EQ(step, (LinkStep{s, A::Beep})) << "one link at a time, refused aloud";
            } else if (e == E::LaterInstance) {
                EXPECT_EQ(step.action, A::None) << "never nested in what is open";
                EXPECT_TRUE(Waits(step.next));
                EXPECT_EQ(OpenIn(step.next), OpenIn(s));
            } else {
                EXPECT_EQ(step, (LinkStep{s, A::None})) << "nothing opens on top, nothing is forgotten";
            }
            // Whatever happens, never two things open at once.
            if (Opens(step.action) != Open::Nothing) {
                EXPECT_TRUE(s == S::Idle || Closes(s, e));
                EXPECT_EQ(OpenIn(step.next), Opens(step.action));
            }
            EXPECT_EQ(OpenIn(step.next) == Open::Nothing, step.next == S::Idle);
        }
    }
}

// A button driven by the table, with what a real one keeps track of: what is open, and the
// requests received that no link has taken yet.
struct Button {
    LinkStates states;
    Open open = Open::Nothing;
    int requestsUntaken = 0;
    int handOffs = 0;
    int beeps = 0;

    void On(E e) {
        if (e == E::LaterInstance) ++requestsUntaken;
        // Closing events come only from what is open.
        if ((e == E::LinkEnded && open == Open::Link) || (e == E::SetupClosed && open == Open::Setup) ||
            (e == E::BoxClosed && open == Open::Box)) {
            open = Open::Nothing;
        }
        const A a = states.On(e);
        if (a == A::Beep) ++beeps;
        if (Opens(a) != Open::Nothing) {
            ASSERT_EQ(open, Open::Nothing) << "opened on top of what is open";
            open = Opens(a);
        }
        if (a == A::HandOff) {
            // The button holds the newest of the requests: one link takes them all.
            ASSERT_GT(requestsUntaken, 0) << "a hand-off without a request";
            requestsUntaken = 0;
            ++handOffs;
        }
        ASSERT_EQ(OpenIn(states.state()), open);
        // A request is never stranded: it waits only while something is open.
        ASSERT_EQ(requestsUntaken > 0, Waits(states.state())) << LinkStateName(states.state());
    }
};

TEST(LinkStates, RequestDuringALinkRunsOnceAfterIt) {
    Button b;
    b.On(E::Click);
    b.On(E::LaterInstance);
    b.On(E::LaterInstance);
    b.On(E::RemoteClick);
    EXPECT_EQ(b.handOffs, 0);
    EXPECT_EQ(b.beeps, 1);
    b.On(E::LinkEnded);
    EXPECT_EQ(b.handOffs, 1);
    EXPECT_EQ(b.states.state(), S::Link);
    b.On(E::LinkEnded);
    EXPECT_EQ(b.states.state(), S::Idle);
    EXPECT_EQ(b.handOffs, 1);
}

TEST(LinkStates, RequestDuringSetupOrTheMenuRunsWhenItCloses) {
    for (const auto& [open, close] :
         {std::pair{E::SetupOpened, E::SetupClosed}, std::pair{E::RemoteMenu, E::BoxClosed}}) {
        Button b;
        b.On(open);
        b.On(E::LaterInstance);
        b.On(E::SetupOpened);  // a second Setup from the menu is not opened on top
        EXPECT_EQ(b.handOffs, 0) << LinkEventName(open);
        b.On(close);
        EXPECT_EQ(b.handOffs, 1) << LinkEventName(open);
        EXPECT_EQ(b.states.state(), S::Link);
    }
}

// Any order of events: never two things open, every request taken once what is open closes.
TEST(LinkStates, RandomEventsKeepTheRules) {
    std::mt19937 random(25);
    for (int run = 0; run < 200; ++run) {
        Button b;
        for (int i = 0; i < 60 && !::testing::Test::HasFatalFailure(); ++i) {
            b.On(kEvents[random() % std::size(kEvents)]);
        }
        ASSERT_FALSE(::testing::Test::HasFatalFailure()) << "run " << run;
    }
}

}  // namespace
}  // namespace vorbel
