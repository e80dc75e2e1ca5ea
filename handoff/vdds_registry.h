// VDDS_MMI.INI, the registry of the programs that speak VDDS-media. Section [BVS] lists the
// imaging programs (NAME1=, NAME2=, ... each the name of the program's own section, which holds
// NAME, VERSION, PATDATIMPORT...). Other programs' lines are never rewritten.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorbel {

inline constexpr char16_t kVddsImagingProgramsSection[] = u"BVS";

struct VddsProgram {
    std::u16string section;       // the NAMEn value
    std::u16string name;          // NAME; empty, as the others, when the section is missing
    std::u16string patDatImport;  // PATDATIMPORT: the program a patient is handed to
    std::u16string version;       // VERSION

    bool operator==(const VddsProgram&) const = default;
};

// The imaging programs in the order of their numbers (NAME1 before NAME2; a gap ends nothing),
// each section once. nullopt when the bytes are no INI; an empty list when none is registered.
std::optional<std::vector<VddsProgram>> ListVddsImagingPrograms(std::string_view registry);

using IniEntries = std::vector<std::pair<std::u16string, std::u16string>>;

// The registry with the program listed under [BVS] (at the first number without an entry, unless
// it is listed already) and the entries set in its own section, in place or added; nullopt when
// the bytes are no INI. Empty bytes (no registry yet) give a new one. Every other byte stays.
std::optional<std::string> RegisterVddsImagingProgram(std::string_view registry, std::u16string_view section,
                                                      const IniEntries& entries);

// The registry without the program: its NAMEn lines under [BVS] and its section. Every other
// byte stays (other programs keep their numbers). nullopt when the bytes are no INI.
std::optional<std::string> UnregisterVddsImagingProgram(std::string_view registry, std::u16string_view section);

}  // namespace vorbel
