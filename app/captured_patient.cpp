#include "app/captured_patient.h"

#include <commctrl.h>

#include <algorithm>

#include "app/confirmation_dialog.h"
#include "patient/window_fields.h"
#include "settings/diagnostic_log.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "win/keys.h"
#include "win/message_box.h"
#include "win/wide.h"

namespace vorbel {
namespace {

std::u16string AsEditHoldsIt(std::u16string text) {
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
}

}  // namespace

CapturedPatient CapturePatient(HWND owner, const std::u16string& commandLine, uint32_t key) {
    const int format = DecodeConventionIndex(ReadSettingInt(Setting::CommandLineConvention, key));
    CapturedPatient captured;
    PatientRecord& f = captured.fields;
    if (format == FormatNone) {
        const LocatorLookup lookup =
            ReadSettingInt(Setting::PointOnlyMode, key) != 0 ? LocatorLookup::PointOnly : LocatorLookup::StructureFirst;
        f = ReadWindowFields(key, lookup);
    } else if (!commandLine.empty()) {
        if (IsShiftOrCtrlHeld()) ShowInformation(owner, commandLine);
        if (format >= FormatSpaced && format <= FormatSlashP) {
            // The spaced and quoted conventions give the chart number as a number's decimal text,
            // or none when the text does not begin with a number.
            f = ParseCommandLine(commandLine, format, ReadSettingInt(Setting::SwapNames, key) != 0);
            captured.extras = ParseCommandLineExtras(commandLine, format);
        }
    }
    f = {AsEditHoldsIt(f.chartNumber), AsEditHoldsIt(f.lastName), AsEditHoldsIt(f.firstName)};
    return captured;
}

FurtherPatientFields FurtherFieldsOf(const CapturedPatient& captured) {
    FurtherPatientFields further;
    further.birthDateText = AsEditHoldsIt(captured.extras.birthDate);
    further.sex = captured.extras.sex;
    return further;
}

void RunPatientLink(HWND button, const std::u16string& commandLine) {
    const uint32_t key = GetMachineKey();
    // The common controls load with the first dialog that has controls: the button at rest, and
    // a link without confirmation, do without them.
    if (ReadSettingInt(Setting::SkipConfirmation, key) == 0) {
        InitCommonControls();
        CConfirmationDialog(commandLine).DoModal(button);
        return;
    }
    // No dialog to build: the patient goes straight to the imaging program.
    TrimLog();
    CapturedPatient captured = CapturePatient(button, commandLine, key);
    TrimLog();
    if (HandOffPatient(button, captured.fields, FurtherFieldsOf(captured)) != HandOffOutcome::Refused) return;
    InitCommonControls();
    CConfirmationDialog(std::move(captured)).DoModal(button);
}

}  // namespace vorbel
