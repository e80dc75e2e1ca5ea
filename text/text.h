// Text helpers shared by the platform-free core. UTF-16 throughout, held as std::u16string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorbel {

// The C library's iswspace for the characters a practice program can send us.
bool IsWideSpace(char16_t c);

// Text without the white space at both ends.
std::u16string Trim(std::u16string_view t);

// Each CR and LF as a space: a value written into a line-based file never adds a line.
std::u16string LineBreaksToSpaces(std::u16string_view t);

// Decimal integer at the start of t as wcstol reads it in base 10: leading white space,
// optional sign, digits up to the first other character, 0 without digits, clamped to
// the signed 32-bit range.
int32_t ParseDecimalInt(std::u16string_view t);

// Decimal text of a signed integer ("-12", "0").
std::u16string DecimalText(int64_t v);

// Upper-case hexadecimal without leading zeros ("%lX").
std::u16string HexText(uint32_t v);

// ASCII/Latin-1 text to UTF-16 (for literals built from narrow strings in tests and tools).
std::u16string Widen(std::string_view ascii);

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// UTF-16 to UTF-8. Half of a surrogate pair is encoded as it stands: a file that must be valid
// UTF-8 replaces it first.
std::string ToUtf8(std::u16string_view t);

// UTF-8 to UTF-16 (invalid sequences become U+FFFD).
std::u16string FromUtf8(std::string_view s);

}  // namespace vorbel
