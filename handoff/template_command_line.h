// The command line of an imaging program described by a template. The template is split into
// arguments by the Windows rules first, the values go into their argument, and each argument is
// quoted by the same rules where it needs it: no value can end its argument, add one or swallow
// the next, whatever quotes, blanks or backslashes it holds.
#pragma once

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

// The argument as the program's command line carries it: quoted where the template quoted it,
// values holding a blank or a line end in quotes of their own, an empty argument as "".
std::u16string QuoteFilledArgument(const TemplateArgument& argument, const TemplateValues& values);

// The start of the command line (the program, as QuotedProgramPath gives it) followed by each
// filled argument.
std::u16string BuildTemplateCommandLine(std::u16string_view programCommand, const PatientTemplate& arguments,
                                        const TemplateValues& values);

}  // namespace vorbel
