// Capture from the practice program's own windows: the three controls designated in Setup are
// found again and read. WinDev programs and VisioDent are driven around the reading.
#pragma once

#include <cstdint>
#include <string>

#include "patient/patient_record.h"
#include "locator/field_locator.h"

namespace vorbel {

struct FieldLocators {
    std::u16string chartNumber;  // setting 1
    std::u16string lastName;     // setting 2
    std::u16string firstName;    // setting 3
};

// Reads settings 1, 2 and 3 with the machine key and captures from them.
PatientRecord ReadWindowFields(uint32_t key, LocatorLookup lookup);

// Before the reading, from the chart-number locator only: a WinDev window (class "WinDevObject")
// gets Alt+E, VisioDent ("FENETRE_VISIODENT32") its command 30036; either is followed by a
// 2-second pause under the wait cursor. After it, from the first-name locator only: a WinDev
// window gets Escape. A field that is not configured, not found or not answered is empty; a
// hung program costs at most a bounded wait per message.
PatientRecord ReadWindowFields(const FieldLocators& locators, LocatorLookup lookup);

}  // namespace vorbel
