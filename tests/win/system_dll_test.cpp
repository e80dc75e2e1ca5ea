// The system DLLs that load on first use come from the system folder only: a module that lies
// beside the program, where a planted DLL would, is never taken.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "tests/win/support/win_test_support.h"
#include "win/system_dll.h"

namespace vorbel {
namespace {

TEST(SystemDll, LoadsFromTheSystemFolderAndNeverFromTheProgramsFolder) {
    // A module that only the program's folder holds: a search of that folder would load it.
    ASSERT_NE(GetFileAttributesW((test::TestBinDir() + L"file_holder.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(LoadSystemDll("file_holder.exe"), nullptr);

    HMODULE system = LoadSystemDll("shlwapi.dll");
    ASSERT_NE(system, nullptr);
    char path[MAX_PATH] = "", folder[MAX_PATH] = "";
    GetModuleFileNameA(system, path, MAX_PATH);
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    EXPECT_EQ(_strnicmp(path, folder, n), 0) << path;
    EXPECT_NE(SystemDllFunction<decltype(&PathFindFileNameW)>("shlwapi.dll", "PathFindFileNameW"), nullptr);
}

}  // namespace
}  // namespace vorbel
