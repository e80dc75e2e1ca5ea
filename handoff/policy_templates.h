// The check a template set by policy passes before Vorbel uses it: each template parses on its
// own. Whether the five settings fit together is checked at the hand-off, as for the user's own.
#pragma once

#include <string>
#include <string_view>

#include "settings/setting_names.h"

namespace vorbel {

// The reason the template does not parse (French, as Setup shows it); empty when it does.
std::u16string CheckPolicyTemplate(Setting setting, std::u16string_view text);

}  // namespace vorbel
