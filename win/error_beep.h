// The error beep of a refusal that shows no text.
#pragma once

namespace vorbel {

// The environment variable naming a semaphore that each error beep also releases once: a test
// running the program sees a beep it cannot hear. Unset in normal use.
inline constexpr wchar_t kErrorBeepSemaphoreVariable[] = L"VORBEL_BEEP_SEMAPHORE";

// MessageBeep(MB_ICONHAND), then the release of the named semaphore when there is one.
void ErrorBeep();

}  // namespace vorbel
