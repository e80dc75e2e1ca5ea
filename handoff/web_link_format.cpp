#include "handoff/web_link_format.h"

#include "net/server_url.h"
#include "text/text.h"

namespace vorbel {
namespace {

constexpr char16_t kCsvHeader[] = u"Civilité;Nom;Prénom;Date;Email;Adresse;Ville;Code;Region;Abonné;Groupe\r\n";

// At least `width` digits, zeros in front; a sign stays in front of them.
std::u16string Padded(int v, size_t width) {
    std::u16string digits = DecimalText(v < 0 ? -static_cast<int64_t>(v) : v);
    if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
    return v < 0 ? u"-" + digits : digits;
}

}  // namespace

std::u16string WebLinkCsvText(const WebExportPatient& p) {
    std::u16string date;
    if (p.birthDate) {
        date = Padded(p.birthDate->day, 2) + u'/' + Padded(p.birthDate->month, 2) + u'/' + Padded(p.birthDate->year, 4);
    }
    std::u16string t = kCsvHeader;
    t += u';' + LineBreaksToSpaces(p.lastName) + u';' + LineBreaksToSpaces(p.firstName) + u';' + date + u';' +
         LineBreaksToSpaces(p.email) + u";;;;;;\r\n";
    return t;
}

std::string ToLatin1(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c <= 0xFF) {
            out.push_back(static_cast<char>(c));
        } else {
            if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
            out.push_back('?');
        }
    }
    return out;
}

std::u16string WebLinkFileName(std::u16string_view siteComputerName, std::u16string_view siteLabel,
                               const LocalDateTime& now) {
    std::u16string name(siteComputerName);
    name += u'_';
    name += siteLabel;
    name += u'_';
    name += Padded(now.date.year, 4) + Padded(now.date.month, 2) + Padded(now.date.day, 2) + Padded(now.hour, 2) +
            Padded(now.minute, 2) + Padded(now.second, 2);
    name += u".csv";
    return name;
}

std::optional<std::u16string> FindEncodedAddress(std::string_view document, bool testMode) {
    const std::string_view pattern =
        testMode ? "<property name=\"testurl\" value=\"" : "<property name=\"produrl\" value=\"";
    const size_t at = document.find(pattern);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = document.substr(at + pattern.size());
    const size_t end = rest.find('"');
    if (end == std::string_view::npos || end == 0 || end > kMaxEncodedAddress) return std::nullopt;
    std::u16string address;
    for (unsigned char c : rest.substr(0, end)) {
        if (c == 0) return std::nullopt;  // the registry text would end there
        address.push_back(c);
    }
    return address;
}

}  // namespace vorbel
