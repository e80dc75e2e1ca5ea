#include "app/confirmation_dialog.h"

#include "handoff/handoff.h"
#include "resources/resource.h"
#include "settings/diagnostic_log.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "win/wide.h"

namespace vorbel {

CConfirmationDialog::CConfirmationDialog(std::u16string commandLine)
    : Dialog(IDD_EXTRACTION), commandLine_(std::move(commandLine)) {}

CConfirmationDialog::CConfirmationDialog(CapturedPatient captured)
    : Dialog(IDD_EXTRACTION), captured_(std::move(captured)) {}

bool CConfirmationDialog::DoDataExchange(Exchange direction) {
    TrimLog();
    if (direction == Exchange::Load) {
        LoadPatient();
        return true;
    }
    return HandOff();
}

void CConfirmationDialog::LoadPatient() {
    const uint32_t key = GetMachineKey();
    if (!captured_) captured_ = CapturePatient(hwnd(), commandLine_, key);
    SetItemText(IDC_CHART_NUMBER, captured_->fields.chartNumber);
    SetItemText(IDC_LAST_NAME, captured_->fields.lastName);
    SetItemText(IDC_FIRST_NAME, captured_->fields.firstName);
    ShowFurtherFieldsUsed(key);
    SetItemText(IDC_EXTRACTION_STATUS, u"");
}

PatientRecord CConfirmationDialog::EditedPatient() const {
    return {ItemText(IDC_CHART_NUMBER), ItemText(IDC_LAST_NAME), ItemText(IDC_FIRST_NAME)};
}

void CConfirmationDialog::ShowFurtherFieldsUsed(uint32_t key) {
    if (ReadSettingInt(Setting::ImagingTarget, key) != TargetTemplate) return;
    // A template that does not parse shows nothing more here; the hand-off names it at OK.
    const TemplateTargetParse parse = ParseTemplateTarget(ReadTemplateTargetSettings(key));
    showsBirthDate_ = parse.ok() && parse.value.Uses(TemplateField::BirthDate);
    showsSex_ = parse.ok() && parse.value.Uses(TemplateField::Sex);
    if (showsBirthDate_) {
        SetItemText(IDC_BIRTH_DATE, captured_->extras.birthDate);
        ShowWindow(Item(IDC_BIRTH_DATE_LABEL), SW_SHOWNA);
        ShowWindow(Item(IDC_BIRTH_DATE), SW_SHOWNA);
    }
    if (showsSex_) {
        HWND sex = Item(IDC_SEX);
        for (const wchar_t* choice : {L"", L"Masculin", L"Féminin"}) {
            SendMessageW(sex, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
        }
        const std::optional<int>& captured = captured_->extras.sex;
        SendMessageW(sex, CB_SETCURSEL, captured ? (*captured == 0 ? 1 : 2) : 0, 0);
        ShowWindow(Item(IDC_SEX_LABEL), SW_SHOWNA);
        ShowWindow(sex, SW_SHOWNA);
    }
}

FurtherPatientFields CConfirmationDialog::FurtherFields() const {
    FurtherPatientFields further;
    const PatientRecord edited = EditedPatient();
    const PatientRecord& captured = captured_->fields;
    const auto same = [](const std::u16string& a, const std::u16string& b) { return Trim(a) == Trim(b); };
    if (same(edited.chartNumber, captured.chartNumber) && same(edited.lastName, captured.lastName) &&
        same(edited.firstName, captured.firstName)) {
        further = FurtherFieldsOf(*captured_);
    }
    // Shown fields are what the user confirmed, whoever the patient now is.
    if (showsBirthDate_) further.birthDateText = ItemText(IDC_BIRTH_DATE);
    if (showsSex_) {
        const LRESULT choice = SendMessageW(Item(IDC_SEX), CB_GETCURSEL, 0, 0);
        further.sex = choice == 1 ? std::optional<int>(0) : choice == 2 ? std::optional<int>(1) : std::nullopt;
    }
    return further;
}

bool CConfirmationDialog::HandOff() {
    return HandOffPatient(hwnd(), EditedPatient(), FurtherFields()) != HandOffOutcome::Refused;
}

}  // namespace vorbel
