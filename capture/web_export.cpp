#include "capture/web_export.h"

namespace vorbel {

// Not built yet: the confirmation is accepted without an upload.
void ExportPatientToWeb(const PatientRecord&, const FurtherPatientFields&, uint32_t) {}

}  // namespace vorbel
