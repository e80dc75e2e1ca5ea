// The settings against the real registry: the profile and the diagnostic log empty before and
// after each test, and one machine key to store under.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "settings/diagnostic_log.h"
#include "tests/win/support/win_test_support.h"

namespace vorbel::test {

class SettingsTest : public ::testing::Test {
protected:
    static constexpr uint32_t kKey = 0x1A2B3C4D;

    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
        TheDiagnosticLog().Clear();
    }
};

}  // namespace vorbel::test
