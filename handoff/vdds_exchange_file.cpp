#include "handoff/vdds_exchange_file.h"

#include <algorithm>
#include <utility>

#include "text/ini_text.h"
#include "text/windows_1252.h"

namespace vorbel {
namespace {

// A whole number of at most nine digits, an optional sign before it.
std::optional<int> WholeNumber(std::u16string_view v) {
    const bool negative = !v.empty() && v.front() == u'-';
    if (!v.empty() && (v.front() == u'-' || v.front() == u'+')) v.remove_prefix(1);
    if (v.empty() || v.size() > 9 ||
        !std::all_of(v.begin(), v.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    int n = 0;
    for (const char16_t c : v) n = n * 10 + (c - u'0');
    return negative ? -n : n;
}

// M or W; nothing when unknown. Any value but 0 is female, as in every target.
std::u16string SexLetter(const std::optional<int>& sex) {
    if (!sex) return u"";
    return *sex == 0 ? u"M" : u"W";
}

}  // namespace

std::string BuildVddsExchangeFile(const VddsPatient& p) {
    const std::u16string birthDate = p.birthDate ? VddsDateText(*p.birthDate) : u"";
    const std::pair<std::u16string_view, std::u16string> entries[] = {
        {kVddsPracticeProgramKey, p.practiceProgram},
        {kVddsImagingProgramKey, p.imagingProgram},
        {kVddsChartNumberKey, p.patient.chartNumber},
        {kVddsLastNameKey, p.patient.lastName},
        {kVddsFirstNameKey, p.patient.firstName},
        {kVddsBirthDateKey, birthDate},
        {kVddsSexKey, SexLetter(p.sex)},
        {kVddsReadyKey, u"0"},
        {kVddsErrorLevelKey, u"0"},
    };
    std::u16string text = u"[" + std::u16string(kVddsPatientSection) + u"]\r\n";
    for (const auto& [key, value] : entries) {
        // An unknown birth date or sex is left out rather than written empty.
        if (value.empty() && (key == kVddsBirthDateKey || key == kVddsSexKey)) continue;
        text.append(key).append(1, u'=').append(IniValueText(value)).append(u"\r\n");
    }
    return EncodeWindows1252(text);
}

std::optional<VddsAnswer> ReadVddsAnswer(std::string_view bytes) {
    const std::optional<IniSection> s = ReadVddsPatientSection(bytes);
    if (!s) return std::nullopt;
    const IniEntry* ready = FindIniEntry(*s, kVddsReadyKey);
    const IniEntry* level = FindIniEntry(*s, kVddsErrorLevelKey);
    const IniEntry* text = FindIniEntry(*s, kVddsErrorTextKey);
    VddsAnswer answer;
    answer.ready = ready && WholeNumber(ready->value) == 1;
    if (level && !level->value.empty()) answer.errorLevel = WholeNumber(level->value).value_or(-1);
    if (text) answer.errorText = text->value;
    return answer;
}

}  // namespace vorbel
