// The program's own version resource: the user agent and Setup's title show it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorbel {

// The whole version-information block of the running executable; empty when it has none.
std::vector<uint8_t> LoadOwnVersionInfo();

// A string of the first translation ("ProductName"...), cut at 255 characters; empty when absent.
std::u16string GetOwnVersionString(std::u16string_view key);

// The fixed file version: both words 0 and no pre-release flag without a version resource.
struct OwnFileVersion {
    uint32_t mostSignificant = 0;   // major, minor
    uint32_t leastSignificant = 0;  // build, revision
    bool prerelease = false;        // VS_FF_PRERELEASE
};
OwnFileVersion GetOwnFileVersion();

// Base name of the executable, without folder and extension.
std::u16string GetOwnModuleName();

}  // namespace vorbel
