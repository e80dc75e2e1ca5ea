// Starting the imaging program.
#pragma once

#include <string_view>

namespace vorbel {

// CreateProcessW with the command line alone, shown maximised with the busy cursor, then a wait of
// at most idleWaitMs for the program's first idle moment. The wait goes in small steps and serves
// the messages other programs send meanwhile: a program that asks every top-level window a
// question while it starts (a DDE initiate, an "are you running?" broadcast) must not freeze
// with us. ERROR_SUCCESS once started, else CreateProcessW's error.
unsigned long StartImagingProgram(std::u16string_view commandLine, unsigned long idleWaitMs);

}  // namespace vorbel
