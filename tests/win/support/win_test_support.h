// Helpers for the tests that run the real Win32 API under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorbel::test {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
    bool present = false;
};

// A value as the registry holds it, without any of the program's own reading rules.
RawValue ReadRawValue(HKEY root, const std::wstring& path, const std::wstring& name);
void WriteRawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                   DWORD size);
void DeleteTree(HKEY root, const std::wstring& path);

// Folder of the running test executable, with a trailing backslash.
std::wstring TestBinDir();

// Unique empty folder under the temp folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Runs a program, waits up to timeoutMs and returns its exit code (or -1 when it did not end).
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs);

// The waits of the helpers are set for Windows and native Wine. Under user-mode emulation (the x86
// build where the kernel cannot start 32-bit programs) every start and first call takes many times
// longer: VORBEL_TEST_TIME_SCALE multiplies those waits (1 when unset). Bounds that a test asserts
// are not scaled.
DWORD Scaled(DWORD timeoutMs);

}  // namespace vorbel::test
