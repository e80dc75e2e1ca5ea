// What a link captures, once: the patient as the confirmation shows it, and the further fields
// the command line carried for that patient.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "handoff/handoff.h"
#include "patient/command_line.h"
#include "patient/patient_record.h"

namespace vorbel {

struct CapturedPatient {
    // As the confirmation's edits hold them: an edit ends its text at a NUL.
    PatientRecord fields;
    CommandLineExtras extras;
};

// From the command line by the stored convention, else from the practice program's windows.
// Shift or Ctrl held shows the raw command line first, in a box owned by `owner`.
CapturedPatient CapturePatient(HWND owner, const std::u16string& commandLine, uint32_t key);

// The further fields that go with the captured patient when nobody edited it.
FurtherPatientFields FurtherFieldsOf(const CapturedPatient& captured);

// One link: capture, then the confirmation, or the hand-off at once when the confirmation is
// skipped; a refused hand-off opens the confirmation on what was captured, to be mended.
void RunPatientLink(HWND button, const std::u16string& commandLine);

}  // namespace vorbel
