#include "tests/win/support/standin.h"

#include <tlhelp32.h>

#include <vector>

#include "tests/win/support/win_test_support.h"
#include "win/scoped.h"

namespace vorbel::test {
namespace {

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.size() >= prefix.size() && CompareStringOrdinal(s.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                                             static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD size = MAX_PATH * 2;
    return QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

std::wstring Field(const std::wstring& text, const std::wstring& name, bool toEnd = false) {
    const size_t at = text.find(name + L"=");
    if (at == std::wstring::npos) return L"";
    const size_t start = at + name.size() + 1;
    const size_t end = toEnd ? std::wstring::npos : text.find(L"\r\n", start);
    return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

}  // namespace

std::wstring StandInExe() { return TestBinDir() + L"imaging_standin.exe"; }

StandInWatch::StandInWatch(std::wstring recordPath) : path_(std::move(recordPath)) {
    Reset();
    SetEnvironmentVariableW(L"VORBEL_STANDIN_RECORD", path_.c_str());
}

StandInWatch::~StandInWatch() {
    EndAll();
    SetEnvironmentVariableW(L"VORBEL_STANDIN_RECORD", nullptr);
}

std::optional<StandInRecord> StandInWatch::Record(DWORD timeoutMs) {
    const ULONGLONG until = GetTickCount64() + Scaled(timeoutMs);
    std::wstring text;
    // Right after the stand-in's rename its handle may still hold the file for a moment, and the
    // read then finds nothing: read again until the record is whole.
    while (text.find(L"cmd=") == std::wstring::npos) {
        if (FileExists(path_)) {
            const std::vector<uint8_t> bytes = ReadFileBytes(path_);
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            if (text.find(L"cmd=") != std::wstring::npos) break;
        }
        if (GetTickCount64() >= until) return std::nullopt;
        Sleep(20);
    }
    StandInRecord r;
    r.pid = std::wcstoul(Field(text, L"pid").c_str(), nullptr, 10);
    r.show = std::wcstol(Field(text, L"show").c_str(), nullptr, 10);
    r.flags = std::wcstoul(Field(text, L"flags").c_str(), nullptr, 10);
    r.module = Field(text, L"module");
    const std::wstring broadcast = Field(text, L"broadcastMs");
    if (!broadcast.empty()) r.broadcastMs = std::wcstol(broadcast.c_str(), nullptr, 10);
    r.commandLine = Field(text, L"cmd", true);
    const std::vector<uint8_t> args = ReadFileBytes(path_ + L".args");
    const std::wstring all(reinterpret_cast<const wchar_t*>(args.data()), args.size() / sizeof(wchar_t));
    for (size_t at = 0, end; (end = all.find(L'\0', at)) != std::wstring::npos; at = end + 1) {
        r.arguments.push_back(all.substr(at, end - at));
    }
    if (FileExists(path_ + L".bridge")) r.bridge = ReadFileBytes(path_ + L".bridge");
    return r;
}

void StandInWatch::Reset() {
    DeleteFileW(path_.c_str());
    DeleteFileW((path_ + L".args").c_str());
    DeleteFileW((path_ + L".bridge").c_str());
}

bool StandInWatch::WindowOpen() { return FindWindowW(L"WVXMAIN", nullptr) != nullptr; }

std::vector<UniqueHandle> StandInWatch::Running() const {
    // Found by image path, so that one started a moment ago, before its record or window, is
    // found too.
    const std::wstring folder = path_.substr(0, path_.find_last_of(L'\\') + 1);
    const std::wstring exe = StandInExe();
    std::vector<DWORD> pids;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID != GetCurrentProcessId()) pids.push_back(entry.th32ProcessID);
    }
    std::vector<UniqueHandle> running;
    for (DWORD pid : pids) {
        UniqueHandle process(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) continue;
        const std::wstring image = ImagePath(process.get());
        if (image.empty() || !(StartsWith(image, folder) ||
                               CompareStringOrdinal(image.c_str(), -1, exe.c_str(), -1, TRUE) == CSTR_EQUAL)) {
            continue;
        }
        running.push_back(std::move(process));
    }
    return running;
}

bool StandInWatch::NoneStarted() { return Running().empty() && !Record().has_value(); }

void StandInWatch::EndAll() {
    for (const UniqueHandle& process : Running()) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
}

}  // namespace vorbel::test
