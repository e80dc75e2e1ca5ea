// The worker that runs what waits on another program or a server: how its caller's wait ends,
// what the caller's thread handles meanwhile, and an abandoned worker finishing on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <memory>
#include <string>
#include <thread>

#include "win/bounded_worker.h"
#include "win/scoped.h"

namespace vorbel {
namespace {

// What a task saw, shared with the test, which outlives the worker's caller.
struct Probe {
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // lets a waiting task end
    UniqueHandle gone{CreateEventW(nullptr, TRUE, FALSE, nullptr)};     // set when the task's captures go
    std::atomic<bool> finished{false};
    std::atomic<bool> sawGivenUp{false};
    std::atomic<bool> capturesOutlivedTask{false};
};

// Captured by the task: it records whether it went only once the task had finished.
struct Capture {
    std::shared_ptr<Probe> probe;
    ~Capture() {
        probe->capturesOutlivedTask = probe->finished.load();
        SetEvent(probe->gone.get());
    }
};

struct EndCase {
    const char* what;
    DWORD taskMs;     // how long the task works; INFINITE: until the test releases it
    DWORD boundMs;    // the caller's bound
    DWORD laterMs;    // at the bound, a later bound this much further; 0: none
    bool cancelSoon;  // a message after 100 ms, on which the caller cancels
    bool callerGone;  // the test releases the task once its caller is gone, else just before
    WaitEnd end;
    bool givenUp;  // what the task sees once it is done
};

class WorkerEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(WorkerEnds, TheCallerStopsWaitingAsToldAndTheWorkerFinishesOnItsOwn) {
    const EndCase& c = GetParam();
    auto probe = std::make_shared<Probe>();
    auto capture = std::make_shared<Capture>();  // the task's alone from its start
    capture->probe = probe;
    std::thread canceller;
    std::atomic<bool> cancel{false};
    const ULONGLONG start = GetTickCount64();
    WaitEnd end = WaitEnd::Done;
    ULONGLONG waited = 0;
    {
        BoundedWorker worker;
        ASSERT_TRUE(worker.Start(
            [capture = std::move(capture), taskMs = c.taskMs](const WorkerStop& stop) {
                WaitForSingleObject(capture->probe->release.get(), taskMs);
                capture->probe->sawGivenUp = stop.GivenUp();
                capture->probe->finished = true;
            },
            start + c.boundMs));
        if (c.cancelSoon) {
            const DWORD caller = GetCurrentThreadId();
            canceller = std::thread([&cancel, caller] {
                Sleep(100);
                cancel = true;
                PostThreadMessageW(caller, WM_NULL, 0, 0);
            });
        }
        WorkerWait how;
        how.messageLoop = true;
        how.cancelled = [&cancel] { return cancel.load(); };
        if (c.laterMs) how.atBound = [&c](ULONGLONG bound) { return bound + c.laterMs; };
        end = worker.Wait(how);
        waited = GetTickCount64() - start;
        if (c.taskMs == INFINITE) {
            EXPECT_FALSE(probe->finished) << "the caller stopped waiting without the task";
        }
        if (!c.callerGone) {
            SetEvent(probe->release.get());
            ASSERT_EQ(WaitForSingleObject(probe->gone.get(), 5000), WAIT_OBJECT_0) << "the task never ended";
        }
    }
    if (canceller.joinable()) canceller.join();
    EXPECT_EQ(end, c.end);
    if (c.taskMs == INFINITE) {
        EXPECT_LT(waited, 2000u);
    }
    // The caller is gone; the worker goes on with what it holds.
    SetEvent(probe->release.get());
    ASSERT_EQ(WaitForSingleObject(probe->gone.get(), 5000), WAIT_OBJECT_0) << "the task never let its captures go";
    EXPECT_TRUE(probe->finished);
    EXPECT_EQ(probe->sawGivenUp, c.givenUp);
    EXPECT_TRUE(probe->capturesOutlivedTask) << "what the task uses went while it ran";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WorkerEnds,
    ::testing::Values(EndCase{"answered", 50, 3000, 0, false, false, WaitEnd::Done, false},
                      EndCase{"past the bound", INFINITE, 300, 0, false, false, WaitEnd::Deadline, true},
                      EndCase{"past the bound, its caller gone", INFINITE, 300, 0, false, true, WaitEnd::Deadline,
                              true},
                      EndCase{"a later bound", 600, 300, 3000, false, false, WaitEnd::Done, false},
                      EndCase{"cancelled", INFINITE, 5000, 0, true, false, WaitEnd::Cancelled, true}),
    [](const ::testing::TestParamInfo<EndCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// The window the caller's thread owns: what reached it, and whether the caller was waiting.
constexpr UINT kSent = WM_APP + 1;
constexpr UINT kPosted = WM_APP + 2;
std::atomic<bool> g_waiting{false};
bool g_sentWhileWaiting = false;
bool g_postedWhileWaiting = false;

LRESULT CALLBACK Record(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kSent) g_sentWhileWaiting = g_waiting;
    if (msg == kPosted) g_postedWhileWaiting = g_waiting;
    return DefWindowProcW(w, msg, wp, lp);
}

// The caller is the button or a dialog, inside a message of its own: while it waits, what other
// threads send it is answered (a program asking it something must not hang on it); what is
// posted (a click) waits for its own loop, unless it waits with a loop of its own (a progress
// window over it).
TEST(WorkerWaits, TheCallersThreadAnswersWhatItIsSent) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Record;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorbelWorkerWaitsTest";
    RegisterClassW(&wc);
    for (const bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "with a message loop" : "answering sent messages only");
        HWND w = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(w, nullptr);
        g_sentWhileWaiting = g_postedWhileWaiting = false;
        UniqueHandle answered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        bool sendAnswered = false;
        std::thread other([&] {
            Sleep(100);
            PostMessageW(w, kPosted, 0, 0);
            DWORD_PTR ignored = 0;
            sendAnswered = SendMessageTimeoutW(w, kSent, 0, 0, SMTO_NORMAL, 2000, &ignored) != 0;
            SetEvent(answered.get());
        });
        BoundedWorker worker;
        const HANDLE done = answered.get();
        ASSERT_TRUE(
            worker.Start([done](const WorkerStop&) { WaitForSingleObject(done, 5000); }, GetTickCount64() + 8000));
        WorkerWait how;
        how.messageLoop = loop;
        g_waiting = true;
        EXPECT_EQ(worker.Wait(how), WaitEnd::Done);
        g_waiting = false;
        other.join();
        EXPECT_TRUE(sendAnswered) << "a message sent to the waiting thread";
        EXPECT_TRUE(g_sentWhileWaiting);
        EXPECT_EQ(g_postedWhileWaiting, loop) << "a message posted to the waiting thread";
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        DestroyWindow(w);
    }
}

}  // namespace
}  // namespace vorbel
