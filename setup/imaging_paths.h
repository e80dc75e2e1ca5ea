// Where the imaging programs live by default, as Setup proposes them.
#pragma once

#include <string>

namespace vorbel {

inline constexpr char16_t kVixWinDataDefault[] = u"C:\\Vximages";
inline constexpr char16_t kVixWinProgramDefault[] = u"C:\\vixwin\\vixwin.exe";
inline constexpr char16_t kCliniViewProgramDefault[] = u"C:\\Program Files\\CliniView\\CliniView.exe";

// CliniView.ini: in the common application-data folder from Windows XP on, else in the Windows
// folder.
std::u16string CliniViewIniPath();

}  // namespace vorbel
