// What each imaging target is handed, as text and bytes: command lines, the VixWin patient folder,
// the linkage XML and the Sidexis exchange records. Pure functions; the Win32 side writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handoff/template_command_line.h"
#include "patient/calendar_date.h"
#include "patient/patient_record.h"

namespace vorbel {

// Values of the imaging-target setting. Any value not named here starts the program alone.
enum ImagingTarget : int {
    TargetNone = -1,  // refuse every hand-off
    TargetVixWin = 0,
    TargetCliniView = 1,
    TargetLinkageFile = 2,
    TargetSwitchArguments = 3,
    TargetSidexis = 4,
    TargetWebExport = 5,
    TargetTemplate = 6,  // "Autre programme": a command-line template and an optional bridge file
};

inline constexpr char16_t kDefaultVixWinProgram[] = u"C:\\vixwin\\vixwin.exe";
inline constexpr char16_t kDefaultCliniViewProgram[] = u"C:\\Program Files\\CliniView\\CliniView.exe";
inline constexpr char16_t kDefaultImagesRoot[] = u"C:\\Vximages";
inline constexpr char16_t kDefaultExchangeFile[] = u"C:\\PDATA\\siomin.sdx";

// The program stored when none is: CliniView's for target 1, VixWin's for every other.
std::u16string_view DefaultProgramPath(int target);

// "05/03/1970" and "05.03.1970": day and month on two digits, the year as it is.
std::u16string FormatDate(const CalendarDate& d, char16_t separator);
// "09:05:07"
std::u16string FormatTime(const LocalDateTime& t);

// The program path as the start of a command line. A path holding a space or a tab that names
// an existing file as a whole is put in double quotes, so that "C:\Program Files\x.exe" can never
// start C:\Program.exe; anything else (quoted already, or a program followed by arguments of its
// own such as "C:\Sidexis\sidexis.exe /NOSPLASH") goes as written.
std::u16string QuotedProgramPath(std::u16string_view program, bool namesExistingFile);

// Folder of the program with its final backslash ("C:\img\" for C:\img\x.exe); empty when the path
// has no backslash. Surrounding quotes are not part of the folder.
std::u16string ProgramFolder(std::u16string_view program);

// One value as a single quoted argument by the Windows command-line rules (CommandLineToArgvW and
// the C runtime): embedded quotes escaped, backslashes before a quote doubled, the closing quote
// never escaped. The value then reads back whole and can neither end early nor add arguments.
std::u16string QuoteArgumentValue(std::u16string_view value);

// A value for XML 1.0 text or attributes: markup characters as entities, a tab as a character
// reference (a parser would turn it into a space), line ends as spaces, characters XML cannot
// carry as U+FFFD.
std::u16string EscapeXmlValue(std::u16string_view v);

// VixWin: the patient folder is made of the chart number, which therefore must not hold "\", "/",
// ":" or "..": such a number would lead out of the images root.
bool ChartNumberLeavesImagesRoot(std::u16string_view chartNumber);

// VixWin: spaces (and line breaks) in the three fields become "_"; the patient folder is the
// images root, a backslash and the chart number left-filled with zeros to six units.
// programCommand is the start of the command line (QuotedProgramPath). The arguments
// " -I %s -N %s^%s -P %s" carry each value inside its argument as a template's do
// (QuoteFilledArgument): a quote becomes an apostrophe, a tab or another blank puts the value in
// quotes; a value without them goes as it is.
struct VixWinLaunch {
    std::u16string patientFolder;
    std::u16string commandLine;
};
VixWinLaunch BuildVixWinLaunch(std::u16string_view programCommand, std::u16string_view imagesRoot,
                               const PatientRecord& patient, const AnsiLookAlike& lookAlike = {});

// programCommand + " /ID:"..." /LN:"..." /N:"..."" with each value quoted by QuoteArgumentValue.
std::u16string BuildSwitchCommandLine(std::u16string_view programCommand, const PatientRecord& patient);

// The XML text of Linkage.xml, CR LF after every line. Values are escaped for XML, a CR or LF in
// them written as a space; an unknown birth date or sex leaves its element empty. sex: 0 male,
// any other value female.
std::u16string BuildLinkageXml(const PatientRecord& patient, const std::optional<CalendarDate>& birthDate,
                               const std::optional<int>& sex);

// CliniView's section "PracticeManagementInterface" as one block for WritePrivateProfileSectionW
// ("key=value" lines, each ended by a zero, a zero at the end), from the section as it is
// (the same form; empty when absent): the five entries replaced where present, in their place,
// and added in their fixed order where not; every other line kept. A CR or LF in a value is
// written as a space.
std::u16string BuildCliniViewSection(std::u16string_view current, const PatientRecord& patient);

// The file content: byte-order mark FF FE, then the text as UTF-16LE without a terminating zero.
std::vector<uint8_t> Utf16LeWithBom(std::u16string_view text);

// Text to the bytes of the system's OEM code page (injected: the Win32 side converts for real).
using OemConverter = std::function<std::string(std::u16string_view)>;

struct SidexisPatient {
    PatientRecord patient;
    std::optional<CalendarDate> birthDate;  // unknown: the date fields stay empty
    std::optional<int> sex;                 // known and not 0: "F"; otherwise "M"
    std::u16string extraText;               // unchanged; empty writes a single space
    std::u16string stationName;             // the computer name put in the records
    LocalDateTime now;                      // the A record's local date and time
};

inline constexpr size_t kSidexisNameLimit = 255;      // bytes of a converted name
inline constexpr size_t kSidexisRecordLimit = 65535;  // what the 2-byte length can count

// The two records, each a 2-byte little-endian length that counts the whole record, the letter, a
// zero byte, each field followed by a zero byte, then CR LF. Names are converted to OEM bytes, cut
// at their first zero byte and at kSidexisNameLimit bytes; every other field gives one byte per
// unit (units above 0xFF and 0 give "?", so no field can split or pose as another character).
// A CR or LF in a value is written as a space, so that only the record's end is a line end.
// nullopt when a record would not fit its length.
std::optional<std::vector<uint8_t>> BuildSidexisNRecord(const SidexisPatient& p, const OemConverter& toOem);
std::optional<std::vector<uint8_t>> BuildSidexisARecord(const SidexisPatient& p, const OemConverter& toOem);

}  // namespace vorbel
