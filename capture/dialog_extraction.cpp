#include "capture/dialog_extraction.h"

#include "capture/handoff.h"
#include "capture/window_fields.h"
#include "resources/resource.h"
#include "settings/diagnostic_log.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/text.h"
#include "setup/field_locator.h"
#include "win/keys.h"
#include "win/wide.h"

namespace vorbel {

CDialogExtraction::CDialogExtraction(std::u16string commandLine)
    : Dialog(IDD_EXTRACTION), commandLine_(std::move(commandLine)) {}

bool CDialogExtraction::DoDataExchange(Exchange direction) {
    TrimLog();
    if (direction == Exchange::Load) {
        LoadPatient();
        return true;
    }
    return HandOff();
}

void CDialogExtraction::LoadPatient() {
    const uint32_t key = GetMachineKey();
    const int format = DecodeConventionIndex(ReadSettingInt(Setting::CommandLineConvention, key));
    const bool swapNames = ReadSettingInt(Setting::SwapNames, key) != 0;
    SetPointOnlyMode(ReadSettingInt(Setting::PointOnlyMode, key) != 0);

    if (format != FormatNone) {
        if (!commandLine_.empty()) {
            if (IsShiftOrCtrlHeld()) {
                MessageBoxW(hwnd(), W(commandLine_), L"Vorbel", MB_ICONINFORMATION | MB_OK);
            }
            if (format >= FormatSpaced && format <= FormatSlashP) {
                captured_ = ParseCommandLine(commandLine_, format, swapNames);
                extras_ = ParseCommandLineExtras(commandLine_, format);
                if (format == FormatSpaced || format == FormatQuoted) {
                    SetDlgItemInt(hwnd(), IDC_CHART_NUMBER, ParseDecimalInt(captured_.ChartNumber), TRUE);
                } else {
                    SetItemText(IDC_CHART_NUMBER, captured_.ChartNumber);
                }
                SetItemText(IDC_LAST_NAME, captured_.LastName);
                SetItemText(IDC_FIRST_NAME, captured_.FirstName);
            }
        }
    } else {
        captured_ = ReadWindowFields(key);
        SetItemText(IDC_CHART_NUMBER, captured_.ChartNumber);
        SetItemText(IDC_LAST_NAME, captured_.LastName);
        SetItemText(IDC_FIRST_NAME, captured_.FirstName);
    }
    SetItemText(IDC_EXTRACTION_STATUS, u"");
    if (ReadSettingInt(Setting::SkipConfirmation, key) != 0) PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
}

PatientRecord CDialogExtraction::EditedPatient() const {
    return {ItemText(IDC_CHART_NUMBER), ItemText(IDC_LAST_NAME), ItemText(IDC_FIRST_NAME)};
}

bool CDialogExtraction::HandOff() {
    const PatientRecord edited = EditedPatient();
    FurtherPatientFields further;
    const auto same = [](const std::u16string& a, const std::u16string& b) { return Trim(a) == Trim(b); };
    if (same(edited.ChartNumber, captured_.ChartNumber) && same(edited.LastName, captured_.LastName) &&
        same(edited.FirstName, captured_.FirstName)) {
        further.birthDateText = extras_.birthDate;
        further.sex = extras_.sex;
    }
    return HandOffPatient(hwnd(), edited, further) != HandOffOutcome::Refused;
}

}  // namespace vorbel
