// Templates are typed by the practice and values come from other programs: whatever either holds,
// parsing ends with a template or a message, and every filled argument reads back whole, in its
// own place: by the C runtime's rules, as an ANSI program receives it with best fit, and by
// Delphi's ParamStr (no escapes) where the template itself needs none.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "handoff/handoff_formats.h"
#include "handoff/template_command_line.h"
#include "handoff/template_target.h"
#include "text/text.h"
#include "tests/core/argv_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorbel;
    // The template, then the last name, separated by a 0x01 byte.
    std::string text(reinterpret_cast<const char*>(data), size);
    const size_t cut = text.find('\x01');
    const std::u16string templateText = FromUtf8(text.substr(0, cut));
    TemplateValues values = SamplePatientValues();
    values.bridgeFile = u"C:\\pont\\p.txt";
    if (cut != std::string::npos) values.patient.lastName = FromUtf8(text.substr(cut + 1));

    const TemplateParse parse = ParsePatientTemplate(templateText, BridgeFileField::Allowed);
    if (!parse.ok()) return 0;

    const std::u16string program = u"C:\\Program Files\\Img\\img.exe";
    const auto arguments = SplitTemplateArguments(parse.value);
    std::vector<std::u16string> expected = {program};
    for (const TemplateArgument& argument : arguments) {
        std::u16string value;
        for (const ArgumentPiece& piece : argument) {
            std::u16string text = PartValue(piece.part, values);
            for (char16_t& c : text) c = piece.part.field ? ArgumentSafeCharacter(c) : c == 0 ? u'?' : c;
            value += text;
        }
        expected.push_back(value);
    }
    const std::u16string cmd = BuildTemplateCommandLine(QuotedProgramPath(program, true), parse.value, values);
    if (test::SplitWindowsCommandLine(cmd) != expected) std::abort();

    // An ANSI program: whatever the values hold, only the template's own text can end an argument.
    const auto ansi = [](const std::u16string& s) { return test::AsAnsiProgramSeesIt(s, KnownAnsiLookAlike); };
    std::vector<std::u16string> ansiExpected;
    for (const std::u16string& arg : expected) ansiExpected.push_back(ansi(arg));
    const bool templateHasLookAlikes = ansi(templateText) != templateText;
    if (!templateHasLookAlikes && test::SplitWindowsCommandLine(ansi(cmd)) != ansiExpected) std::abort();

    // Delphi: no escapes, so backslashes may arrive doubled, and an empty argument is lost. With a
    // template free of backslashes and control characters, the arguments are the same otherwise.
    const bool plainTemplate =
        std::none_of(templateText.begin(), templateText.end(), [](char16_t c) { return c == u'\\' || c < 0x20; });
    const auto withoutBackslashes = [](std::vector<std::u16string> args) {
        std::vector<std::u16string> kept;
        for (std::u16string& a : args) {
            a.erase(std::remove(a.begin(), a.end(), u'\\'), a.end());
            kept.push_back(a);
        }
        return kept;
    };
    const bool hasEmpty = std::any_of(expected.begin(), expected.end(), [](const auto& a) { return a.empty(); });
    if (plainTemplate && !hasEmpty) {
        std::vector<std::u16string> delphi = test::SplitDelphiCommandLine(cmd);
        delphi[0] = program;  // the program's own name is not what is checked
        if (withoutBackslashes(delphi) != withoutBackslashes(expected)) std::abort();
    }

    // Values in a bridge file's path never add a folder level: a template without separators
    // gives a path without them.
    const auto hasSeparator = [](const std::u16string& s) { return s.find_first_of(u"\\/") != std::u16string::npos; };
    const bool templateHasSeparator = hasSeparator(FillTemplate(parse.value, {}, ValueEscape::None));
    const std::u16string path = FillTemplate(parse.value, values, ValueEscape::FileName);
    if (!templateHasSeparator && !parse.value.Uses(TemplateField::BridgeFile) && hasSeparator(path)) std::abort();
    return 0;
}
