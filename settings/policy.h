// Machine-wide policy: plain values under Software\Policies\ZEMO\Vorbel that IT sets for every
// user of a practice (by the MSI, Group Policy or Intune). A valid policy value wins over the
// user's own setting at every read; one that is out of range or does not parse is ignored, with
// a line in the diagnostic log, and the user's setting applies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_names.h"

namespace vorbel {

// Relative to HKEY_LOCAL_MACHINE (which wins) and HKEY_CURRENT_USER.
inline constexpr char16_t kPolicyKeyPath[] = u"Software\\Policies\\ZEMO\\Vorbel";

enum class PolicyId : uint8_t {
    ImagingTarget,
    ProgramLocation,
    DataLocation,
    CommandLineConvention,
    InfoServer,
    ArgumentTemplate,
    BridgeFilePath,
    BridgeFileContent,
    BridgeFileEncoding,
    BridgeXmlEscape,
    StartWithWindows,
    ExitMode,
    SkipConfirmation,
    SwapNames,
};
inline constexpr size_t kPolicyCount = 14;

enum class PolicyKind : uint8_t {
    Number,      // REG_DWORD, or REG_SZ holding a decimal integer; within [low, high]
    Convention,  // a Number: the list's index, stored in the setting as index x 67 + 42
    Path,        // REG_SZ, not empty, at most the setting's write limit
    Url,         // REG_SZ, "http://" or "https://", no blank or control character
    Template,    // REG_SZ or REG_MULTI_SZ (lines joined by CR LF); must parse on its own
};

// No setting of the profile: the Run entry and the plain "InfoServer" entry.
inline constexpr Setting kNoSetting = static_cast<Setting>(0);

struct PolicyDefinition {
    PolicyId id;
    std::u16string_view name;  // the registry value's name, as documented in the templates
    PolicyKind kind;
    Setting setting;
    int32_t low = 0, high = 0;  // Number and Convention
};

// The one list of the policy values Vorbel reads. The Group Policy templates describe exactly
// these (a test compares them). Ranges: target -1 (refuse) to 6 (another program), encodings 0
// to 4 (the hand-off checks both against its own lists).
inline constexpr std::array<PolicyDefinition, kPolicyCount> kPolicyDefinitions = {{
    {PolicyId::ImagingTarget, u"ImagingTarget", PolicyKind::Number, Setting::ImagingTarget, -1, 6},
    {PolicyId::ProgramLocation, u"ProgramLocation", PolicyKind::Path, Setting::ProgramLocation},
    {PolicyId::DataLocation, u"DataLocation", PolicyKind::Path, Setting::DataLocation},
    {PolicyId::CommandLineConvention, u"CommandLineConvention", PolicyKind::Convention, Setting::CommandLineConvention,
     0, 4},
    {PolicyId::InfoServer, u"InfoServer", PolicyKind::Url, kNoSetting},
    {PolicyId::ArgumentTemplate, u"ArgumentTemplate", PolicyKind::Template, Setting::ArgumentTemplate},
    {PolicyId::BridgeFilePath, u"BridgeFilePath", PolicyKind::Template, Setting::BridgeFilePath},
    {PolicyId::BridgeFileContent, u"BridgeFileContent", PolicyKind::Template, Setting::BridgeFileContent},
    {PolicyId::BridgeFileEncoding, u"BridgeFileEncoding", PolicyKind::Number, Setting::BridgeFileEncoding, 0, 4},
    {PolicyId::BridgeXmlEscape, u"BridgeXmlEscape", PolicyKind::Number, Setting::BridgeXmlEscape, 0, 1},
    {PolicyId::StartWithWindows, u"StartWithWindows", PolicyKind::Number, kNoSetting, 0, 1},
    {PolicyId::ExitMode, u"ExitMode", PolicyKind::Number, Setting::ExitMode, 0, 1},
    {PolicyId::SkipConfirmation, u"SkipConfirmation", PolicyKind::Number, Setting::SkipConfirmation, 0, 1},
    {PolicyId::SwapNames, u"SwapNames", PolicyKind::Number, Setting::SwapNames, 0, 1},
}};

constexpr const PolicyDefinition& DefinitionOf(PolicyId id) { return kPolicyDefinitions[static_cast<size_t>(id)]; }

// The policy value that may fix the setting; null for a setting no policy fixes.
constexpr const PolicyDefinition* DefinitionFor(Setting s) {
    for (const PolicyDefinition& d : kPolicyDefinitions) {
        if (s != kNoSetting && d.setting == s) return &d;
    }
    return nullptr;
}

// A registry value as read, before any check.
struct PolicyData {
    enum class Type : uint8_t { Number, Text, Lines, Other } type = Type::Other;
    uint32_t number = 0;                // Number
    std::u16string text;                // Text
    std::vector<std::u16string> lines;  // Lines
};

// Checks a template on its own; returns the reason it does not parse, empty when it does.
using PolicyTemplateCheck = std::u16string (*)(Setting setting, std::u16string_view text);

// Where policy values come from, highest priority first (the machine's 64-bit view, its 32-bit
// view, then the user's).
class PolicySource {
public:
    virtual ~PolicySource() = default;
    virtual std::u16string_view Label() const = 0;  // for the diagnostic log: "HKLM", "HKCU"
    virtual std::optional<PolicyData> Get(std::u16string_view name) = 0;
};

struct PolicyCheck {
    std::optional<std::u16string> value;  // the setting's plain text, as the store would give it
    std::u16string refusal;               // why it is ignored, when it is
};

// The longest text a value of this kind may hold: never more than Setup could store for the user.
size_t PolicyTextLimit(const PolicyDefinition& definition);

// A template kind with no check given is ignored: an unchecked template is never used.
PolicyCheck CheckPolicyValue(const PolicyDefinition& definition, const PolicyData& data, PolicyTemplateCheck check);

class Policy {
public:
    const std::u16string* Value(PolicyId id) const;
    // The value that replaces the setting; null when the setting is the user's.
    const std::u16string* ForSetting(Setting s) const;
    bool Controls(Setting s) const { return ForSetting(s) != nullptr; }
    bool Controls(PolicyId id) const { return Value(id) != nullptr; }
    bool Empty() const;

    void Set(PolicyId id, std::u16string value) { values_[static_cast<size_t>(id)] = std::move(value); }

private:
    std::array<std::optional<std::u16string>, kPolicyCount> values_;
};

struct PolicyResolution {
    Policy policy;
    // One line per value ignored: "Policy <name> (<source>) ignored: <reason>\r\n".
    std::vector<std::u16string> refusals;
};

// The first source holding a valid value gives it; an ignored value lets the next source speak.
// With only, that value alone is looked up.
PolicyResolution ResolvePolicy(const std::vector<PolicySource*>& sources, PolicyTemplateCheck check,
                               std::optional<PolicyId> only = std::nullopt);

}  // namespace vorbel
