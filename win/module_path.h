// Paths of the running executable.
#pragma once

#include <string>

namespace vorbel {

std::u16string OwnModulePath();      // full path (GetModuleFileNameW of the process)
std::u16string OwnModuleBaseName();  // file name without folder and extension

}  // namespace vorbel
