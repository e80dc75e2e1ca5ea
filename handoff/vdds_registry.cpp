#include "handoff/vdds_registry.h"

#include <algorithm>

#include "patient/vdds_exchange.h"
#include "text/text.h"
#include "text/ini_text.h"

namespace vorbel {
namespace {

constexpr std::u16string_view kListPrefix = u"NAME";

// n of an entry "NAMEn": digits without a leading zero, which is how readers ask for it.
std::optional<int> ListNumber(std::u16string_view name) {
    if (name.size() <= kListPrefix.size() || !SameIniName(name.substr(0, kListPrefix.size()), kListPrefix))
        return std::nullopt;
    const std::u16string_view digits = name.substr(kListPrefix.size());
    if (digits.front() == u'0' ||
        !std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    return ParseDecimalInt(digits);
}

// The list entries of [BVS] that name section.
std::vector<const IniEntry*> ListEntriesOf(const IniText& ini, std::u16string_view section) {
    std::vector<const IniEntry*> found;
    const IniSection* list = FindIniSection(ini, kVddsImagingProgramsSection);
    if (!list) return found;
    for (const IniEntry& e : list->entries) {
        if (ListNumber(e.name) && SameIniName(e.value, section)) found.push_back(&e);
    }
    return found;
}

}  // namespace

std::optional<std::vector<VddsProgram>> ListVddsImagingPrograms(std::string_view registry) {
    const IniText ini = ParseIni(DecodeVddsFile(registry).text);
    if (!ini.isIni) return std::nullopt;
    std::vector<VddsProgram> programs;
    const IniSection* list = FindIniSection(ini, kVddsImagingProgramsSection);
    if (!list) return programs;
    std::vector<std::pair<int, const IniEntry*>> numbered;
    for (const IniEntry& e : list->entries) {
        const std::optional<int> n = ListNumber(e.name);
        if (n && !e.value.empty()) numbered.emplace_back(*n, &e);
    }
    // A number given twice is read from its first entry, as GetPrivateProfileString reads it.
    std::stable_sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    numbered.erase(
        std::unique(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        numbered.end());
    for (const auto& [number, entry] : numbered) {
        const std::u16string& section = entry->value;
        if (std::any_of(programs.begin(), programs.end(),
                        [&](const VddsProgram& p) { return SameIniName(p.section, section); }))
            continue;
        const auto value = [&](std::u16string_view key) { return IniValue(ini, section, key).value_or(u""); };
        programs.push_back({section, value(u"NAME"), value(u"PATDATIMPORT"), value(u"VERSION")});
    }
    return programs;
}

std::optional<std::string> RegisterVddsImagingProgram(std::string_view registry, std::u16string_view section,
                                                      const IniEntries& entries) {
    VddsFileText file = DecodeVddsFile(registry);
    const IniText ini = ParseIni(file.text);
    if (!ini.isIni) return std::nullopt;
    if (ListEntriesOf(ini, section).empty()) {
        const IniSection* list = FindIniSection(ini, kVddsImagingProgramsSection);
        int free = 1;
        while (list && FindIniEntry(*list, std::u16string(kListPrefix) + DecimalText(free))) ++free;
        file.text = *SetIniValue(file.text, kVddsImagingProgramsSection,
                                 std::u16string(kListPrefix) + DecimalText(free), section);
    }
    for (const auto& [key, value] : entries) file.text = *SetIniValue(file.text, section, key, value);
    return EncodeVddsFile(file);
}

std::optional<std::string> UnregisterVddsImagingProgram(std::string_view registry, std::u16string_view section) {
    VddsFileText file = DecodeVddsFile(registry);
    const IniText ini = ParseIni(file.text);
    if (!ini.isIni) return std::nullopt;
    // Only the lines naming this program: another program's entry of the same number stays.
    const std::vector<const IniEntry*> lines = ListEntriesOf(ini, section);
    for (size_t i = lines.size(); i-- > 0;)
        file.text.erase(lines[i]->lineBegin, lines[i]->lineNext - lines[i]->lineBegin);
    file.text = *RemoveIniSection(file.text, section);
    return EncodeVddsFile(file);
}

}  // namespace vorbel
