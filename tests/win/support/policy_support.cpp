#include "tests/win/support/policy_support.h"

#include <gtest/gtest.h>

#include "tests/win/support/win_test_support.h"
#include "win/scoped.h"

namespace vorbel::test {
namespace {

void Write(HKEY root, REGSAM view, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    UniqueHKey key;
    if (RegCreateKeyExW(root, kPolicyKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS) {
        key.release();
        ADD_FAILURE() << "cannot create the policy key";
        return;
    }
    EXPECT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

}  // namespace

void SetPolicy(HKEY root, const std::wstring& name, DWORD value, REGSAM view) {
    Write(root, view, name, REG_DWORD, &value, sizeof(value));
}

void SetPolicy(HKEY root, const std::wstring& name, const std::wstring& text, REGSAM view) {
    Write(root, view, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetPolicyLines(HKEY root, const std::wstring& name, const std::vector<std::wstring>& lines) {
    std::wstring data;
    for (const std::wstring& line : lines) data += line + L'\0';
    data += L'\0';
    Write(root, 0, name, REG_MULTI_SZ, data.c_str(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

void ClearPolicy() {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey.c_str(), view, 0);
    }
    DeleteTree(HKEY_CURRENT_USER, L"Software\\Policies\\ZEMO");
}

}  // namespace vorbel::test
