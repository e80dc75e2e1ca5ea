// The confirmation dialog: captures the patient while it is still invisible, shows it, and hands
// it to the imaging program on OK.
#pragma once

#include <string>

#include "patient/command_line.h"
#include "handoff/handoff.h"
#include "patient/patient_record.h"
#include "win/dialog.h"

namespace vorbel {

class CDialogExtraction : public Dialog {
public:
    explicit CDialogExtraction(std::u16string commandLine);

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
    PatientRecord captured_;
    CommandLineExtras extras_;
    bool showsBirthDate_ = false;
    bool showsSex_ = false;
};

}  // namespace vorbel
