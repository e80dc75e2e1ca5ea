// The command line of an imaging program described by a template. The template is split into
// arguments by the Windows rules first, the values go into their argument, and each argument is
// quoted by the same rules where it needs it: no value can end its argument, add one or swallow
// the next, whatever quotes, blanks or backslashes it holds, and whichever way the program splits
// its command line: the C runtime's rules, Delphi's ParamStr or Visual Basic's Command$ (no escaped
// quote there), or an ANSI program that receives the line in its code page with best fit.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "handoff/patient_template.h"

namespace vorbel {

// One argument: its pieces (literal text or a field), each inside or outside the template's quotes.
struct ArgumentPiece {
    TemplatePart part;
    bool quoted = false;
};
using TemplateArgument = std::vector<ArgumentPiece>;

// Blanks (space, tab) outside quotes separate arguments; a quote toggles quoting; 2n backslashes
// and a quote give n backslashes and a toggle, 2n+1 give n and a literal quote; other backslashes
// are literal. A field never splits: it belongs to the argument it stands in.
std::vector<TemplateArgument> SplitTemplateArguments(const PatientTemplate& t);

// The ASCII character an ANSI program receives for c by the best fit of the system's code page,
// or 0 when none. The Win32 side asks the system; the well-known look-alikes are known here.
using AnsiLookAlike = std::function<char16_t(char16_t)>;

// Characters that the code pages lacking them turn into a double quote, a backslash or a blank
// by best fit; 0 for the others.
char16_t KnownAnsiLookAlike(char16_t c);

// A value's character as the command line carries it. A double quote, and whatever an ANSI
// program would receive as one (U+FF02, typographic double quotes...), becomes an apostrophe: no
// parser can close a quote on it. What it would receive as a backslash (U+FF3C, and the yen and
// won signs where they stand for it) becomes a backslash, escaped as such. 0 becomes "?".
char16_t ArgumentSafeCharacter(char16_t c, const AnsiLookAlike& lookAlike = {});

// Characters that split arguments somewhere: a blank or a control character (Delphi splits at
// every character up to the space), or what an ANSI program would receive as one (U+3000...).
bool SplitsArguments(char16_t c, const AnsiLookAlike& lookAlike = {});

// The argument as the program's command line carries it: quoted where the template quoted it,
// values holding a character that splits arguments in quotes of their own, an empty argument
// as "". Values go through ArgumentSafeCharacter; the template's own text as it is.
std::u16string QuoteFilledArgument(const TemplateArgument& argument, const TemplateValues& values,
                                   const AnsiLookAlike& lookAlike = {});

// The start of the command line (the program, as QuotedProgramPath gives it) followed by each
// filled argument.
std::u16string BuildTemplateCommandLine(std::u16string_view programCommand, const PatientTemplate& arguments,
                                        const TemplateValues& values, const AnsiLookAlike& lookAlike = {});

}  // namespace vorbel
