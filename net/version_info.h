// The program's own version resource, for the user agent.
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

// The most significant file-version word; the least significant one goes to `leastSignificant`.
// Both 0 without a version resource.
uint32_t GetOwnFileVersion(uint32_t& leastSignificant);

// Base name of the executable, without folder and extension.
std::u16string GetOwnModuleName();

}  // namespace vorbel
