// Work that waits on another program or a server, run beside the thread that needs it: a system
// thread of its own (std::thread brings winpthread into the program), in COM's multithreaded
// apartment when asked, while the caller's thread keeps answering its messages. The caller stops
// waiting at a deadline or on a cancel; an abandoned worker then ends on its own, holding only
// what it shares with its caller, which nothing frees under it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

namespace vorbel {

// What the work sees of its caller.
class WorkerStop {
public:
    // Once true, stays true: the caller no longer waits. The work makes no further call that may
    // block (into another program, to a server) and ends.
    bool GivenUp() const { return givenUp_.load(std::memory_order_relaxed); }
    // By then (GetTickCount64) the work should be done, a margin before the caller stops waiting.
    ULONGLONG Deadline() const { return deadline_.load(std::memory_order_relaxed); }
    bool Stopped() const { return GivenUp() || GetTickCount64() >= Deadline(); }
    // Hands the answer over now: the caller stops waiting, while the work goes on to release what
    // it holds (another program's objects). The work changes nothing the caller reads after this.
    void Answered() const { SetEvent(answered_); }

private:
    friend class BoundedWorker;
    std::atomic<bool> givenUp_{false};
    std::atomic<ULONGLONG> deadline_{0};
    HANDLE answered_ = nullptr;
};

using WorkerTask = std::function<void(const WorkerStop&)>;

enum class WaitEnd {
    Done,       // the work answered
    Deadline,   // the bound passed first
    Cancelled,  // the caller's cancel said so
};

// How the caller's thread waits.
struct WorkerWait {
    // False: only messages other threads send it are handled, so that nothing the caller is in the
    // middle of runs again (a click on the button in the middle of a link). True: every message,
    // for a window the caller shows meanwhile.
    bool messageLoop = false;
    HWND dialog = nullptr;  // a modeless dialog whose keys the loop hands to IsDialogMessage
    // Asked after each round of messages: true gives the work up at once.
    std::function<bool()> cancelled;
    // Asked when the bound passes: a later bound to wait until, or 0 to give the work up.
    std::function<ULONGLONG(ULONGLONG bound)> atBound;
};

class BoundedWorker {
public:
    BoundedWorker() = default;
    // A worker still running is given up.
    ~BoundedWorker();
    BoundedWorker(const BoundedWorker&) = delete;
    BoundedWorker& operator=(const BoundedWorker&) = delete;

    // Starts `task` on a thread of its own, which the caller waits for until `bound`
    // (GetTickCount64); the task is told a deadline `marginMs` earlier, to hand its answer over in
    // time. In COM's multithreaded apartment when `com` is set (ole32 loads then). False when no
    // thread could be made: nothing ran.
    bool Start(WorkerTask task, ULONGLONG bound, DWORD marginMs = 0, bool com = false);
    // Until the work answers, the bound passes or the cancel says so; the worker is given up
    // unless it answered.
    WaitEnd Wait(const WorkerWait& how = {});

private:
    struct Job;
    std::shared_ptr<Job> job_;
    ULONGLONG bound_ = 0;
    DWORD marginMs_ = 0;
};

}  // namespace vorbel
