// Reading the policy from the registry, afresh at every call: IT may change it while Vorbel runs.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "settings/policy.h"

namespace vorbel {

struct PolicyView {
    HKEY root;
    REGSAM view;  // 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY
    const char16_t* label;
};

// Highest priority first. Group Policy writes the machine's policy in the 64-bit view: a 32-bit
// Vorbel on 64-bit Windows asks for that view. Since Windows 7, Software\Policies is one key for
// both views, so the x86 MSI's values are there too. HKCU\Software is one for both.
std::vector<PolicyView> PolicyViews(bool wow64);

// The check templates pass; without one, policy templates are ignored. The program sets it at
// its start (the check lives above this layer).
void SetPolicyTemplateCheck(PolicyTemplateCheck check);

// The policy as the registry holds it now (with only, that value alone). An ignored value is
// logged unless the log already says so.
Policy CurrentPolicy(std::optional<PolicyId> only = std::nullopt);

}  // namespace vorbel
