#include "locator/locator_text.h"

#include "settings/text.h"

namespace vorbel {
namespace {

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        if (end == std::u16string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

std::optional<ParsedLocator> ParseFieldLocator(std::u16string_view text) {
    if (text.empty() || text.size() > kMaxLocatorLength) return std::nullopt;
    // Windows would read a class name only up to a NUL and could find another class.
    if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    const auto fields = Split(text, u';');
    if (fields.size() < 3) return std::nullopt;

    ParsedLocator p;
    p.width = ParseDecimalInt(fields[0]);
    p.height = ParseDecimalInt(fields[1]);
    p.className = std::u16string(fields[2]);
    // The last two ";" fields are X and "Y|SX|SY"; the fields between the class and X are the path.
    const size_t separators = fields.size() - 1;
    if (separators >= 4) {
        const size_t xField = separators - 1;
        p.hasStructure = true;
        for (size_t j = 3; j < xField; ++j) p.path.push_back(ParseDecimalInt(fields[j]));
        p.x = ParseDecimalInt(fields[xField]);
        p.y = ParseDecimalInt(fields[xField + 1]);
    }
    // A locator without both screen fields has no screen point: (0, 0) would name whatever window
    // happens to sit in the corner of the screen.
    const auto bars = Split(text, u'|');
    if (bars.size() >= 3) p.screen = ScreenPoint{ParseDecimalInt(bars[1]), ParseDecimalInt(bars[2])};
    return p;
}

std::u16string FormatFieldLocator(const LocatorParts& parts) {
    std::u16string out = DecimalText(parts.width);
    out += u';';
    out += DecimalText(parts.height);
    out += u';';
    out += std::u16string_view(parts.className).substr(0, kMaxLocatorClassLength);
    out += u';';
    for (int32_t position : parts.path) {
        out += DecimalText(position);
        out += u';';
    }
    out += DecimalText(parts.x);
    out += u';';
    out += DecimalText(parts.y);
    out += u'|';
    out += DecimalText(parts.screen.x);
    out += u'|';
    out += DecimalText(parts.screen.y);
    return out;
}

bool SameClassName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace vorbel
