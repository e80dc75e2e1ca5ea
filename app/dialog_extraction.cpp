#include "app/dialog_extraction.h"

#include "handoff/handoff.h"
#include "patient/window_fields.h"
#include "resources/resource.h"
#include "settings/diagnostic_log.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/text.h"
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
    const LocatorLookup lookup =
        ReadSettingInt(Setting::PointOnlyMode, key) != 0 ? LocatorLookup::PointOnly : LocatorLookup::StructureFirst;

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
        captured_ = ReadWindowFields(key, lookup);
        SetItemText(IDC_CHART_NUMBER, captured_.ChartNumber);
        SetItemText(IDC_LAST_NAME, captured_.LastName);
        SetItemText(IDC_FIRST_NAME, captured_.FirstName);
    }
    ShowFurtherFieldsUsed(key);
    SetItemText(IDC_EXTRACTION_STATUS, u"");
    if (ReadSettingInt(Setting::SkipConfirmation, key) != 0) PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
}

PatientRecord CDialogExtraction::EditedPatient() const {
    return {ItemText(IDC_CHART_NUMBER), ItemText(IDC_LAST_NAME), ItemText(IDC_FIRST_NAME)};
}

void CDialogExtraction::ShowFurtherFieldsUsed(uint32_t key) {
    if (ReadSettingInt(Setting::ImagingTarget, key) != TargetTemplate) return;
    // A template that does not parse shows nothing more here; the hand-off names it at OK.
    const TemplateTargetParse parse = ParseTemplateTarget(ReadTemplateTargetSettings(key));
    showsBirthDate_ = parse.ok() && parse.value.Uses(TemplateField::BirthDate);
    showsSex_ = parse.ok() && parse.value.Uses(TemplateField::Sex);
    if (showsBirthDate_) {
        SetItemText(IDC_BIRTH_DATE, extras_.birthDate);
        ShowWindow(Item(IDC_BIRTH_DATE_LABEL), SW_SHOWNA);
        ShowWindow(Item(IDC_BIRTH_DATE), SW_SHOWNA);
    }
    if (showsSex_) {
        HWND sex = Item(IDC_SEX);
        for (const wchar_t* choice : {L"", L"Masculin", L"F\u00e9minin"}) {
            SendMessageW(sex, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
        }
        SendMessageW(sex, CB_SETCURSEL, extras_.sex ? (*extras_.sex == 0 ? 1 : 2) : 0, 0);
        ShowWindow(Item(IDC_SEX_LABEL), SW_SHOWNA);
        ShowWindow(sex, SW_SHOWNA);
    }
}

FurtherPatientFields CDialogExtraction::FurtherFields() const {
    FurtherPatientFields further;
    const PatientRecord edited = EditedPatient();
    const auto same = [](const std::u16string& a, const std::u16string& b) { return Trim(a) == Trim(b); };
    if (same(edited.ChartNumber, captured_.ChartNumber) && same(edited.LastName, captured_.LastName) &&
        same(edited.FirstName, captured_.FirstName)) {
        further.birthDateText = extras_.birthDate;
        further.sex = extras_.sex;
    }
    // Shown fields are what the user confirmed, whoever the patient now is.
    if (showsBirthDate_) further.birthDateText = ItemText(IDC_BIRTH_DATE);
    if (showsSex_) {
        const LRESULT choice = SendMessageW(Item(IDC_SEX), CB_GETCURSEL, 0, 0);
        further.sex = choice == 1 ? std::optional<int>(0) : choice == 2 ? std::optional<int>(1) : std::nullopt;
    }
    return further;
}

bool CDialogExtraction::HandOff() {
    return HandOffPatient(hwnd(), EditedPatient(), FurtherFields()) != HandOffOutcome::Refused;
}

}  // namespace vorbel
