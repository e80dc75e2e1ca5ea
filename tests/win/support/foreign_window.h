// A top-level window of "another program", run on a thread of the test: it counts one kind of
// message and, when asked, stops answering at the first one, as a hung program does.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace vorbel::test {

class ForeignWindow {
public:
    struct Options {
        std::wstring className;
        std::wstring title;
        DWORD exStyle = 0;
        UINT counted = WM_CLOSE;  // counted, and otherwise ignored: the window stays open
        bool hangOnCounted = false;
        bool visible = false;
    };
    explicit ForeignWindow(Options options);
    ~ForeignWindow();
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    HWND window() const { return window_.load(); }
    int count() const { return count_.load(); }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    void Run();

    Options options_;
    HANDLE release_;  // ends a hang
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<int> count_{0};
};

}  // namespace vorbel::test
