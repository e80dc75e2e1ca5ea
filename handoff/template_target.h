// Imaging target 6, "Autre programme": the settings that describe it, checked as a whole, and
// what they give for one patient.
#pragma once

#include <string>
#include <string_view>

#include "handoff/bridge_encoding.h"
#include "handoff/patient_template.h"
#include "handoff/template_command_line.h"

namespace vorbel {

// As stored: the command-line template, the bridge file's path and content templates (no path:
// no bridge file), its encoding and whether values are escaped for XML in it.
struct TemplateTargetSettings {
    std::u16string arguments;
    std::u16string bridgePath;
    std::u16string bridgeContent;
    int encoding = EncodingUtf8;
    bool xmlEscape = false;
};

struct TemplateTarget {
    PatientTemplate arguments, bridgePath, bridgeContent;
    bool hasBridgeFile = false;
    int encoding = EncodingUtf8;
    bool xmlEscape = false;

    bool Uses(TemplateField f) const;
};

struct TemplateTargetParse {
    TemplateTarget value;
    std::u16string error;  // French, names the template and its bad part; empty when valid

    bool ok() const { return error.empty(); }
};

TemplateTargetParse ParseTemplateTarget(const TemplateTargetSettings& settings);

// The names Setup and the messages give the three templates.
inline constexpr char16_t kArgumentTemplateName[] = u"Ligne de commande";
inline constexpr char16_t kBridgePathName[] = u"Chemin du fichier d'échange";
inline constexpr char16_t kBridgeContentName[] = u"Contenu du fichier d'échange";

struct TemplateHandOff {
    std::u16string commandLine;
    std::u16string bridgePath;     // empty without a bridge file
    std::u16string bridgeContent;  // as text, before encoding
};

// The bridge file's path takes values made safe for a file name; {FICHIER} then stands for it.
TemplateHandOff FillTemplateTarget(const TemplateTarget& target, std::u16string_view programCommand,
                                   TemplateValues values, const AnsiLookAlike& lookAlike = {});

}  // namespace vorbel
