// The link that the measuring programs run: a later instance with a command line, auto-confirmed,
// handing off to the stand-in imaging program by switch arguments.
#pragma once

#include <windows.h>

#include <string>

#include "bench/bench_support.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace bench {

inline constexpr wchar_t kLinkArguments[] = L"1234 DUPONT JEAN";

// Sets the profile up for the link and returns the file where the stand-in records its start.
inline std::wstring ConfigureLink(const std::wstring& dir) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring record = std::wstring(temp) + L"vorbel-bench-link.txt";
    SetEnvironmentVariableW(L"VORBEL_STANDIN_RECORD", record.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel");
    vorbel::RegistryProfile profile(u"Vorbel", u"Vorbel");
    const uint32_t key = vorbel::GetMachineKey();
    using vorbel::Setting;
    vorbel::WriteSetting(profile, Setting::CommandLineConvention, key, u"109");  // chart, last, first
    vorbel::WriteSetting(profile, Setting::SkipConfirmation, key, u"1");
    vorbel::WriteSetting(profile, Setting::ImagingTarget, key, u"3");
    const std::wstring standin = dir + L"imaging_standin.exe";
    vorbel::WriteSetting(profile, Setting::ProgramLocation, key,
                         std::u16string(reinterpret_cast<const char16_t*>(standin.c_str()), standin.size()));
    return record;
}

// The same link, shown for confirmation first.
inline void AskForConfirmation() {
    vorbel::RegistryProfile profile(u"Vorbel", u"Vorbel");
    vorbel::WriteSetting(profile, vorbel::Setting::SkipConfirmation, vorbel::GetMachineKey(), u"0");
}

// Presses OK on the confirmation dialog once it shows.
inline void ConfirmWhenShown() {
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !(dialog = FindWindowW(nullptr, L"Informations extraites")); ++i) Sleep(50);
    if (!dialog) Fail("the confirmation never showed");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

inline void ClearProfile(const std::wstring& record) {
    DeleteFileW(record.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel");
}

inline bool FileHasData(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
}

// Waits for the stand-in's record of its start; false after 20 s.
inline bool WaitForRecord(const std::wstring& record) {
    const DWORD start = GetTickCount();
    while (!FileHasData(record)) {
        if (GetTickCount() - start > 20000) return false;
        Sleep(1);
    }
    return true;
}

// Ends the stand-in imaging program, found by its window class.
inline void EndImagingStandIn() {
    const DWORD start = GetTickCount();
    HWND w = nullptr;
    while (!(w = FindWindowW(L"WVXMAIN", nullptr)) && GetTickCount() - start < 5000) Sleep(10);
    if (!w) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
}

// The button is back once a link is over: the next one starts from idle.
inline void WaitForButtonBack(HWND button) {
    const DWORD back = GetTickCount();
    while (!IsWindowVisible(button) && GetTickCount() - back < 10000) Sleep(20);
}

}  // namespace bench
