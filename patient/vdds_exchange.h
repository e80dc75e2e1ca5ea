// The exchange file of VDDS-media, by which a practice program hands the patient to an imaging
// program: an INI file whose section [PATIENT] holds the patient, and where the imaging program
// answers. Here: what both ends share, and how the patient comes in by such a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "patient/calendar_date.h"
#include "patient/patient_record.h"
#include "text/ini_text.h"

namespace vorbel {

inline constexpr char16_t kVddsPatientSection[] = u"PATIENT";
inline constexpr char16_t kVddsPracticeProgramKey[] = u"PVS";
inline constexpr char16_t kVddsImagingProgramKey[] = u"BVS";
inline constexpr char16_t kVddsChartNumberKey[] = u"PATID";
inline constexpr char16_t kVddsLastNameKey[] = u"LASTNAME";
inline constexpr char16_t kVddsFirstNameKey[] = u"FIRSTNAME";
inline constexpr char16_t kVddsBirthDateKey[] = u"BIRTHDAY";
inline constexpr char16_t kVddsSexKey[] = u"SEX";
inline constexpr char16_t kVddsReadyKey[] = u"READY";
inline constexpr char16_t kVddsErrorLevelKey[] = u"ERRORLEVEL";
inline constexpr char16_t kVddsErrorTextKey[] = u"ERRORTEXT";

// The text of a VDDS-media file and how it is written: Windows-1252, or UTF-8 when the bytes
// start with its byte-order mark and are valid UTF-8 throughout. No file that Windows-1252 reads
// as an INI starts with that mark, so the choice never changes what such a file says; guessing
// UTF-8 without the mark would, for a few Windows-1252 names. Either way, encoding the decoded
// text gives back every byte, so that an edit keeps what it does not change.
struct VddsFileText {
    std::u16string text;
    bool utf8 = false;
};

VddsFileText DecodeVddsFile(std::string_view bytes);
// The text in the file's encoding; a character Windows-1252 lacks becomes "?".
std::string EncodeVddsFile(const VddsFileText& file);

// The first section [PATIENT] of the file; nullopt when the bytes are no exchange file (no INI,
// or no such section), which the caller then leaves alone.
std::optional<IniSection> ReadVddsPatientSection(std::string_view bytes);

// BIRTHDAY: yyyyMMdd, a date of the calendar; anything else is no date.
std::optional<CalendarDate> ParseVddsDate(std::u16string_view text);
// Empty when d is no date of the calendar between the years 1 and 9999.
std::u16string VddsDateText(const CalendarDate& d);

struct VddsPatient {
    std::u16string practiceProgram;  // PVS
    std::u16string imagingProgram;   // BVS
    PatientRecord patient;           // PATID, LASTNAME, FIRSTNAME
    std::optional<CalendarDate> birthDate;
    std::optional<int> sex;  // SEX: M 0, W (or F) 1; on writing, any value but 0 is female

    bool operator==(const VddsPatient&) const = default;
};

// The patient of an exchange file, read as GetPrivateProfileString would: names in any case,
// blanks around them, either line ending; a missing or unreadable field stays empty (unknown).
// nullopt when the bytes are no exchange file.
std::optional<VddsPatient> ReadVddsPatient(std::string_view bytes);

// The file with the imaging side's answer written into it: READY=1, ERRORLEVEL and, with an
// error, ERRORTEXT, each in place or added to [PATIENT]; every other byte stays. nullopt when
// the bytes are no exchange file.
std::optional<std::string> AnswerVddsExchange(std::string_view bytes, int errorLevel, std::u16string_view errorText);

}  // namespace vorbel
