// Windows-1252, the ANSI code page of Western Europe, as a fixed table: files exchanged with other
// programs read and write the same bytes whatever code page this machine runs with.
#pragma once

#include <string>
#include <string_view>

namespace vorbel {

// One byte per character; a character the page lacks (half of a surrogate pair included) becomes
// "?", and a surrogate pair one "?": never a look-alike, which could name another patient.
std::string EncodeWindows1252(std::u16string_view text);

// Never fails. The five bytes the page leaves undefined (81, 8D, 8F, 90, 9D) become their C1
// control characters, as Windows' own conversion gives them: decoding then encoding gives back
// every byte, so a file can be edited without changing what it held.
std::u16string DecodeWindows1252(std::string_view bytes);

}  // namespace vorbel
