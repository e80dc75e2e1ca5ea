// The reversible text scrambling of every stored setting name and value. The stored form is
// shared with existing installations, so it must stay byte for byte as it is.
#pragma once

#include <string>
#include <string_view>

namespace vorbel {

// The 16 symbols standing for the hexadecimal digits 0..F.
inline constexpr std::u16string_view kScrambleAlphabet = u"58TORGMipsyaHWJN";

std::u16string ScrambleText(std::u16string_view plain);
std::u16string UnscrambleText(std::u16string_view stored);

// True when UnscrambleText(ScrambleText(plain)) gives plain back. A unit that is 0x100 or more
// after the XOR with the first unit (or a NUL) does not survive; callers refuse such values
// rather than store a corrupted path.
bool SurvivesRoundTrip(std::u16string_view plain);

}  // namespace vorbel
