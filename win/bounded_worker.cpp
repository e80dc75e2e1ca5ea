#include "win/bounded_worker.h"

#include <objbase.h>

#include <algorithm>

#include "win/scoped.h"
#include "win/system_dll.h"

namespace vorbel {

struct BoundedWorker::Job {
    WorkerTask task;
    UniqueHandle answered;
    WorkerStop stop;
    bool com = false;
};

namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();

CoInitializeExFn CoInitializeExFunction() {
    static const auto fn = SystemDllFunction<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
    return fn;
}

// Holds the process's multithreaded apartment open from the first worker that joins it on, so
// that each worker joins it instead of setting one up, and tearing it down, every time.
DWORD WINAPI KeepApartment(void*) {
    if (const auto initialize = CoInitializeExFunction()) initialize(nullptr, COINIT_MULTITHREADED);
    Sleep(INFINITE);
    return 0;
}

void KeepApartmentOpen() {
    static const bool started = [] {
        HANDLE thread = CreateThread(nullptr, 0, KeepApartment, nullptr, 0, nullptr);
        if (thread) CloseHandle(thread);
        return thread != nullptr;
    }();
    (void)started;
}

bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

BoundedWorker::~BoundedWorker() {
    if (job_ && !Signalled(job_->answered.get())) job_->stop.givenUp_.store(true);
}

bool BoundedWorker::Start(WorkerTask task, ULONGLONG bound, DWORD marginMs, bool com) {
    auto job = std::make_shared<Job>();
    job->task = std::move(task);
    job->answered.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!job->answered) return false;
    job->stop.answered_ = job->answered.get();
    job->stop.deadline_.store(bound - std::min<ULONGLONG>(marginMs, bound));
    job->com = com;
    if (com) KeepApartmentOpen();
    // The thread holds the job as long as it runs: an abandoned worker frees nothing under it.
    auto* handover = new std::shared_ptr<Job>(job);
    // Marked WINAPI: on x86 a thread routine is stdcall, which a plain lambda does not convert to.
    LPTHREAD_START_ROUTINE run = [](void* parameter) WINAPI -> DWORD {
        const std::shared_ptr<Job> job = std::move(*static_cast<std::shared_ptr<Job>*>(parameter));
        delete static_cast<std::shared_ptr<Job>*>(parameter);
        const auto initialize = job->com ? CoInitializeExFunction() : nullptr;
        const auto uninitialize =
            job->com ? SystemDllFunction<CoUninitializeFn>("ole32.dll", "CoUninitialize") : nullptr;
        const bool joined = initialize && uninitialize && SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED));
        if (joined || !job->com) job->task(job->stop);
        job->stop.Answered();
        // What the task took with it goes here, inside the apartment it was used in.
        job->task = nullptr;
        if (joined) uninitialize();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, run, handover, 0, nullptr);
    if (!thread) {
        delete handover;
        return false;
    }
    CloseHandle(thread);
    job_ = std::move(job);
    bound_ = bound;
    marginMs_ = marginMs;
    return true;
}

WaitEnd BoundedWorker::Wait(const WorkerWait& how) {
    if (!job_) return WaitEnd::Deadline;
    const HANDLE answered = job_->answered.get();
    const auto giveUp = [this](WaitEnd end) {
        job_->stop.givenUp_.store(true);
        return end;
    };
    bool quitting = false;  // WM_QUIT seen: left for the caller's own loop, which then ends
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= bound_) {
            if (Signalled(answered)) return WaitEnd::Done;
            const ULONGLONG later = how.atBound ? how.atBound(bound_) : 0;
            if (later <= now) return giveUp(WaitEnd::Deadline);
            bound_ = later;
            job_->stop.deadline_.store(later - std::min<ULONGLONG>(marginMs_, later));
            continue;
        }
        const bool loop = how.messageLoop && !quitting;
        const DWORD waited = MsgWaitForMultipleObjects(1, &answered, FALSE, static_cast<DWORD>(bound_ - now),
                                                       loop ? QS_ALLINPUT : QS_SENDMESSAGE);
        if (waited == WAIT_OBJECT_0) return WaitEnd::Done;
        if (waited == WAIT_TIMEOUT) continue;
        if (waited != WAIT_OBJECT_0 + 1) return Signalled(answered) ? WaitEnd::Done : giveUp(WaitEnd::Deadline);
        MSG msg;
        if (!loop) {
            // Handles what other threads send this one, and nothing posted.
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    quitting = true;
                    break;
                }
                if (how.dialog && IsDialogMessageW(how.dialog, &msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (how.cancelled && how.cancelled()) return giveUp(WaitEnd::Cancelled);
    }
}

}  // namespace vorbel
