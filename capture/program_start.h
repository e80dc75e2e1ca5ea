// Starting the imaging program.
#pragma once

#include <string_view>

namespace vorbel {

// CreateProcessW with the command line alone, shown maximised with the busy cursor, then a wait of
// at most idleWaitMs for the program's first idle moment. False when it could not be started.
bool StartImagingProgram(std::u16string_view commandLine, unsigned long idleWaitMs);

}  // namespace vorbel
