#include "tests/win/support/standin_process.h"

#include <gtest/gtest.h>

#include "tests/win/support/win_test_support.h"
#include "tools/practice_standin_ids.h"

namespace vorbel::test {
namespace {

struct TopSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindTopOfProcess(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && IsWindowVisible(hwnd) && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindById(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<IdSearch*>(lp);
    if (GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

StandIn::StandIn(const std::wstring& options, const std::wstring& recordPath, const wchar_t* exe)
    : record_(recordPath) {
    std::wstring cmd = L"\"" + TestBinDir() + exe + L"\" " + options;
    if (!record_.empty()) cmd += L" \"--record=" + record_ + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "the stand-in did not start: error " << GetLastError();
        return;
    }
    process_.reset(pi.hProcess);
    CloseHandle(pi.hThread);
    WaitForInputIdle(process_.get(), Scaled(10000));
    TopSearch search = {pi.dwProcessId, nullptr};
    for (DWORD i = 0; i < Scaled(200) && !search.found; ++i) {
        if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) break;
        EnumWindows(FindTopOfProcess, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    top_ = search.found;
    if (!top_) ADD_FAILURE() << "the stand-in showed no window";
}

StandIn::~StandIn() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 10000);
}

HWND StandIn::Control(int id) const {
    IdSearch search = {id, nullptr};
    if (top_) EnumChildWindows(top_, FindById, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> StandIn::Recorded() const {
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : ReadFileBytes(record_)) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

void StandIn::ClearRecord() const { DeleteFileW(record_.c_str()); }

void StandIn::Place(int x, int y, int clientWidth, int clientHeight) const {
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(top_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(top_, GWL_EXSTYLE)));
    SetWindowPos(top_, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The stand-in lays out in its own thread: a round trip makes sure it is done.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(top_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

void StandIn::Hang() const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(top_, standin::kHangNowMessage, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

}  // namespace vorbel::test
