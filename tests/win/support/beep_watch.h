// The error beeps of the program, seen by a test that cannot hear them.
#pragma once

#include <windows.h>

#include "win/scoped.h"

namespace vorbel::test {

// While it lives, names a semaphore of its own in this process's environment, which ErrorBeep
// releases once per beep: in this process and in every Vorbel.exe started meanwhile.
class BeepWatch {
public:
    BeepWatch();
    ~BeepWatch();
    BeepWatch(const BeepWatch&) = delete;
    BeepWatch& operator=(const BeepWatch&) = delete;

    // Takes one beep; false when none came within the time.
    bool WaitForBeep(DWORD timeoutMs);

private:
    UniqueHandle semaphore_;
};

}  // namespace vorbel::test
