// INI text as GetPrivateProfileString reads it, and edits that change only the lines they must:
// a file other programs share (a registry of programs, an exchange file) keeps every other byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorbel {

// A "name=value" line. Offsets are into the parsed text.
struct IniEntry {
    std::u16string name;   // without the blanks around it
    std::u16string value;  // without the blanks around it, then without one pair of enclosing quotes
    size_t lineBegin = 0;
    size_t lineEnd = 0;                   // before the line break
    size_t lineNext = 0;                  // after the line break: where the next line begins
    size_t valueBegin = 0, valueEnd = 0;  // the value as written, its quotes included
};

struct IniSection {
    std::u16string name;  // between "[" and the first "]", without blanks around it
    size_t headerBegin = 0;
    size_t headerNext = 0;  // after the header's line break
    size_t headerEnd = 0;   // before the header's line break
    size_t end = 0;         // the next section's header, or the text's end
    std::vector<IniEntry> entries;
};

// Lines end at CR LF, LF or a lone CR; blanks are spaces and tabs. A line is blank, a comment
// (";" first), a section header ("[name]"), an entry (a name before its first "=") or neither,
// which is kept and ignored. A text is an INI when it holds no zero (a text file never does, a
// binary file nearly always) and nothing but blank and comment lines comes before its first
// section: keys outside any section, or prose, mean it is some other kind of file. An empty
// text is an INI without sections, so that a registry can be started from nothing.
struct IniText {
    bool isIni = false;
    std::vector<IniSection> sections;  // in text order, duplicates kept
    std::u16string lineBreak;          // the text's first line break; CR LF when it has none
};

IniText ParseIni(std::u16string_view text);

// Names compare without regard to case (ASCII and Latin-1 letters). Lookups take the first
// section of a name and its first entry of a name, as GetPrivateProfileString does: a later
// duplicate is never read.
bool SameIniName(std::u16string_view a, std::u16string_view b);
const IniSection* FindIniSection(const IniText& ini, std::u16string_view section);
const IniEntry* FindIniEntry(const IniSection& section, std::u16string_view name);
std::optional<std::u16string> IniValue(const IniText& ini, std::u16string_view section, std::u16string_view name);

// The value as an entry holds it, so that reading gives back the value without its blanks at
// both ends: a CR or LF becomes a blank and a zero "?" (a value never adds a line nor ends the
// text), and a value that itself starts and ends with the same quote is put in double quotes,
// which the reader takes off.
std::u16string IniValueText(std::u16string_view value);

// Edits of an INI text; nullopt when the text is no INI, which is never touched. Section and
// entry names are the caller's own (no line break, no "=", no "]"). Only the lines named change;
// every other character of the text stays as it was.
//
// SetIniValue: the first entry of that name in the first section of that name gets the value in
// place of its old one; without such an entry one is added after the section's last entry (after
// its header when it has none); without such a section, the section and its entry are added at
// the text's end. An added entry ends as the line it follows, other new lines with the text's
// first line break.
std::optional<std::u16string> SetIniValue(std::u16string_view text, std::u16string_view section,
                                          std::u16string_view name, std::u16string_view value);
// Every entry of that name in the first section of that name, whole lines.
std::optional<std::u16string> RemoveIniEntry(std::u16string_view text, std::u16string_view section,
                                             std::u16string_view name);
// Every section of that name, from its header to the next section's.
std::optional<std::u16string> RemoveIniSection(std::u16string_view text, std::u16string_view section);

}  // namespace vorbel
