#include "handoff/policy_templates.h"

#include "handoff/bridge_encoding.h"
#include "handoff/handoff_formats.h"
#include "handoff/patient_template.h"
#include "settings/policy.h"

namespace vorbel {

static_assert(DefinitionOf(PolicyId::ImagingTarget).low == TargetNone &&
              DefinitionOf(PolicyId::ImagingTarget).high == TargetTemplate);
static_assert(DefinitionOf(PolicyId::BridgeFileEncoding).high == kBridgeEncodingCount - 1);

std::u16string CheckPolicyTemplate(Setting setting, std::u16string_view text) {
    // {FICHIER} names the bridge file: never inside its own path.
    const BridgeFileField field =
        setting == Setting::BridgeFilePath ? BridgeFileField::OwnPath : BridgeFileField::Allowed;
    return ParsePatientTemplate(text, field).error;
}

}  // namespace vorbel
