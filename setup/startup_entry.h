// The entry "Vorbel" of the current user's Run key, which starts Vorbel at logon.
#pragma once

namespace vorbel {

// True when the entry exists and is not empty. Registry failures read as absent.
bool StartupEntryPresent();

// wanted and absent (or empty): writes the running executable's path. wanted and present: left
// as it is, whatever path it holds. Not wanted and present: deleted. Failures are not reported.
void UpdateStartupEntry(bool wanted);

}  // namespace vorbel
