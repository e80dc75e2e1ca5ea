// The tests that start Vorbel.exe: its profile empty before and after each test, and the settings
// a test stores there under this machine's key, as the program reads them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "settings/settings.h"
#include "tests/win/support/vorbel_process.h"

namespace vorbel::test {

class VorbelProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearVorbelProfile();
        key_ = GetMachineKey();
    }
    void TearDown() override { ClearVorbelProfile(); }

    void Store(Setting s, const std::u16string& value) const {
        RegistryProfile profile = VorbelProfile();
        WriteSetting(profile, s, key_, value);
    }
    std::u16string Stored(Setting s) const {
        RegistryProfile profile = VorbelProfile();
        return ReadSetting(profile, s, key_);
    }
    // What a later instance left for the button to take.
    static std::u16string HandedCommandLine() { return VorbelProfile().GetString(u"CmdLine"); }

    uint32_t key_ = 0;
};

}  // namespace vorbel::test
