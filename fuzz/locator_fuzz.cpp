// Locators come back from settings that may have been edited by hand: any text must parse
// safely, and a well-formed locator must read back as it was written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "locator/locator_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    const auto parsed = vorbel::ParseFieldLocator(text);
    if (!parsed) return 0;
    if (text.size() > vorbel::kMaxLocatorLength) std::abort();
    if (parsed->className.size() > text.size()) std::abort();
    if (parsed->path.size() > text.size()) std::abort();
    if (!parsed->hasStructure && !parsed->path.empty()) std::abort();
    if (parsed->element.size() > text.size()) std::abort();
    for (const auto& step : parsed->element) {
        if (step.name.size() > text.size()) std::abort();
    }

    // Normalised through the formatter, a locator whose class holds no separator is a fixed point.
    if (!parsed->hasStructure || !parsed->screen) return 0;
    if (parsed->className.find_first_of(u";|") != std::u16string::npos) return 0;
    if (parsed->className.size() > vorbel::kMaxLocatorClassLength) return 0;
    vorbel::LocatorParts parts;
    parts.width = parsed->width;
    parts.height = parsed->height;
    parts.className = parsed->className;
    parts.path = parsed->path;
    parts.x = parsed->x;
    parts.y = parsed->y;
    parts.screen = *parsed->screen;
    // Element names are cut when written; escaped, any name reads back.
    for (const auto& step : parsed->element) {
        if (step.name.size() > vorbel::kMaxAccessibleNameLength) return 0;
    }
    parts.element = parsed->element;
    const std::u16string again = vorbel::FormatFieldLocator(parts);
    if (again.size() > vorbel::kMaxLocatorLength) return 0;
    const auto reparsed = vorbel::ParseFieldLocator(again);
    if (!reparsed || !(*reparsed == *parsed)) std::abort();
    return 0;
}
