// An exchange file comes from another program: whatever it holds, reading it never fails and a
// read value never holds a line break; answering it keeps its patient and reads back as written;
// and a file Vorbel builds reads back as built, but for the blanks at a value's ends, line breaks
// (blanks) and what Windows-1252 lacks ("?").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handoff/vdds_exchange_file.h"
#include "patient/vdds_exchange.h"
#include "text/text.h"
#include "text/windows_1252.h"

namespace {

using namespace vorbel;

constexpr char16_t kErrorText[] = u"Transfert annulé\r\npar l'utilisateur";
constexpr char16_t kErrorTextRead[] = u"Transfert annulé  par l'utilisateur";

bool HoldsLineBreak(std::u16string_view v) { return v.find_first_of(u"\r\n") != std::u16string_view::npos; }

// What a value reads back as, worked out apart from the INI code.
std::u16string ReadBack(std::u16string_view v) {
    std::u16string s = DecodeWindows1252(EncodeWindows1252(v));
    for (char16_t& c : s) {
        if (c == u'\r' || c == u'\n') c = u' ';
        if (c == 0) c = u'?';
    }
    const size_t begin = s.find_first_not_of(u" \t");
    if (begin == std::u16string::npos) return u"";
    return s.substr(begin, s.find_last_not_of(u" \t") + 1 - begin);
}

void CheckBuiltReadsBack(const VddsPatient& built) {
    VddsPatient expected = built;
    for (std::u16string* v : {&expected.practiceProgram, &expected.imagingProgram, &expected.patient.chartNumber,
                              &expected.patient.lastName, &expected.patient.firstName})
        *v = ReadBack(*v);
    if (expected.birthDate && VddsDateText(*expected.birthDate).empty()) expected.birthDate.reset();
    if (expected.sex) expected.sex = *expected.sex == 0 ? 0 : 1;
    if (ReadVddsPatient(BuildVddsExchangeFile(built)) != expected) std::abort();
}

// A patient cut out of the input: five texts separated by 0x01 bytes, the first bytes for the rest.
VddsPatient PatientOf(std::string_view bytes) {
    std::vector<std::u16string> f(5);
    size_t k = 0;
    std::string piece;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || (bytes[i] == 0x01 && k + 1 < f.size())) {
            f[k++] = FromUtf8(piece);
            piece.clear();
        } else {
            piece += bytes[i];
        }
    }
    VddsPatient p{f[0], f[1], {f[2], f[3], f[4]}, std::nullopt, std::nullopt};
    if (bytes.size() >= 4) {
        const auto b = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
        if (b(0) & 1) p.birthDate = CalendarDate{b(1) % 32, b(2) % 14, 1800 + b(3) * 2};
        if (b(0) & 2) p.sex = b(0) >> 2;
    }
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::optional<VddsPatient> read = ReadVddsPatient(bytes);
    if (read) {
        for (const std::u16string* v : {&read->practiceProgram, &read->imagingProgram, &read->patient.chartNumber,
                                        &read->patient.lastName, &read->patient.firstName}) {
            if (HoldsLineBreak(*v)) std::abort();
        }
        CheckBuiltReadsBack(*read);
    }

    const int level = size > 0 ? data[0] % 4 : 0;
    const std::optional<std::string> answered = AnswerVddsExchange(bytes, level, kErrorText);
    if (answered.has_value() != read.has_value()) std::abort();
    if (answered) {
        if (ReadVddsPatient(*answered) != read) std::abort();
        const std::optional<VddsAnswer> answer = ReadVddsAnswer(*answered);
        if (!answer || !answer->ready || answer->errorLevel != level) std::abort();
        if (level != 0 && answer->errorText != kErrorTextRead) std::abort();
    }

    CheckBuiltReadsBack(PatientOf(bytes));
    return 0;
}
