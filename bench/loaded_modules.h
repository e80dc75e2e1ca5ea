// Which DLLs a process has loaded: of a running one from the system's module list, of one that
// ends at once from the debug events of its whole life.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <set>
#include <string>

#include "bench/bench_support.h"

namespace bench {

using Modules = std::set<std::wstring>;

inline std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// The DLLs that a running process has loaded now, lower case; its program file left out.
inline Modules ModulesOf(DWORD pid) {
    Modules found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) Fail("no module list of the process");
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        const std::wstring name = Lower(entry.szModule);
        if (name.size() < 4 || name.compare(name.size() - 4, 4, L".exe") != 0) found.insert(name);
    }
    CloseHandle(snapshot);
    return found;
}

// The name a DLL gives itself in its export directory, read from another process's memory.
inline std::wstring ExportName(HANDLE process, const BYTE* base) {
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS nt;
    if (!ReadProcessMemory(process, base, &dos, sizeof(dos), nullptr) ||
        !ReadProcessMemory(process, base + dos.e_lfanew, &nt, sizeof(nt), nullptr)) {
        return L"";
    }
    const IMAGE_DATA_DIRECTORY& dir = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    IMAGE_EXPORT_DIRECTORY exports;
    char name[64] = {};
    if (!dir.VirtualAddress ||
        !ReadProcessMemory(process, base + dir.VirtualAddress, &exports, sizeof(exports), nullptr) ||
        !ReadProcessMemory(process, base + exports.Name, name, sizeof(name) - 1, nullptr)) {
        return L"";
    }
    return Lower(std::wstring(name, name + std::strlen(name)));
}

// Every DLL that a program loads from its start to its end, as a debugger sees them load.
inline Modules ModulesUntilExit(const std::wstring& commandLine) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si,
                        &pi)) {
        Fail("a debugged program did not start");
    }
    Modules found;
    bool firstBreak = true;
    for (;;) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, 30000)) Fail("a debugged program never ended");
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT: {
                const std::wstring name =
                    ExportName(pi.hProcess, static_cast<const BYTE*>(event.u.LoadDll.lpBaseOfDll));
                if (!name.empty()) found.insert(name);
                if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                // The loader's breakpoint is the debugger's; any other exception is the program's own.
                if (firstBreak && event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
                    firstBreak = false;
                } else {
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return found;
}

// "a, b, c", or "nothing".
inline std::wstring Joined(const Modules& modules) {
    std::wstring text;
    for (const std::wstring& m : modules) text += (text.empty() ? L"" : L", ") + m;
    return text.empty() ? L"nothing" : text;
}

inline Modules Minus(const Modules& a, const Modules& b) {
    Modules d;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(d, d.end()));
    return d;
}

}  // namespace bench
