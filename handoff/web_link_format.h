// What the web export sends: the one-patient CSV file, its name on the server, and the upload
// address as the information server's document carries it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "patient/calendar_date.h"

namespace vorbel {

struct WebExportPatient {  // trimmed by the caller, except the e-mail
    std::u16string lastName, firstName, email;
    std::optional<CalendarDate> birthDate;  // unknown: the Date column stays empty, never made up
};

// The upload buffer is 10,240 bytes with its terminating zero.
inline constexpr size_t kMaxWebLinkBytes = 10239;

// Header line and data line, each ending with CR LF; values without quoting, a CR or LF in them
// written as a space so that the file keeps its two lines.
std::u16string WebLinkCsvText(const WebExportPatient& patient);

// ISO 8859-1, one byte per character. A character beyond U+00FF (a surrogate pair counting as
// one character) is written as "?".
std::string ToLatin1(std::u16string_view text);

// "%s_%s_%s.csv": site computer name, site label, local time "%Y%m%d%H%M%S".
std::u16string WebLinkFileName(std::u16string_view siteComputerName, std::u16string_view siteLabel,
                               const LocalDateTime& now);

// The encoded upload address in the information server's document: the bytes after the
// produrl (or, in test mode, testurl) property's opening quote up to the next quote. Nothing
// when the property is missing, empty, unclosed, or longer than kMaxEncodedAddress.
std::optional<std::u16string> FindEncodedAddress(std::string_view document, bool testMode);

}  // namespace vorbel
