// The VDDS-media exchange file Vorbel writes for a registered imaging program, and the answer the
// program writes back into it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "patient/vdds_exchange.h"

namespace vorbel {

// Section [PATIENT] with PVS, BVS, PATID, LASTNAME, FIRSTNAME, BIRTHDAY (a known date only), SEX
// (M or W, known only), READY=0 and ERRORLEVEL=0, CR LF after each line, in Windows-1252. A value
// reads back as it was, but for its blanks at both ends: a line break in it becomes a blank and a
// character Windows-1252 lacks "?", so that no value can add a line or an entry.
std::string BuildVddsExchangeFile(const VddsPatient& p);

struct VddsAnswer {
    bool ready = false;  // READY=1
    // ERRORLEVEL; missing or empty reads as 0, a value that is no whole number as -1: never as
    // a success it does not say.
    int errorLevel = 0;
    std::u16string errorText;  // ERRORTEXT

    bool operator==(const VddsAnswer&) const = default;
};

// nullopt when the bytes are no exchange file (yet): an imaging program may be rewriting it.
std::optional<VddsAnswer> ReadVddsAnswer(std::string_view bytes);

}  // namespace vorbel
