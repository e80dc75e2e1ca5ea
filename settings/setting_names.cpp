#include "settings/setting_names.h"

#include "settings/scramble.h"
#include "text/text.h"

namespace vorbel {

SettingLimits LimitsOf(Setting s) {
    if (s == Setting::WindowRect) return {59, 29, 29, 59};
    return {1023, 511, 511, 1023};
}

std::u16string PlainSettingName(Setting s, uint32_t key) {
    std::u16string name(1, static_cast<char16_t>(s));
    name += u'.';
    name += HexText(key);
    return name;
}

std::u16string ScrambledSettingName(Setting s, uint32_t key) { return ScrambleText(PlainSettingName(s, key)); }

}  // namespace vorbel
