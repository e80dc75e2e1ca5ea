// Finding the dialogs a thread shows, in this process or in another.
#pragma once

#include <windows.h>

#include <string_view>

namespace vorbel::test {

// A visible dialog of `thread` whose title starts with `titlePrefix`, owned by `owner` when
// that is given; null when there is none (yet).
HWND FindDialog(DWORD thread, std::wstring_view titlePrefix, HWND owner = nullptr);

}  // namespace vorbel::test
