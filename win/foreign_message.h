// Messages to other programs' windows. A practice program that hangs must never freeze Vorbel:
// every synchronous message to it waits a bounded time.
#pragma once

#include <windows.h>

#include <optional>

namespace vorbel {

inline constexpr UINT kForeignAnswerTimeoutMs = 2000;

// The window's answer, or nullopt when it did not answer within kForeignAnswerTimeoutMs, is
// known to be hung, or is gone. Incoming sent messages are still handled while waiting.
inline std::optional<LRESULT> SendToForeignWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kForeignAnswerTimeoutMs,
                             &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace vorbel
