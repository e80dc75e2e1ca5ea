// Patient fields come from other programs' windows and command lines: whatever they hold, the
// switch arguments must read back whole, the linkage XML keep its markup, and the exchange
// records keep their field count and length.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "handoff/handoff_formats.h"
#include "text/text.h"
#include "tests/core/argv_split.h"

namespace {

// Latin-1 as a stand-in OEM page; anything else "?"; a zero stays, to try the cut.
std::string FakeOem(std::u16string_view t) {
    std::string out;
    for (char16_t c : t) out += c > 0xFF ? '?' : static_cast<char>(c);
    return out;
}

// How many of each markup character a text holds, in one pass.
std::array<size_t, 6> MarkupCounts(const std::u16string& s) {
    std::array<size_t, 6> counts{};
    for (char16_t c : s) {
        switch (c) {
            case u'<': ++counts[0]; break;
            case u'>': ++counts[1]; break;
            case u'"': ++counts[2]; break;
            case u'\'': ++counts[3]; break;
            case u'\r': ++counts[4]; break;
            case u'\n': ++counts[5]; break;
            default: break;
        }
    }
    return counts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorbel;
    // Four fields separated by 0x01 bytes: chart number, last name, first name, extra text.
    std::vector<std::u16string> f(4);
    size_t k = 0;
    std::string piece;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || (data[i] == 0x01 && k < 3)) {
            f[k++] = FromUtf8(piece);
            piece.clear();
            if (i == size) break;
        } else {
            piece += static_cast<char>(data[i]);
        }
    }
    const PatientRecord p{f[0], f[1], f[2]};

    const std::u16string program = u"C:\\Program Files\\Img\\img.exe";
    const std::vector<std::u16string> expected = {program, u"/ID:" + p.chartNumber, u"/LN:" + p.lastName,
                                                  u"/N:" + p.firstName};
    if (vorbel::test::SplitWindowsCommandLine(BuildSwitchCommandLine(QuotedProgramPath(program, true), p)) != expected)
        std::abort();

    static const std::array<size_t, 6> plain =
        MarkupCounts(BuildLinkageXml({u"1", u"A", u"B"}, CalendarDate{5, 3, 1970}, 1));
    if (MarkupCounts(BuildLinkageXml(p, CalendarDate{5, 3, 1970}, 1)) != plain) std::abort();

    SidexisPatient s;
    s.patient = p;
    s.extraText = f[3];
    s.stationName = u"CAB1";
    for (const auto& record : {BuildSidexisNRecord(s, FakeOem), BuildSidexisARecord(s, FakeOem)}) {
        if (!record) continue;
        const std::vector<uint8_t>& r = *record;
        if (r.size() != static_cast<size_t>(r[0] | (r[1] << 8))) std::abort();
        const size_t zeros = static_cast<size_t>(std::count(r.begin() + 2, r.end(), 0));
        if (zeros != (r[2] == 'N' ? 9u : 10u)) std::abort();
    }
    return 0;
}
