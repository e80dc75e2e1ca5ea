// The user-agent text that names the program, its version and the system to the servers.
#pragma once

#include <cstdint>
#include <string>

namespace vorbel {

struct UserAgentFields {
    std::u16string productName;  // ProductName of the version resource
    uint32_t fileVersionMS = 0;  // most significant file-version word
    uint32_t fileVersionLS = 0;
    bool nt = false;  // VER_PLATFORM_WIN32_NT
    uint32_t major = 0, minor = 0, build = 0;
    std::u16string servicePack;  // may be empty
    uint8_t productType = 0;
    uint16_t suiteMask = 0;
    std::u16string moduleName;  // executable base name
};

inline constexpr size_t kMaxUserAgent = 511;

// "%s/%d.%d (Windows%s %d.%d Build %d %s %04X/%02X) %s/%d.%d.%d.%d %s", cut at kMaxUserAgent.
std::u16string FormatUserAgent(const UserAgentFields& f);

}  // namespace vorbel
