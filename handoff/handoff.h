// The saving step of the confirmation: hands the confirmed patient to the configured imaging
// program. Called by the confirmation dialog at OK with its three fields as typed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "handoff/handoff_formats.h"
#include "patient/patient_record.h"
#include "handoff/template_target.h"
#include "handoff/web_link_format.h"

namespace vorbel {

// Patient data that only some targets carry. Unknown values are written empty, never made up.
struct FurtherPatientFields {
    std::u16string birthDateText;  // parsed with the user's locale after trimming; unparsable = unknown
    std::optional<int> sex;        // 0 male, any other value female; nullopt = unknown
    std::u16string extraText;      // Sidexis N record, unchanged
    std::u16string email;          // web export
};

// NotStarted: everything was handed over but the imaging program could not be started; the user
// was told, and the dialog closes all the same, since what was written belongs to this patient.
enum class HandOffOutcome { Accepted, Refused, NotStarted };

// What the user sees and the moments the step samples, replaceable in tests.
struct HandOffHooks {
    std::function<void()> errorBeep;  // a refusal without text
    // A warning box in French naming the file or program at fault.
    std::function<void(HWND owner, const std::u16string& text)> showFileError;
    std::function<bool()> dumpKeysHeld;  // Shift or Ctrl held: dump the log
    std::function<LocalDateTime()> now;  // local date and time for Sidexis
    std::function<void(HWND owner, uint32_t key, const WebExportPatient&)> webExport;  // target 5
    // A hung imaging program must not freeze the program: the wait for its first idle moment is bounded.
    unsigned long idleWaitMs = 20000;
};

// The five settings of target 6, as stored.
TemplateTargetSettings ReadTemplateTargetSettings(uint32_t key);

// ErrorBeep, a warning message box, the GetAsyncKeyState sampling, GetLocalTime.
HandOffHooks DefaultHandOffHooks();

// Accepted: the dialog closes. Refused: an error beep or a shown file error; the dialog stays open
// and no program was started. NotStarted: a shown message; the dialog closes.
HandOffOutcome HandOffPatient(HWND owner, const PatientRecord& fields, const FurtherPatientFields& further);
HandOffOutcome HandOffPatient(HWND owner, const PatientRecord& fields, const FurtherPatientFields& further,
                              const HandOffHooks& hooks);

}  // namespace vorbel
