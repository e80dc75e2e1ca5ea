#include "tests/win/support/beep_watch.h"

#include <string>

#include "win/error_beep.h"

namespace vorbel::test {

BeepWatch::BeepWatch() {
    static int count = 0;
    const std::wstring name =
        L"VorbelTestBeeps-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
    semaphore_.reset(CreateSemaphoreW(nullptr, 0, 1000, name.c_str()));
    SetEnvironmentVariableW(kErrorBeepSemaphoreVariable, name.c_str());
}

BeepWatch::~BeepWatch() { SetEnvironmentVariableW(kErrorBeepSemaphoreVariable, nullptr); }

bool BeepWatch::WaitForBeep(DWORD timeoutMs) {
    return semaphore_ && WaitForSingleObject(semaphore_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace vorbel::test
