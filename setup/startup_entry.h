// The entry "Vorbel" of the current user's Run key, which starts Vorbel at logon.
#pragma once

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

}  // namespace vorbel
