// The small template language by which a practice describes what an imaging program of its own
// is handed: fields in braces ({DOSSIER}, {NOM}, {PRENOM}, {NAISSANCE[:format]}, {SEXE[:HF]},
// {FICHIER}) and literal text, "{{" and "}}" for braces. Parsing is strict: anything else in
// braces, or a brace left open, is an error whose French message names the bad part.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "patient/calendar_date.h"
#include "patient/patient_record.h"

namespace vorbel {

enum class TemplateField { ChartNumber, LastName, FirstName, BirthDate, Sex, BridgeFile };

// Literal text, or a field with its checked format (birth date: the date format; sex: the
// characters for male then female).
struct TemplatePart {
    std::optional<TemplateField> field;
    std::u16string text;
};

struct PatientTemplate {
    std::vector<TemplatePart> parts;

    bool Uses(TemplateField f) const;
};

// Where {FICHIER} may stand: beside a bridge file, never in the bridge file's own path.
enum class BridgeFileField { Allowed, NoBridgeFile, OwnPath };

struct TemplateParse {
    PatientTemplate value;
    std::u16string error;  // empty when the template is valid

    bool ok() const { return error.empty(); }
};

TemplateParse ParsePatientTemplate(std::u16string_view text, BridgeFileField fileField);

// What the fields stand for. Unknown birth date or sex give empty values.
struct TemplateValues {
    PatientRecord patient;
    std::optional<CalendarDate> birthDate;
    std::optional<int> sex;  // 0 male, any other value female
    std::u16string bridgeFile;
};

// One field's value as the template asks for it; a literal part gives its text.
std::u16string PartValue(const TemplatePart& part, const TemplateValues& values);

// How values (never the template's own text) are made safe for where they land.
enum class ValueEscape {
    None,
    Xml,       // markup characters as entities, for xml bridge files
    FileName,  // characters a file name cannot hold, and names of dots only, as "_"
};

std::u16string FillTemplate(const PatientTemplate& t, const TemplateValues& values, ValueEscape escape);

// The patient that Setup's preview shows.
TemplateValues SamplePatientValues();

}  // namespace vorbel
