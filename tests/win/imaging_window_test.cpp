// CliniView's stored window handle, as each build reads it: the registry view a 32-bit CliniView
// writes to, and the widening of the stored 32 bits.
#include <gtest/gtest.h>

#include "app/imaging_window.h"
#include "win/scoped.h"

namespace vorbel {
namespace {

const wchar_t kCliniViewKey[] = L"SOFTWARE\\Instrumentarium Dental\\CliniView";

// Writes (or, with nullptr, deletes) the stored handle in one registry view of the machine key.
void StoreHandle(REGSAM view, const DWORD* handle) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCliniViewKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    if (handle) {
        RegSetValueExW(key.get(), L"ApplicationWindowHandle", 0, REG_DWORD, reinterpret_cast<const BYTE*>(handle),
                       sizeof(*handle));
    } else {
        RegDeleteValueW(key.get(), L"ApplicationWindowHandle");
    }
}

class CliniViewHandleTest : public ::testing::Test {
protected:
    void TearDown() override {
        StoreHandle(0, nullptr);
        StoreHandle(KEY_WOW64_32KEY, nullptr);
    }
};

TEST_F(CliniViewHandleTest, AStoredHandleWidensBySignExtension) {
    // A handle value with the top bit set, as Windows hands out to 32-bit programs.
    const DWORD stored = 0xFFFF1234u;
    StoreHandle(0, &stored);
    const ImagingWindowLookup found = ReadCliniViewWindowHandle();
    EXPECT_EQ(found.keyError, ERROR_SUCCESS);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(found.window), static_cast<LONG_PTR>(static_cast<LONG>(stored)));
}

TEST_F(CliniViewHandleTest, AHandleIn32BitViewIsFound) {
    // Where the two views are one (the x86 build), this is the plain lookup.
    StoreHandle(0, nullptr);
    const DWORD stored = 0x00010ABCu;
    StoreHandle(KEY_WOW64_32KEY, &stored);
    EXPECT_EQ(ReadCliniViewWindowHandle().window, reinterpret_cast<HWND>(static_cast<LONG_PTR>(stored)));
}

TEST_F(CliniViewHandleTest, NoHandleInEitherViewMeansNotOpen) {
    StoreHandle(0, nullptr);
    StoreHandle(KEY_WOW64_32KEY, nullptr);
    const ImagingWindowLookup found = ReadCliniViewWindowHandle();
    EXPECT_EQ(found.keyError, ERROR_SUCCESS);
    EXPECT_EQ(found.window, nullptr);
}

}  // namespace
}  // namespace vorbel
