// The command-line conventions by which a practice program names the current patient.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "patient/patient_record.h"

namespace vorbel {

// Index in the Setup list; stored in the convention setting as index x 67 + 42.
enum CommandLineFormat : int {
    FormatNone = 0,      // no command line: the patient is read from the practice program's windows
    FormatSpaced = 1,    // Dossier Nom Prénom
    FormatQuoted = 2,    // Dossier "Nom" "Prénom" "Date de naissance"
    FormatSwitches = 3,  // -I Dossier -N Nom^Prénom [-P Chemin]
    FormatSlashP = 4,    // /p"Nom, Prénom::Identifiant::Dossier::Date de naissance::Sexe"
};

inline constexpr int kCommandLineFormatCount = 5;

// Labels of the Setup list, in index order.
extern const std::array<std::u16string_view, kCommandLineFormatCount> kCommandLineFormatLabels;

// Fields the convention does not yield stay empty. A convention outside 1..4 yields nothing.
// swapNames exchanges the last-name and first-name pieces.
PatientRecord ParseCommandLine(std::u16string_view cmd, int format, bool swapNames);

// Birth date and sex, which conventions 2 and 4 carry beside the three shown fields. Unknown
// values stay empty: the hand-off writes them empty rather than invent them.
struct CommandLineExtras {
    std::u16string birthDate;  // as written on the command line, e.g. 01/02/1970
    std::optional<int> sex;    // 0 male, 1 female

    bool operator==(const CommandLineExtras&) const = default;
};

CommandLineExtras ParseCommandLineExtras(std::u16string_view cmd, int format);

}  // namespace vorbel
