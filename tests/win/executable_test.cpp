// What Vorbel.exe carries: its manifest and its version resource; and that it starts and ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/win_test_support.h"

namespace vorbel {
namespace {

std::wstring VorbelExe() { return test::TestBinDir() + L"Vorbel.exe"; }

TEST(Executable, ManifestAsksForCommonControls6AsInvokerAndDpiAwareness) {
    HMODULE exe = LoadLibraryExW(VorbelExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(res, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(exe, res)));
    const std::string manifest(data, SizeofResource(exe, res));
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    // Per-monitor v2 where Windows knows it, per-monitor before, the system's scale on Vista and 7.
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
}

TEST(Executable, VersionResourceIsFrenchWithProductName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(VorbelExe().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(VorbelExe().c_str(), 0, size, block.data()));
    WORD* translation = nullptr;
    UINT len = 0;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u) << "a single translation";
    EXPECT_EQ(translation[0], 0x040c);
    EXPECT_EQ(translation[1], 0x04b0);
    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040c04b0\\ProductName",
                               reinterpret_cast<void**>(&product), &len));
    EXPECT_EQ(std::wstring(product), L"Vorbel");
}

TEST(Executable, StartsAndEndsWithExitCodeZero) {
    test::ClearVorbelProfile();
    test::VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    ASSERT_TRUE(vorbel.Quit());
    EXPECT_EQ(vorbel.ExitCode(), 0u);
    test::ClearVorbelProfile();
}

}  // namespace
}  // namespace vorbel
