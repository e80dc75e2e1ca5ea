#include "handoff/patient_template.h"

#include <algorithm>

#include "handoff/handoff_formats.h"
#include "text/text.h"

namespace vorbel {
namespace {

// French puts a no-break space (\u00a0, escaped: it looks like a plain one) before : ; and inside « ».

constexpr char16_t kDefaultDateFormat[] = u"JJ/MM/AAAA";
constexpr char16_t kDefaultSexLetters[] = u"MF";

struct FieldName {
    std::u16string_view name;
    TemplateField field;
};

constexpr FieldName kFieldNames[] = {
    {u"DOSSIER", TemplateField::ChartNumber},
    {u"NOM", TemplateField::LastName},
    {u"PRENOM", TemplateField::FirstName},
    {u"NAISSANCE", TemplateField::BirthDate},
    {u"SEXE", TemplateField::Sex},
    {u"FICHIER", TemplateField::BridgeFile},
};

// Guillemets with non-breaking spaces around the bad part.
std::u16string Quoted(std::u16string_view part) { return u"«\u00a0" + std::u16string(part) + u"\u00a0»"; }

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

// The date elements, longest first so that AAAA is never read as AA twice.
constexpr std::u16string_view kDateElements[] = {u"AAAA", u"AA", u"JJ", u"MM"};

// Walks a date format: each element, or a separator (printable ASCII that is no letter or digit).
// False at the first unit that is neither.
template <typename OnElement, typename OnSeparator>
bool WalkDateFormat(std::u16string_view format, OnElement onElement, OnSeparator onSeparator) {
    for (size_t i = 0; i < format.size();) {
        const auto element = std::find_if(std::begin(kDateElements), std::end(kDateElements),
                                          [&](std::u16string_view e) { return format.substr(i, e.size()) == e; });
        if (element != std::end(kDateElements)) {
            onElement(*element);
            i += element->size();
            continue;
        }
        const char16_t c = format[i];
        if (c < 0x20 || c > 0x7E || IsAsciiLetterOrDigit(c)) return false;
        onSeparator(c);
        ++i;
    }
    return true;
}

bool IsDateFormat(std::u16string_view format) {
    int elements = 0;
    return WalkDateFormat(
               format, [&](std::u16string_view) { ++elements; }, [](char16_t) {}) &&
           elements > 0;
}

bool IsSurrogate(char16_t c) { return IsHighSurrogate(c) || IsLowSurrogate(c); }

std::u16string Digits(int v, size_t width) {
    std::u16string s = DecimalText(v < 0 ? 0 : v);
    if (s.size() < width) s.insert(0, width - s.size(), u'0');
    return s;
}

std::u16string FormatBirthDate(const CalendarDate& d, std::u16string_view format) {
    std::u16string out;
    WalkDateFormat(
        format,
        [&](std::u16string_view e) {
            if (e == u"AAAA") out += Digits(d.year, 4);
            else if (e == u"AA") out += Digits(d.year % 100, 2);
            else if (e == u"JJ") out += Digits(d.day, 2);
            else out += Digits(d.month, 2);
        },
        [&](char16_t c) { out += c; });
    return out;
}

// Checks one field, written whole as "{...}" in the message; empty error when it is valid.
std::u16string ParseField(std::u16string_view whole, std::u16string_view inside, BridgeFileField fileField,
                          TemplatePart& part) {
    const size_t colon = inside.find(u':');
    const std::u16string_view name = inside.substr(0, colon);
    const auto known = std::find_if(std::begin(kFieldNames), std::end(kFieldNames),
                                    [&](const FieldName& f) { return f.name == name; });
    if (inside.empty()) return Quoted(whole) + u"\u00a0: champ vide.";
    if (known == std::end(kFieldNames)) {
        return Quoted(whole) +
               u"\u00a0: champ inconnu. Les champs sont {DOSSIER}, {NOM}, {PRENOM}, {NAISSANCE}, "
               u"{SEXE} et {FICHIER}\u00a0; {{ et }} donnent une accolade.";
    }
    part.field = known->field;
    const bool hasFormat = colon != std::u16string_view::npos;
    const std::u16string_view format = hasFormat ? inside.substr(colon + 1) : std::u16string_view();
    switch (known->field) {
        case TemplateField::BirthDate:
            if (!hasFormat) {
                part.text = kDefaultDateFormat;
            } else if (!IsDateFormat(format)) {
                return Quoted(whole) +
                       u"\u00a0: format de date invalide. Il se compose de JJ, MM, AAAA ou AA "
                       u"et de séparateurs, comme {NAISSANCE:AAAAMMJJ} ou {NAISSANCE:JJ.MM.AA}.";
            } else {
                part.text = format;
            }
            return u"";
        case TemplateField::Sex:
            if (!hasFormat) {
                part.text = kDefaultSexLetters;
            } else if (format.size() != 2 || IsSurrogate(format[0]) || IsSurrogate(format[1]) || format[0] < 0x20 ||
                       format[1] < 0x20) {
                return Quoted(whole) +
                       u"\u00a0: il faut deux caractères, pour homme puis pour femme, "
                       u"comme {SEXE:HF}.";
            } else {
                part.text = format;
            }
            return u"";
        case TemplateField::BridgeFile:
            if (fileField == BridgeFileField::NoBridgeFile) {
                return Quoted(whole) + u"\u00a0: ce champ n'est valable qu'avec un fichier d'échange.";
            }
            if (fileField == BridgeFileField::OwnPath) {
                return Quoted(whole) +
                       u"\u00a0: le chemin du fichier d'échange ne peut pas se contenir "
                       u"lui-même.";
            }
            [[fallthrough]];
        default:
            if (hasFormat) return Quoted(whole) + u"\u00a0: ce champ ne prend pas de format.";
            return u"";
    }
}

bool IsFileNameUnsafe(char16_t c) {
    return c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos;
}

std::u16string SafeFileNamePart(std::u16string value) {
    std::replace_if(value.begin(), value.end(), IsFileNameUnsafe, u'_');
    // "." and ".." would climb out of the folder the template names.
    if (!value.empty() && value.find_first_not_of(u'.') == std::u16string::npos) value.assign(value.size(), u'_');
    return value;
}

}  // namespace

bool PatientTemplate::Uses(TemplateField f) const {
    return std::any_of(parts.begin(), parts.end(), [f](const TemplatePart& p) { return p.field == f; });
}

TemplateParse ParsePatientTemplate(std::u16string_view text, BridgeFileField fileField) {
    TemplateParse result;
    std::u16string literal;
    const auto flush = [&] {
        if (!literal.empty()) result.value.parts.push_back({std::nullopt, std::move(literal)});
        literal.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'}') {
            if (i + 1 < text.size() && text[i + 1] == u'}') {
                literal += u'}';
                ++i;
                continue;
            }
            result.error = Quoted(u"}") +
                           u"\u00a0: accolade fermante sans accolade ouvrante (écrivez }} pour "
                           u"une accolade).";
            return result;
        }
        if (c != u'{') {
            literal += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'{') {
            literal += u'{';
            ++i;
            continue;
        }
        const size_t close = text.find(u'}', i + 1);
        const size_t nextOpen = text.find(u'{', i + 1);
        if (close == std::u16string_view::npos || nextOpen < close) {
            // Named up to the next brace or the end of the line, so the message stays short.
            const size_t end = std::min({nextOpen, text.find_first_of(u"\r\n", i), text.size()});
            result.error = Quoted(text.substr(i, end - i)) +
                           u"\u00a0: accolade ouvrante sans accolade fermante "
                           u"(écrivez {{ pour une accolade).";
            return result;
        }
        TemplatePart part;
        const std::u16string_view whole = text.substr(i, close - i + 1);
        result.error = ParseField(whole, text.substr(i + 1, close - i - 1), fileField, part);
        if (!result.ok()) return result;
        flush();
        result.value.parts.push_back(std::move(part));
        i = close;
    }
    flush();
    return result;
}

