// The core keeps text as std::u16string; Win32 wants wchar_t, which is 16 bits here.
#pragma once

#include <string>
#include <string_view>

namespace vorbel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U(const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u""; }
inline std::u16string U(const wchar_t* s, size_t n) { return std::u16string(reinterpret_cast<const char16_t*>(s), n); }
inline std::wstring ToWide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

}  // namespace vorbel
