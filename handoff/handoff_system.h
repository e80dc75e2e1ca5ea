// What the hand-off asks of the system: the CliniView ini default, the computer name, the OEM code
// page, the clock, the keyboard and the user's date format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "handoff/handoff_formats.h"

namespace vorbel {

// Common application data + "CliniView\CliniView.ini" (Windows XP and later), else the Windows
// folder + "CliniView.ini".
std::u16string CliniViewIniDefaultPath();

// The data location a target reads, with the default stored when none is: the images root for
// VixWin, the ini file for CliniView, the exchange file for Sidexis; nothing for the others.
std::optional<std::u16string> DefaultDataLocation(int target);

// The whole text names an existing file (not a folder).
bool NamesExistingFile(std::u16string_view path);

// GetComputerNameW; empty when it fails.
std::u16string LocalComputerName();

// The text in the system's OEM code page; characters it lacks become its default character.
std::string ToOemBytes(std::u16string_view text);

// The text in the system's ANSI or OEM code page, for bridge files: a character the page lacks
// becomes "?", never a look-alike.
std::string ToAnsiBytes(std::u16string_view text);
std::string ToOemBytesOrQuestionMark(std::u16string_view text);

// The ASCII character the system's ANSI code page turns c into by best fit, 0 when none: what an
// ANSI program receives for it on its command line.
char16_t SystemAnsiLookAlike(char16_t c);

LocalDateTime LocalNow();

// The birth date typed by the user, read with the user's locale (VarDateFromStr) after trimming.
// nullopt when it is empty, does not parse, or is a time alone.
std::optional<CalendarDate> ParseBirthDate(std::u16string_view text);

}  // namespace vorbel
