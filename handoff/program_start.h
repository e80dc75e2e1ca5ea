// Starting the imaging program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "handoff/program_command.h"

namespace vorbel {

// The program setting split on this machine: the file it names, by its full path, and the
// setting's own arguments. nullopt when it names no file: nothing is then searched for.
std::optional<ProgramSetting> ResolveProgramSetting(std::u16string_view setting);

// What CreateProcessW is given: the file to run, never looked for, and its command line.
struct ProgramStart {
    std::u16string application;
    std::u16string commandLine;
};

// The start of the program with the arguments a target builds (tail: the command line after
// the program, from its first blank). A batch file runs through the system's cmd.exe with every
// argument quoted for it; nullopt when an argument cannot be passed to it safely.
std::optional<ProgramStart> ProgramStartFor(const ProgramSetting& program, std::u16string_view tail);

// CreateProcessW, shown maximised with the busy cursor, then a wait of at most idleWaitMs for the
// program's first idle moment. The wait goes in small steps and serves the messages other
// programs send meanwhile: a program that asks every top-level window a question while it starts
// (a DDE initiate, an "are you running?" broadcast) must not freeze with us. ERROR_SUCCESS once
// started, else CreateProcessW's error.
unsigned long StartImagingProgram(const ProgramStart& start, unsigned long idleWaitMs);

}  // namespace vorbel
