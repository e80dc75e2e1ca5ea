#include "handoff/handoff_formats.h"

#include <algorithm>

#include "text/text.h"

namespace vorbel {
namespace {

std::u16string TwoDigits(int v) {
    std::u16string s = DecimalText(v);
    if (s.size() < 2) s.insert(s.begin(), u'0');
    return s;
}

// Ini keys compare without regard to case.
bool SameAsciiIgnoringCase(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

// Line breaks first become spaces, so that neither the folder name nor an argument holds one.
std::u16string SpacesToUnderscores(std::u16string_view text) {
    std::u16string s = LineBreaksToSpaces(text);
    std::replace(s.begin(), s.end(), u' ', u'_');
    return s;
}

// One record under construction: the length is filled in by Finish.
class RecordWriter {
public:
    explicit RecordWriter(char letter) { bytes_ = {0, 0, static_cast<uint8_t>(letter), 0}; }
    // One byte per unit. A unit the byte cannot hold, and a zero that would end the field early,
    // become "?" rather than their low 8 bits, which could read as another chart number.
    void Field(std::u16string_view text) {
        for (char16_t c : LineBreaksToSpaces(text))
            bytes_.push_back(c == 0 || c > 0xFF ? '?' : static_cast<uint8_t>(c));
        bytes_.push_back(0);
    }
    void NameField(std::u16string_view name, const OemConverter& toOem) {
        std::string oem = toOem(LineBreaksToSpaces(name));
        oem = oem.substr(0, std::min(oem.find('\0'), kSidexisNameLimit));
        bytes_.insert(bytes_.end(), oem.begin(), oem.end());
        bytes_.push_back(0);
    }
    std::optional<std::vector<uint8_t>> Finish() {
        bytes_.push_back(0x0D);
        bytes_.push_back(0x0A);
        if (bytes_.size() > kSidexisRecordLimit) return std::nullopt;
        bytes_[0] = static_cast<uint8_t>(bytes_.size() & 0xFF);
        bytes_[1] = static_cast<uint8_t>(bytes_.size() >> 8);
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
};

constexpr char16_t kSidexisReceiver[] = u"\\\\*\\SIDEXIS";

std::u16string SidexisAddress(std::u16string_view station) { return u"\\\\" + std::u16string(station) + u"\\SDXLink"; }

std::u16string SidexisDate(const std::optional<CalendarDate>& d) { return d ? FormatDate(*d, u'.') : u""; }

// Fields 1 to 4, common to both records.
void PatientFields(RecordWriter& w, const SidexisPatient& p, const OemConverter& toOem) {
    w.NameField(p.patient.lastName, toOem);
    w.NameField(p.patient.firstName, toOem);
    w.Field(SidexisDate(p.birthDate));
    w.Field(p.patient.chartNumber);
}

}  // namespace

std::u16string_view DefaultProgramPath(int target) {
    return target == TargetCliniView ? kDefaultCliniViewProgram : kDefaultVixWinProgram;
}

std::u16string EscapeXmlValue(std::u16string_view v) {
    std::u16string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        const char16_t c = v[i];
        switch (c) {
            case u'&': out += u"&amp;"; continue;
            case u'<': out += u"&lt;"; continue;
            case u'>': out += u"&gt;"; continue;
            case u'"': out += u"&quot;"; continue;
            case u'\'': out += u"&apos;"; continue;
            case u'\t': out += u"&#9;"; continue;
            case u'\n':
            case u'\r': out += u' '; continue;
            default: break;
        }
        if (IsHighSurrogate(c) && i + 1 < v.size() && IsLowSurrogate(v[i + 1])) {
            out += c;
            out += v[++i];
        } else if (c < 0x20 || IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            out += u'\uFFFD';  // the replacement character �
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string FormatDate(const CalendarDate& d, char16_t separator) {
    return TwoDigits(d.day) + separator + TwoDigits(d.month) + separator + DecimalText(d.year);
}

std::u16string FormatTime(const LocalDateTime& t) {
    return TwoDigits(t.hour) + u':' + TwoDigits(t.minute) + u':' + TwoDigits(t.second);
}

std::u16string QuotedProgramPath(std::u16string_view program, bool namesExistingFile) {
    const bool quoted = !program.empty() && program.front() == u'"';
    if (quoted || !namesExistingFile || program.find_first_of(u" \t") == std::u16string_view::npos) {
        return std::u16string(program);
    }
    std::u16string out;
    out.reserve(program.size() + 2);
    out.append(1, u'"').append(program).append(1, u'"');
    return out;
}

std::u16string ProgramFolder(std::u16string_view program) {
    if (!program.empty() && program.front() == u'"') {
        program.remove_prefix(1);
        program = program.substr(0, program.find(u'"'));
    }
    const size_t slash = program.rfind(u'\\');
    return slash == std::u16string_view::npos ? u"" : std::u16string(program.substr(0, slash + 1));
}

std::u16string QuoteArgumentValue(std::u16string_view value) {
    std::u16string out = u"\"";
    size_t backslashes = 0;
    for (char16_t c : value) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal except before a quote, where each stands for half of a pair.
        out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, u'\\');  // they precede the closing quote
    out += u'"';
    return out;
}

bool ChartNumberLeavesImagesRoot(std::u16string_view chartNumber) {
    return chartNumber.find_first_of(u"\\/:") != std::u16string_view::npos ||
           chartNumber.find(u"..") != std::u16string_view::npos;
}

VixWinLaunch BuildVixWinLaunch(std::u16string_view programCommand, std::u16string_view imagesRoot,
                               const PatientRecord& patient, const AnsiLookAlike& lookAlike) {
    const std::u16string chart = SpacesToUnderscores(patient.chartNumber);
    const std::u16string last = SpacesToUnderscores(patient.lastName);
    const std::u16string first = SpacesToUnderscores(patient.firstName);
    VixWinLaunch launch;
    // "%06s": a string left-filled with zeros, never cut.
    launch.patientFolder =
        std::u16string(imagesRoot) + u'\\' + std::u16string(chart.size() < 6 ? 6 - chart.size() : 0, u'0') + chart;
    // {FICHIER} stands for the patient folder, a value like the names.
    static const PatientTemplate kArguments =
        ParsePatientTemplate(u"-I {DOSSIER} -N {NOM}^{PRENOM} -P {FICHIER}", BridgeFileField::Allowed).value;
    launch.commandLine =
        BuildTemplateCommandLine(programCommand, kArguments,
                                 {{chart, last, first}, std::nullopt, std::nullopt, launch.patientFolder}, lookAlike);
    return launch;
}

std::u16string BuildSwitchCommandLine(std::u16string_view programCommand, const PatientRecord& patient) {
    return std::u16string(programCommand) + u" /ID:" + QuoteArgumentValue(patient.chartNumber) + u" /LN:" +
           QuoteArgumentValue(patient.lastName) + u" /N:" + QuoteArgumentValue(patient.firstName);
}

std::u16string BuildLinkageXml(const PatientRecord& patient, const std::optional<CalendarDate>& birthDate,
                               const std::optional<int>& sex) {
    std::u16string xml = u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\r\n";
    xml += u"<LinkageParameter>\r\n";
    xml += u"<Patient LastName=\"" + EscapeXmlValue(patient.lastName) + u"\" FirstName=\"" +
           EscapeXmlValue(patient.firstName) + u"\" ChartNumber=\"" + EscapeXmlValue(patient.chartNumber) + u"\">\r\n";
    xml += u"<Birthday>" + (birthDate ? FormatDate(*birthDate, u'/') : u"") + u"</Birthday>\r\n";
    xml += u"<Gender>" + std::u16string(!sex ? u"" : *sex == 0 ? u"Male" : u"Female") + u"</Gender>\r\n";
    xml += u"</Patient>\r\n";
    xml += u"</LinkageParameter>\r\n";
    return xml;
}

std::u16string BuildCliniViewSection(std::u16string_view current, const PatientRecord& patient) {
    const std::pair<std::u16string_view, std::u16string> entries[] = {
        {u"USE_PRACTICE_MANAGEMENT", u"1"},
        {u"CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY", u"1"},
        {u"PATID", LineBreaksToSpaces(patient.chartNumber)},
        {u"PATLNAME", LineBreaksToSpaces(patient.lastName)},
        {u"PATFNAME", LineBreaksToSpaces(patient.firstName)},
    };
    bool written[std::size(entries)] = {};
    std::u16string block;
    for (size_t start = 0; start < current.size();) {
        size_t end = current.find(u'\0', start);
        if (end == std::u16string_view::npos) end = current.size();
        const std::u16string_view line = current.substr(start, end - start);
        start = end + 1;
        if (line.empty()) break;  // the section's end
        const std::u16string key = Trim(line.substr(0, line.find(u'=')));
        size_t i = 0;
        while (i < std::size(entries) && !SameAsciiIgnoringCase(key, entries[i].first)) ++i;
        if (i == std::size(entries) || line.find(u'=') == std::u16string_view::npos) {
            block.append(line).push_back(u'\0');
        } else if (!written[i]) {
            written[i] = true;
            block.append(entries[i].first).append(1, u'=').append(entries[i].second).push_back(u'\0');
        }
    }
    for (size_t i = 0; i < std::size(entries); ++i) {
        if (!written[i]) block.append(entries[i].first).append(1, u'=').append(entries[i].second).push_back(u'\0');
    }
    block.push_back(u'\0');
    return block;
}

std::vector<uint8_t> Utf16LeWithBom(std::u16string_view text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

std::optional<std::vector<uint8_t>> BuildSidexisNRecord(const SidexisPatient& p, const OemConverter& toOem) {
    RecordWriter w('N');
    PatientFields(w, p, toOem);
    w.Field(p.sex && *p.sex != 0 ? u"F" : u"M");
    w.Field(p.extraText.empty() ? u" " : p.extraText);
    w.Field(SidexisAddress(p.stationName));
    w.Field(kSidexisReceiver);
    return w.Finish();
}

std::optional<std::vector<uint8_t>> BuildSidexisARecord(const SidexisPatient& p, const OemConverter& toOem) {
    RecordWriter w('A');
    PatientFields(w, p, toOem);
    w.Field(p.stationName);
    w.Field(FormatDate(p.now.date, u'.'));
    w.Field(FormatTime(p.now));
    w.Field(SidexisAddress(p.stationName));
    w.Field(kSidexisReceiver);
    return w.Finish();
}

}  // namespace vorbel
