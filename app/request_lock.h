// The lock that later instances and the button share around "CmdLine", so that a request left
// while the button takes another is neither wiped nor taken twice. Per session, as the button.
#pragma once

#include <windows.h>

#include "win/scoped.h"

namespace vorbel {

class RequestLock {
public:
    RequestLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\Vorbel.CmdLine")) {
        // Bounded: a process that died holding it leaves it abandoned, one that hangs must not
        // stop the button.
        if (mutex_) {
            const DWORD w = WaitForSingleObject(mutex_.get(), 2000);
            held_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
        }
    }
    ~RequestLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    RequestLock(const RequestLock&) = delete;
    RequestLock& operator=(const RequestLock&) = delete;

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

}  // namespace vorbel
