#include "tests/win/support/win_test_support.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "win/scoped.h"

namespace vorbel::test {

RawValue ReadRawValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    RawValue v;
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        key.release();
        return v;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) return v;
    v.bytes.resize(size);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &v.type, v.bytes.data(), &size) != ERROR_SUCCESS) return v;
    v.bytes.resize(size);
    v.present = true;
    return v;
}

void WriteRawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                   DWORD size) {
    UniqueHKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

void DeleteTree(HKEY root, const std::wstring& path) { SHDeleteKeyW(root, path.c_str()); }

std::wstring TestBinDir() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf, n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"vorbel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempDir::~TempDir() {
    std::wstring from = path_ + L'\0';  // double-zero terminated for SHFileOperation
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    std::vector<uint8_t> bytes;
    if (!file) return bytes;
    uint8_t buf[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof(buf), &got, nullptr) && got > 0) bytes.insert(bytes.end(), buf, buf + got);
    return bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD Scaled(DWORD timeoutMs) {
    static const DWORD scale = [] {
        wchar_t text[16] = L"";
        const DWORD n = GetEnvironmentVariableW(L"VORBEL_TEST_TIME_SCALE", text, 16);
        const unsigned long value = n > 0 && n < 16 ? wcstoul(text, nullptr, 10) : 0;
        return value > 0 ? static_cast<DWORD>(value) : 1;
    }();
    return timeoutMs * scale;
}

int RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -2;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), Scaled(timeoutMs)) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

}  // namespace vorbel::test
