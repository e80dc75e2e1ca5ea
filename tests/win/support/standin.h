// The stand-in imaging program (tools/imaging_standin.cpp) as the hand-off tests see it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win/scoped.h"

namespace vorbel::test {

// build/win32/bin/imaging_standin.exe
std::wstring StandInExe();

// What a started stand-in recorded about its own start.
struct StandInRecord {
    DWORD pid = 0;
    int show = -1;    // STARTUPINFO wShowWindow
    DWORD flags = 0;  // STARTUPINFO dwFlags
    std::wstring module;
    std::wstring commandLine;                    // GetCommandLineW, exactly
    long broadcastMs = -1;                       // VORBEL_STANDIN_BROADCAST: how long the windows took to answer
    std::vector<std::wstring> arguments;         // as the stand-in's CommandLineToArgvW split it
    std::optional<std::vector<uint8_t>> bridge;  // the "@path" file's bytes when it started
};

// Points every stand-in started from now on at a record file (through the inherited
// environment) and ends, when it goes, every stand-in still running: the stand-in itself and the
// copies in the record file's folder.
class StandInWatch {
public:
    explicit StandInWatch(std::wstring recordPath);
    ~StandInWatch();
    StandInWatch(const StandInWatch&) = delete;
    StandInWatch& operator=(const StandInWatch&) = delete;

    // The record of the last start; waits up to timeoutMs for it to appear.
    std::optional<StandInRecord> Record(DWORD timeoutMs = 0);
    // Forgets the record, for the next start.
    void Reset();
    // A stand-in's window is open.
    static bool WindowOpen();
    // No stand-in (nor copy in the record's folder) runs, and none left a record: true at once
    // after a step that would have started one before it returned.
    bool NoneStarted();
    // Terminates every running process of the stand-in or of a copy in the record's folder.
    void EndAll();

private:
    std::vector<UniqueHandle> Running() const;

    std::wstring path_;
};

}  // namespace vorbel::test
