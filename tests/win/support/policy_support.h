// Policy values written as IT would, under HKLM or HKCU, and removed after each test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorbel::test {

inline const std::wstring kPolicyKey = L"Software\\Policies\\ZEMO\\Vorbel";

void SetPolicy(HKEY root, const std::wstring& name, DWORD value, REGSAM view = 0);
void SetPolicy(HKEY root, const std::wstring& name, const std::wstring& text, REGSAM view = 0);
void SetPolicyLines(HKEY root, const std::wstring& name, const std::vector<std::wstring>& lines);
// Both roots and, on the machine, both registry views.
void ClearPolicy();

}  // namespace vorbel::test
