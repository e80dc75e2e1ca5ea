#include "app/handed_request.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/core/memory_profile.h"

namespace vorbel {
namespace {

// A profile in which another program writes "CmdLine" right after one of the button's reads.
class RacedProfile : public test::MemoryProfile {
public:
    std::u16string GetString(std::u16string_view entry) override {
        std::u16string value = MemoryProfile::GetString(entry);
        if (++reads == raceAfterRead && race) race(*this);
        return value;
    }
    int reads = 0;
    int raceAfterRead = 0;
    std::function<void(MemoryProfile&)> race;
};

std::u16string Waiting(test::MemoryProfile& p) { return p.MemoryProfile::GetString(u"CmdLine"); }

TEST(HandedRequest, EachRequestIsTakenOnceEvenWhenAWriterRacesTheButton) {
    // 0: nobody races; 1: the writer strikes between the read that takes the request and the
    // clear. (Between the last compare and the clear only Vorbel's own later instances are kept
    // out, by the lock they share with the button: the entry has no atomic compare-and-delete.)
    for (const int raceAfter : {0, 1}) {
        SCOPED_TRACE(raceAfter);
        RacedProfile profile;
        profile.WriteString(u"CmdLine", u"1 PREMIER ANNE");
        profile.raceAfterRead = raceAfter;
        profile.race = [](test::MemoryProfile& p) { p.WriteString(u"CmdLine", u"2 SECOND BRUNO"); };
        std::u16string first = TakeHandedRequest(profile);
        // The second request's own message comes later and takes what is left.
        std::u16string second = TakeHandedRequest(profile);
        if (raceAfter == 0) {
            EXPECT_EQ(first, u"1 PREMIER ANNE");
            EXPECT_EQ(second, u"");
        } else {
            EXPECT_EQ(first, u"1 PREMIER ANNE");
            EXPECT_EQ(second, u"2 SECOND BRUNO") << "the request written meanwhile was wiped";
        }
        EXPECT_EQ(TakeHandedRequest(profile), u"") << "nothing is taken twice";
        EXPECT_EQ(Waiting(profile), u"");
    }
}

TEST(HandedRequest, NothingWaitingWritesNothing) {
    test::MemoryProfile profile;
    EXPECT_EQ(TakeHandedRequest(profile), u"");
    EXPECT_EQ(profile.writes, 0);
}

TEST(HandedRequest, AnEmptyLaterStartLeavesAWaitingRequestAlone) {
    test::MemoryProfile profile;
    LeaveHandedRequest(profile, u"1 PREMIER ANNE");
    LeaveHandedRequest(profile, u"");
    EXPECT_EQ(Waiting(profile), u"1 PREMIER ANNE");
}

TEST(HandedRequest, AnUndeliveredRequestIsWithdrawnUnlessReplaced) {
    test::MemoryProfile profile;
    LeaveHandedRequest(profile, u"1 PREMIER ANNE");
    WithdrawHandedRequest(profile, u"1 PREMIER ANNE");
    EXPECT_EQ(Waiting(profile), u"");
    LeaveHandedRequest(profile, u"2 SECOND BRUNO");
    WithdrawHandedRequest(profile, u"1 PREMIER ANNE");
    EXPECT_EQ(Waiting(profile), u"2 SECOND BRUNO");
}

// A button's start and end drop whatever waits, written by whom it may be; with nothing waiting,
// the profile is only read.
TEST(HandedRequest, WhatWaitsIsDroppedAndNothingIsWrittenWhenNothingWaits) {
    test::MemoryProfile profile;
    DropWaitingRequest(profile);
    EXPECT_EQ(profile.writes, 0);
    profile.WriteString(u"CmdLine", u"32 DURAND LUC");
    DropWaitingRequest(profile);
    EXPECT_EQ(Waiting(profile), u"");
    EXPECT_EQ(TakeHandedRequest(profile), u"");
}

}  // namespace
}  // namespace vorbel