std::u16string PartValue(const TemplatePart& part, const TemplateValues& values) {
    if (!part.field) return part.text;
    switch (*part.field) {
        case TemplateField::ChartNumber: return values.patient.chartNumber;
        case TemplateField::LastName: return values.patient.lastName;
        case TemplateField::FirstName: return values.patient.firstName;
        case TemplateField::BirthDate: return values.birthDate ? FormatBirthDate(*values.birthDate, part.text) : u"";
        case TemplateField::Sex:
            if (!values.sex || part.text.size() != 2) return u"";
            return std::u16string(1, *values.sex == 0 ? part.text[0] : part.text[1]);
        case TemplateField::BridgeFile: return values.bridgeFile;
    }
    return u"";
}

std::u16string FillTemplate(const PatientTemplate& t, const TemplateValues& values, ValueEscape escape) {
    std::u16string out;
    for (const TemplatePart& part : t.parts) {
        std::u16string value = PartValue(part, values);
        // A line break in a value would add a line to the file.
        if (part.field) value = LineBreaksToSpaces(value);
        if (part.field && escape == ValueEscape::Xml) value = EscapeXmlValue(value);
        if (part.field && escape == ValueEscape::FileName) value = SafeFileNamePart(std::move(value));
        out += value;
    }
    return out;
}

TemplateValues SamplePatientValues() { return {{u"4217", u"MARTIN", u"Hélène"}, CalendarDate{12, 9, 1984}, 1, u""}; }

}  // namespace vorbel
