#include "handoff/template_target.h"

#include "handoff/template_command_line.h"

namespace vorbel {
namespace {

// French puts a no-break space (\u00a0, escaped: it looks like a plain one) before : ; and inside « ».

std::u16string Named(std::u16string_view name, const std::u16string& error) {
    return std::u16string(name) + u"\u00a0: " + error;
}

}  // namespace

bool TemplateTarget::Uses(TemplateField f) const {
    return arguments.Uses(f) || bridgePath.Uses(f) || bridgeContent.Uses(f);
}

TemplateTargetParse ParseTemplateTarget(const TemplateTargetSettings& settings) {
    TemplateTargetParse result;
    TemplateTarget& t = result.value;
    t.hasBridgeFile = !settings.bridgePath.empty();
    t.encoding = settings.encoding;
    t.xmlEscape = settings.xmlEscape;
    const BridgeFileField fileField = t.hasBridgeFile ? BridgeFileField::Allowed : BridgeFileField::NoBridgeFile;
    const struct {
        const std::u16string& text;
        PatientTemplate& into;
        const char16_t* name;
        BridgeFileField fileField;
    } templates[] = {
        {settings.arguments, t.arguments, kArgumentTemplateName, fileField},
        {settings.bridgePath, t.bridgePath, kBridgePathName, BridgeFileField::OwnPath},
        {settings.bridgeContent, t.bridgeContent, kBridgeContentName, fileField},
    };
    for (const auto& each : templates) {
        TemplateParse parse = ParsePatientTemplate(each.text, each.fileField);
        if (!parse.ok()) {
            result.error = Named(each.name, parse.error);
            return result;
        }
        each.into = std::move(parse.value);
    }
    if (!t.hasBridgeFile && !settings.bridgeContent.empty()) {
        result.error = Named(kBridgeContentName, u"il est donné sans le chemin du fichier.");
    } else if (t.encoding < 0 || t.encoding >= kBridgeEncodingCount) {
        result.error = u"Encodage du fichier d'échange inconnu.";
    }
    return result;
}

TemplateHandOff FillTemplateTarget(const TemplateTarget& target, std::u16string_view programCommand,
                                   TemplateValues values, const AnsiLookAlike& lookAlike) {
    TemplateHandOff out;
    if (target.hasBridgeFile) {
        out.bridgePath = FillTemplate(target.bridgePath, values, ValueEscape::FileName);
        values.bridgeFile = out.bridgePath;
        out.bridgeContent =
            FillTemplate(target.bridgeContent, values, target.xmlEscape ? ValueEscape::Xml : ValueEscape::None);
    }
    out.commandLine = BuildTemplateCommandLine(programCommand, target.arguments, values, lookAlike);
    return out;
}

}  // namespace vorbel
