// The request a later instance leaves in "CmdLine" for the running button. Practice programs may
// write the entry themselves, so its name and plain text stay as they are; what keeps a request
// from being lost, handed off twice or handed off by another button than the one it was left for
// is how it is left, taken and withdrawn. Platform-free.
#pragma once

#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace vorbel {

// A later instance's request. An empty command line leaves nothing: it would wipe a request that
// is still waiting.
void LeaveHandedRequest(ProfileSection& profile, std::u16string_view commandLine);

// The button takes what is waiting and clears the entry, but only while it still holds what was
// read: a request written in between stays for the message that follows it.
std::u16string TakeHandedRequest(ProfileSection& profile);

// A request that could not be delivered is taken back, unless a newer one replaced it.
void WithdrawHandedRequest(ProfileSection& profile, std::u16string_view commandLine);

// Whatever waits is dropped, for no button to hand off: a button starting drops what was left for
// one before it, a button ending what it will not hand off. Writes only when something waits.
void DropWaitingRequest(ProfileSection& profile);

}  // namespace vorbel
