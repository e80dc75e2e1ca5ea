// Reading a registry value whole.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vorbel {

struct RegistryData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// The value's type and data; nothing when it is absent or cannot be read. Another process may
// make the value longer between two calls: the read is then tried again with the size the
// registry reports, until the data fits.
std::optional<RegistryData> QueryRegistryValue(HKEY key, const wchar_t* name);

// The data as text, up to its first zero: a string stored without its zero is still read whole.
std::u16string RegistryText(const RegistryData& data);

}  // namespace vorbel
