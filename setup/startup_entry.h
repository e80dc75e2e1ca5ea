// The entry "Vorbel" of the current user's Run key, which starts Vorbel at logon.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorbel {

// The running executable's full path in double quotes: unquoted, a path with spaces such as
// C:\Program Files (x86)\Vorbel\Vorbel.exe could start C:\Program.exe at logon.
std::u16string StartupEntryText();

// True when the entry exists and is not empty, in either form (quoted, or the unquoted path that
// earlier versions wrote). Registry failures read as absent.
bool StartupEntryPresent();

// wanted and absent (or empty): writes StartupEntryText. wanted and present: left as it is,
// whatever path it holds, except this program's own path unquoted, which is quoted. Not wanted
// and present: deleted. Failures are not reported.
void UpdateStartupEntry(bool wanted);

// IT's choice ("StartWithWindows" policy); nothing when the user decides.
std::optional<bool> StartupPolicy();

// True when the machine's Run key (either registry view) starts Vorbel for every user.
bool MachineStartupEntryPresent();

// At start, the user's entry follows IT's choice: removed when IT says no; written when IT says
// yes and the machine's Run key does not already start Vorbel. Without the policy, nothing.
void ApplyStartupPolicy();

}  // namespace vorbel
