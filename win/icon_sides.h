// The image sizes an icon resource holds, read from its group directory.
#pragma once

#include <windows.h>

#include <vector>

namespace vorbel {

// Square sides in pixels (a directory width of 0 is 256); empty when the icon is missing.
std::vector<int> IconImageSides(HMODULE module, int groupId);

}  // namespace vorbel
