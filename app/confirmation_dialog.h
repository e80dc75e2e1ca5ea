// The confirmation dialog: captures the patient while it is still invisible (or shows one already
// captured), and hands it to the imaging program on OK.
#pragma once

#include <optional>
#include <string>

#include "app/captured_patient.h"
#include "handoff/handoff.h"
#include "win/dialog.h"

namespace vorbel {

class CConfirmationDialog : public Dialog {
public:
    explicit CConfirmationDialog(std::u16string commandLine);
    // A link without confirmation whose hand-off was refused: the same patient, to be mended.
    explicit CConfirmationDialog(CapturedPatient captured);

protected:
    bool DoDataExchange(Exchange direction) override;

private:
    void LoadPatient();
    bool HandOff();
    PatientRecord EditedPatient() const;
    // Target 6 shows the birth date and sex its templates use, for the user to check.
    void ShowFurtherFieldsUsed(uint32_t key);
    FurtherPatientFields FurtherFields() const;

    std::u16string commandLine_;
    // Birth date and sex from the command line belong to the captured patient only; kept to be
    // handed over while the three fields still name that patient.
    std::optional<CapturedPatient> captured_;
    bool showsBirthDate_ = false;
    bool showsSex_ = false;
};

}  // namespace vorbel
