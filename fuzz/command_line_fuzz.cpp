// Practice programs hand us arbitrary command lines: every convention must parse any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "patient/command_line.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int format = data[0] % 6;
    const bool swap = data[0] & 0x80;
    const std::u16string cmd = vorbel::FromUtf8(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    const vorbel::PatientRecord r = vorbel::ParseCommandLine(cmd, format, swap);
    const vorbel::CommandLineExtras extras = vorbel::ParseCommandLineExtras(cmd, format);
    if (extras.birthDate.size() > cmd.size()) std::abort();
    if (format == vorbel::FormatSpaced || format == vorbel::FormatQuoted) {
        // The chart number is the decimal text of a number, reading back as itself, or none at all:
        // never a 0 made up from a text without digits.
        if (!r.chartNumber.empty() && vorbel::DecimalText(vorbel::ParseDecimalInt(r.chartNumber)) != r.chartNumber) {
            std::abort();
        }
        if (r.chartNumber == u"0" && cmd.find(u'0') == std::u16string::npos) std::abort();
    }
    // Nothing is invented: every field is at most as long as the command line.
    for (const auto* f : {&r.chartNumber, &r.lastName, &r.firstName}) {
        if (f->size() > cmd.size() + 11) std::abort();
    }
    if (format == vorbel::FormatNone && !(r == vorbel::PatientRecord{})) std::abort();
    return 0;
}
