// Templates are typed by the practice and values come from other programs: whatever either holds,
// parsing ends with a template or a message, and every filled argument reads back whole, in its
// own place, by the Windows rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "handoff/handoff_formats.h"
#include "handoff/template_command_line.h"
#include "handoff/template_target.h"
#include "settings/text.h"
#include "tests/core/argv_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorbel;
    // The template, then the last name, separated by a 0x01 byte.
    std::string text(reinterpret_cast<const char*>(data), size);
    const size_t cut = text.find('\x01');
    const std::u16string templateText = FromUtf8(text.substr(0, cut));
    TemplateValues values = SamplePatientValues();
    values.bridgeFile = u"C:\\pont\\p.txt";
    if (cut != std::string::npos) values.patient.LastName = FromUtf8(text.substr(cut + 1));

    const TemplateParse parse = ParsePatientTemplate(templateText, BridgeFileField::Allowed);
    if (!parse.ok()) return 0;

    const std::u16string program = u"C:\\Program Files\\Img\\img.exe";
    const auto arguments = SplitTemplateArguments(parse.value);
    std::vector<std::u16string> expected = {program};
    for (const TemplateArgument& argument : arguments) {
        std::u16string value;
        for (const ArgumentPiece& piece : argument) value += PartValue(piece.part, values);
        for (char16_t& c : value) c = c == 0 ? u'?' : c;
        expected.push_back(value);
    }
    if (test::SplitWindowsCommandLine(
            BuildTemplateCommandLine(QuotedProgramPath(program, true), parse.value, values)) != expected)
        std::abort();

    // Values in a bridge file's path never add a folder level: a template without separators
    // gives a path without them.
    const auto hasSeparator = [](const std::u16string& s) { return s.find_first_of(u"\\/") != std::u16string::npos; };
    const bool templateHasSeparator = hasSeparator(FillTemplate(parse.value, {}, ValueEscape::None));
    const std::u16string path = FillTemplate(parse.value, values, ValueEscape::FileName);
    if (!templateHasSeparator && !parse.value.Uses(TemplateField::BridgeFile) && hasSeparator(path)) std::abort();
    return 0;
}
