// The web export of the confirmed patient (imaging target 5).
#pragma once

#include <cstdint>

#include "capture/handoff.h"

namespace vorbel {

// Prepares and uploads the patient's CSV file. Reports its own failures; the hand-off is accepted
// either way and starts no program. patient holds the trimmed fields; key is the hand-off's
// machine key, for the settings the export reads.
void ExportPatientToWeb(const PatientRecord& patient, const FurtherPatientFields& further, uint32_t key);

}  // namespace vorbel
