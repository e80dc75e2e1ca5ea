// The catalogue of settings: letters, machine-bound names and length limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorbel {

enum class Setting : char16_t {
    ChartNumberLocator = u'1',
    LastNameLocator = u'2',
    FirstNameLocator = u'3',
    ExitMode = u'A',
    BridgeFileContent = u'C',   // "Autre programme": content template of the bridge file
    BridgeFileEncoding = u'E',  // integer, a BridgeEncoding
    BridgeFilePath = u'F',      // path template of the bridge file; empty: no bridge file
    PointOnlyMode = u'G',
    DataLocation = u'I',
    CommandLineConvention = u'L',
    BridgeXmlEscape = u'M',  // integer, 0 or 1: values in the bridge file escaped for XML
    SiteLabel = u'N',
    SkipConfirmation = u'O',
    ProgramLocation = u'P',
    WindowRect = u'R',
    ArgumentTemplate = u'T',  // "Autre programme": the arguments after the program
    SwapNames = u'V',
    SiteComputerName = u'X',
    ImagingTarget = u'Y',
};

// Units, without the terminating zero. The window rectangle has its own narrow limits.
struct SettingLimits {
    size_t storedRead;      // scrambled value as read from the profile
    size_t plainRead;       // plain value as read back
    size_t plainWrite;      // plain value as written
    size_t scrambledWrite;  // scrambled value as written
};

SettingLimits LimitsOf(Setting s);

// "Y.1A2B3C4D": the letter, a full stop and the key in upper-case hex without leading zeros.
std::u16string PlainSettingName(Setting s, uint32_t key);

// The profile entry name under which the setting is stored on this machine.
std::u16string ScrambledSettingName(Setting s, uint32_t key);

// Section and plain entries of the profile.
inline constexpr char16_t kProfileSection[] = u"Vorbel";
inline constexpr char16_t kCmdLineEntry[] = u"CmdLine";
inline constexpr char16_t kFtpTestEntry[] = u"FTPTest";

}  // namespace vorbel
