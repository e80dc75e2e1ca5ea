#include "locator/locator_text.h"

#include "text/text.h"

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

constexpr std::u16string_view kElementMarker = u"|@";
constexpr char16_t kHex[] = u"0123456789ABCDEF";

bool Escaped(char16_t c) { return c < 0x20 || c == u'%' || c == u';' || c == u'|' || c == u',' || c == u'>'; }

void AppendName(std::u16string& out, std::u16string_view name) {
    for (char16_t c : name.substr(0, kMaxAccessibleNameLength)) {
        if (!Escaped(c)) {
            out += c;
            continue;
        }
        out += u'%';
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    }
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// A "%" not followed by four hex digits stands for itself.
std::u16string DecodeName(std::u16string_view text) {
    std::u16string name;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 4 < text.size()) {
            int value = 0;
            bool hex = true;
            for (size_t k = 1; k <= 4 && hex; ++k) {
                const int digit = HexValue(text[i + k]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex) {
                name += static_cast<char16_t>(value);
                i += 4;
                continue;
            }
        }
        name += text[i];
    }
    return name;
}

// "ROLE,INDEX,NAME" steps joined by ">"; nullopt when a step lacks a field.
std::optional<std::vector<AccessibleStep>> ParseElement(std::u16string_view text) {
    std::vector<AccessibleStep> steps;
    for (std::u16string_view step : Split(text, u'>')) {
        const auto fields = Split(step, u',');
        if (fields.size() != 3) return std::nullopt;
        steps.push_back({ParseDecimalInt(fields[0]), ParseDecimalInt(fields[1]), DecodeName(fields[2])});
    }
    return steps;
}

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

std::optional<ParsedLocator> ParseFieldLocator(std::u16string_view text) {
    if (text.empty() || text.size() > kMaxLocatorLength) return std::nullopt;
    // Windows would read a class name only up to a NUL and could find another class.
    if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    ParsedLocator p;
    // Names in the element part carry no ";": it lies after the window part's last ";".
    const size_t lastSemicolon = text.rfind(u';');
    const size_t marker = lastSemicolon == std::u16string_view::npos ? std::u16string_view::npos
                                                                     : text.find(kElementMarker, lastSemicolon);
    if (marker != std::u16string_view::npos) {
        auto element = ParseElement(text.substr(marker + kElementMarker.size()));
        if (!element) return std::nullopt;
        p.element = std::move(*element);
        text = text.substr(0, marker);
    }
    const auto fields = Split(text, u';');
    if (fields.size() < 3) return std::nullopt;

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
    if (parts.element.empty()) return out;
    out += kElementMarker;
    for (size_t i = 0; i < parts.element.size(); ++i) {
        if (i > 0) out += u'>';
        out += DecimalText(parts.element[i].role);
        out += u',';
        out += DecimalText(parts.element[i].index);
        out += u',';
        AppendName(out, parts.element[i].name);
    }
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
