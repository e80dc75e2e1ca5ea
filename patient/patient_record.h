// The patient a link is about, as captured and as confirmed by the user.
#pragma once

#include <string>

namespace vorbel {

struct PatientRecord {
    std::u16string ChartNumber;  // "Dossier"
    std::u16string LastName;     // "Nom"
    std::u16string FirstName;    // "Prénom"

    bool operator==(const PatientRecord&) const = default;
};

}  // namespace vorbel
