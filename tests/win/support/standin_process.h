// The stand-in practice program run by a test: started with its options, ended in the
// destructor, so that no test leaves it behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/scoped.h"

namespace vorbel::test {

class StandIn {
public:
    // options: the stand-in's command-line options. With record set, its key messages and
    // commands go to that file. Fails the current test when the window does not appear. `exe`:
    // the stand-in program beside the tests.
    explicit StandIn(const std::wstring& options, const std::wstring& recordPath = L"",
                     const wchar_t* exe = L"practice_standin.exe");
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    HWND top() const { return top_; }
    // The descendant with that control identifier, or nullptr.
    HWND Control(int id) const;
    // Lines the stand-in recorded so far (an absent file gives none).
    std::vector<std::string> Recorded() const;
    void ClearRecord() const;
    // Sets the top window's client size and position; returns once the stand-in has laid out.
    void Place(int x, int y, int clientWidth, int clientHeight) const;
    // Returns once the stand-in has stopped answering for good.
    void Hang() const;

private:
    UniqueHandle process_;
    HWND top_ = nullptr;
    std::wstring record_;
};

}  // namespace vorbel::test
