// A DLL that a system DLL loads by name, planted beside the program or in the current folder (a
// shared folder, a download folder), is never loaded once the search is restricted as Vorbel.exe
// restricts it at start. (Wine prefers its own system DLLs over planted copies of the same name,
// so the plant here carries a name of its own.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/win/support/win_test_support.h"

namespace vorbel::test {
namespace {

TEST(PlantedDll, BesideTheProgramOrInTheCurrentFolderIsNeverLoaded) {
    TempDir program;
    TempDir current;
    const std::wstring planted = TestBinDir() + L"planted_dll.dll";
    ASSERT_TRUE(CopyFileW((TestBinDir() + L"dll_search_probe.exe").c_str(), program.File(L"probe.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), program.File(L"beside.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), current.File(L"current.dll").c_str(), FALSE));

    std::wstring command = L"\"" + program.File(L"probe.exe") + L"\" +beside.dll +current.dll shlwapi.dll comctl32.dll";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, current.path().c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);

    EXPECT_EQ(code, 0u) << "a system DLL no longer loads by name";
    EXPECT_FALSE(FileExists(program.File(L"beside.dll.loaded"))) << "loaded from the program's folder";
    EXPECT_FALSE(FileExists(current.File(L"current.dll.loaded"))) << "loaded from the current folder";
}

}  // namespace
}  // namespace vorbel::test
