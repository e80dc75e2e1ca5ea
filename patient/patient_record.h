// The patient a link is about, as captured and as confirmed by the user.
#pragma once

#include <string>

namespace vorbel {

struct PatientRecord {
    std::u16string chartNumber;  // "Dossier"
    std::u16string lastName;     // "Nom"
    std::u16string firstName;    // "Prénom"

    bool operator==(const PatientRecord&) const = default;
};

}  // namespace vorbel
