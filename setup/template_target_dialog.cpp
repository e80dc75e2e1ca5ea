#include "setup/template_target_dialog.h"

#include "handoff/handoff.h"
#include "handoff/handoff_formats.h"
#include "handoff/handoff_system.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "win/message_box.h"
#include "win/wide.h"

namespace vorbel {

namespace {

// Its boxes carry its title, as Setup's carry Setup's: the user is working here.
constexpr char16_t kTemplateTitle[] = u"Autre programme";

// French puts a no-break space (\u00a0, escaped: it looks like a plain one) before : ; and inside « ».

// Each stored template with its setting, its name in messages and its edit.
struct TemplateText {
    Setting setting;
    const char16_t* name;
    int edit;
    std::u16string TemplateTargetSettings::*text;
};

constexpr TemplateText kTemplateTexts[] = {
    {Setting::ArgumentTemplate, kArgumentTemplateName, IDC_TPL_ARGUMENTS, &TemplateTargetSettings::arguments},
    {Setting::BridgeFilePath, kBridgePathName, IDC_TPL_BRIDGE_PATH, &TemplateTargetSettings::bridgePath},
    {Setting::BridgeFileContent, kBridgeContentName, IDC_TPL_BRIDGE_CONTENT, &TemplateTargetSettings::bridgeContent},
};

// The edit that holds the part a refusal names, for the focus.
int EditNamedIn(const std::u16string& message) {
    for (const TemplateText& t : kTemplateTexts) {
        if (message.rfind(t.name, 0) == 0) return t.edit;
    }
    return IDC_TPL_ENCODING;
}

}  // namespace

CTemplateTargetDialog::CTemplateTargetDialog(TemplateTargetSettings& settings, std::u16string program)
    : Dialog(IDD_TEMPLATE_TARGET), settings_(settings), program_(std::move(program)) {}

TemplateTargetSettings CTemplateTargetDialog::Shown() const {
    TemplateTargetSettings s;
    for (const TemplateText& t : kTemplateTexts) s.*t.text = ItemText(t.edit);
    s.encoding = static_cast<int>(SendMessageW(Item(IDC_TPL_ENCODING), CB_GETCURSEL, 0, 0));
    s.xmlEscape = IsChecked(IDC_TPL_XML);
    return s;
}

bool CTemplateTargetDialog::DoDataExchange(Exchange direction) {
    if (direction == Exchange::Load) {
        HWND list = Item(IDC_TPL_ENCODING);
        for (std::u16string_view label : kBridgeEncodingLabels) {
            const std::u16string text(label);
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
        }
        for (const TemplateText& t : kTemplateTexts) SetItemText(t.edit, settings_.*t.text);
        SendMessageW(list, CB_SETCURSEL, settings_.encoding, 0);
        SetChecked(IDC_TPL_XML, settings_.xmlEscape);
        UpdatePreview();
        return true;
    }
    const TemplateTargetSettings shown = Shown();
    if (const auto refusal = TemplateTargetRefusal(shown)) {
        ShowWarning(hwnd(), *refusal, kTemplateTitle);
        SetFocus(Item(EditNamedIn(*refusal)));
        return false;
    }
    settings_ = shown;
    return true;
}

void CTemplateTargetDialog::UpdatePreview() { SetItemText(IDC_TPL_PREVIEW, TemplateTargetPreview(Shown(), program_)); }

bool CTemplateTargetDialog::OnButtonClicked(int id) {
    if (id != IDC_TPL_XML) return false;
    UpdatePreview();
    return true;
}

bool CTemplateTargetDialog::OnItemNotified(int id, int code) {
    const bool edited = code == EN_CHANGE && id != IDC_TPL_PREVIEW;
    if (!edited && !(code == CBN_SELCHANGE && id == IDC_TPL_ENCODING)) return false;
    UpdatePreview();
    return true;
}

std::optional<std::u16string> TemplateTargetRefusal(const TemplateTargetSettings& settings) {
    const TemplateTargetParse parse = ParseTemplateTarget(settings);
    if (!parse.ok()) return parse.error;
    for (const TemplateText& t : kTemplateTexts) {
        if (CanStoreExactly(t.setting, settings.*t.text)) continue;
        return std::u16string(t.name) + u"\u00a0: ce modèle ne peut pas être enregistré\u00a0: il est trop long (" +
               DecimalText(static_cast<int64_t>(LimitsOf(t.setting).plainWrite)) +
               u" caractères au plus) ou contient des caractères que Vorbel ne sait pas conserver.";
    }
    return std::nullopt;
}

std::u16string TemplateTargetPreview(const TemplateTargetSettings& settings, std::u16string_view program) {
    if (const auto refusal = TemplateTargetRefusal(settings)) return *refusal;
    const TemplateTargetParse parse = ParseTemplateTarget(settings);
    const TemplateHandOff out =
        FillTemplateTarget(parse.value, QuotedProgramPath(program, NamesExistingFile(program)), SamplePatientValues());
    std::u16string text = u"Ligne de commande\u00a0:\r\n" + out.commandLine;
    if (parse.value.hasBridgeFile) {
        text += u"\r\n\r\nFichier d'échange " + out.bridgePath + u" (" +
                std::u16string(kBridgeEncodingLabels[static_cast<size_t>(settings.encoding)]) + u")\u00a0:\r\n" +
                out.bridgeContent;
    }
    return text;
}

std::u16string TemplateTargetSummary(const TemplateTargetSettings& settings) {
    std::u16string summary = settings.arguments.empty() ? u"(aucun argument)" : settings.arguments;
    if (!settings.bridgePath.empty()) summary += u" — fichier " + settings.bridgePath;
    return summary;
}

void WriteTemplateTargetSettings(uint32_t key, const TemplateTargetSettings& settings) {
    for (const TemplateText& t : kTemplateTexts) WriteSetting(t.setting, key, settings.*t.text);
    WriteSetting(Setting::BridgeFileEncoding, key, DecimalText(settings.encoding));
    WriteSetting(Setting::BridgeXmlEscape, key, settings.xmlEscape ? u"1" : u"0");
}

}  // namespace vorbel
