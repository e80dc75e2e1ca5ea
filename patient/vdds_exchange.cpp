#include "patient/vdds_exchange.h"

#include <algorithm>

#include "text/text.h"
#include "text/windows_1252.h"

namespace vorbel {
namespace {

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool IsCalendarDate(const CalendarDate& d) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    return d.day <= kDays[d.month - 1] + (d.month == 2 && IsLeapYear(d.year) ? 1 : 0);
}

std::u16string Padded(int v, size_t digits) {
    std::u16string s = DecimalText(v);
    if (s.size() < digits) s.insert(0, digits - s.size(), u'0');
    return s;
}

std::optional<int> ReadSex(std::u16string_view v) {
    if (v.size() != 1) return std::nullopt;
    switch (v.front()) {
        case u'M':
        case u'm': return 0;
        case u'W':
        case u'w':
        case u'F':
        case u'f': return 1;
        default: return std::nullopt;
    }
}

}  // namespace

VddsFileText DecodeVddsFile(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        std::u16string text = FromUtf8(bytes);
        if (ToUtf8(text) == bytes) return {std::move(text), true};
    }
    return {DecodeWindows1252(bytes), false};
}

std::string EncodeVddsFile(const VddsFileText& file) {
    return file.utf8 ? ToUtf8(file.text) : EncodeWindows1252(file.text);
}

std::optional<IniSection> ReadVddsPatientSection(std::string_view bytes) {
    IniText ini = ParseIni(DecodeVddsFile(bytes).text);
    if (!ini.isIni) return std::nullopt;
    for (IniSection& s : ini.sections) {
        if (SameIniName(s.name, kVddsPatientSection)) return std::move(s);
    }
    return std::nullopt;
}

std::optional<CalendarDate> ParseVddsDate(std::u16string_view text) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const CalendarDate d{ParseDecimalInt(text.substr(6, 2)), ParseDecimalInt(text.substr(4, 2)),
                         ParseDecimalInt(text.substr(0, 4))};
    if (!IsCalendarDate(d)) return std::nullopt;
    return d;
}

std::u16string VddsDateText(const CalendarDate& d) {
    if (!IsCalendarDate(d)) return u"";
    return Padded(d.year, 4) + Padded(d.month, 2) + Padded(d.day, 2);
}

std::optional<VddsPatient> ReadVddsPatient(std::string_view bytes) {
    const std::optional<IniSection> s = ReadVddsPatientSection(bytes);
    if (!s) return std::nullopt;
    const auto value = [&s](std::u16string_view key) {
        const IniEntry* e = FindIniEntry(*s, key);
        return e ? e->value : std::u16string();
    };
    VddsPatient p;
    p.practiceProgram = value(kVddsPracticeProgramKey);
    p.imagingProgram = value(kVddsImagingProgramKey);
    p.patient = {value(kVddsChartNumberKey), value(kVddsLastNameKey), value(kVddsFirstNameKey)};
    p.birthDate = ParseVddsDate(value(kVddsBirthDateKey));
    p.sex = ReadSex(value(kVddsSexKey));
    return p;
}

std::optional<std::string> AnswerVddsExchange(std::string_view bytes, int errorLevel, std::u16string_view errorText) {
    if (!ReadVddsPatientSection(bytes)) return std::nullopt;
    VddsFileText file = DecodeVddsFile(bytes);
    // The text stays an INI through each edit: a value can add no line.
    file.text = *SetIniValue(file.text, kVddsPatientSection, kVddsErrorLevelKey, DecimalText(errorLevel));
    if (errorLevel != 0) file.text = *SetIniValue(file.text, kVddsPatientSection, kVddsErrorTextKey, errorText);
    file.text = *SetIniValue(file.text, kVddsPatientSection, kVddsReadyKey, u"1");
    return EncodeVddsFile(file);
}

}  // namespace vorbel
