#include "app/handed_request.h"

#include "settings/setting_names.h"

namespace vorbel {

void LeaveHandedRequest(ProfileSection& profile, std::u16string_view commandLine) {
    if (!commandLine.empty()) profile.WriteString(kCmdLineEntry, commandLine);
}

std::u16string TakeHandedRequest(ProfileSection& profile) {
    std::u16string taken = profile.GetString(kCmdLineEntry);
    if (taken.empty()) return taken;
    // Compare, then clear: the entry has no atomic read-and-delete.
    if (profile.GetString(kCmdLineEntry) == taken) profile.WriteString(kCmdLineEntry, u"");
    return taken;
}

void WithdrawHandedRequest(ProfileSection& profile, std::u16string_view commandLine) {
    if (!commandLine.empty() && profile.GetString(kCmdLineEntry) == commandLine) {
        profile.WriteString(kCmdLineEntry, u"");
    }
}

void DropWaitingRequest(ProfileSection& profile) {
    if (!profile.GetString(kCmdLineEntry).empty()) profile.WriteString(kCmdLineEntry, u"");
}

}  // namespace vorbel
