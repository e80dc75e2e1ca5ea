// How the imaging program is started, as text: the program setting split once into the program
// and its own arguments, and the command line of a batch file, which cmd.exe reads by rules of
// its own. Nothing here comes from a patient value: they only ever fill arguments.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorbel {

// The full path of the existing file a candidate names, nullopt when there is none (the Win32
// side resolves it; tests pass a list).
using ResolveProgramFile = std::function<std::optional<std::u16string>(std::u16string_view candidate)>;

struct ProgramSetting {
    std::u16string written;    // the program as the setting writes it, quotes included
    std::u16string path;       // the full path of the file to start
    std::u16string arguments;  // the setting's own arguments, from the blank after the program
};

// A program in quotes ends at the closing quote. Otherwise the whole setting, then each shorter
// part of it ending before a blank, longest first, if its name has an extension. The whole
// setting (or the quoted program) without an extension may also name a ".exe". The first that
// names a file is the program. nullopt: none does.
std::optional<ProgramSetting> SplitProgramSetting(std::u16string_view setting, const ResolveProgramFile& resolve);

// ".bat" or ".cmd", in any case, once the trailing dots and blanks Windows drops are dropped.
bool IsBatchFile(std::u16string_view path);

// A line end or a zero would end cmd.exe's line and run what follows as a command of its own.
bool BatchCannotCarry(std::u16string_view value);

// One argument for cmd.exe, as a batch file reads it in %1: in quotes unless made of letters,
// digits and harmless signs, a quote doubled, a "%" made unable to expand a variable, backslashes
// before the closing quote kept even.
std::u16string QuoteBatchArgument(std::u16string_view argument);

// cmd.exe cuts longer lines.
inline constexpr size_t kCmdLineLimit = 8191;

// The command line that makes cmd.exe run the script with these arguments and nothing else:
// cmd.exe /e:ON /v:OFF /d /c ""script" args". nullopt when an argument cannot be carried or the
// line would exceed cmd.exe's limit.
std::optional<std::u16string> BuildBatchCommandLine(std::u16string_view script,
                                                    const std::vector<std::u16string>& arguments);

// The arguments of a command line that holds no program name, split by the C runtime's rules.
std::vector<std::u16string> SplitCommandLineArguments(std::u16string_view text);

}  // namespace vorbel
