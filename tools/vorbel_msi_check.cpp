// The MSI package's custom action, run before the package writes anything: each property given
// must be a value that Vorbel's policy reader takes (the very check it runs), else the
// installation stops with a message and nothing is installed. Then each value that begins with
// "#" gets a second one: Windows Installer reads a leading "#" of a registry value as its type
// ("#" a DWORD, "#%" an expandable string, "#x" binary) and takes "##" for a string's own "#".
#include <windows.h>

// After windows.h: msi.h needs its types.
#include <msi.h>
#include <msiquery.h>

#include <iterator>
#include <string>
#include <vector>

#include "handoff/policy_templates.h"
#include "settings/policy.h"
#include "text/text.h"
#include "win/wide.h"

namespace vorbel {
namespace {

// French puts a no-break space (\u00a0, escaped: it looks like a plain one) before : ; and inside « ».

struct PolicyProperty {
    const wchar_t* property;  // as installer/vorbel.wxs names it
    PolicyId id;
};

constexpr PolicyProperty kProperties[] = {
    {L"TARGET", PolicyId::ImagingTarget},
    {L"PROGRAM", PolicyId::ProgramLocation},
    {L"DATALOCATION", PolicyId::DataLocation},
    {L"CONVENTION", PolicyId::CommandLineConvention},
    {L"INFOSERVER", PolicyId::InfoServer},
    {L"ARGUMENTS", PolicyId::ArgumentTemplate},
    {L"BRIDGEPATH", PolicyId::BridgeFilePath},
    {L"BRIDGECONTENT", PolicyId::BridgeFileContent},
    {L"ENCODING", PolicyId::BridgeFileEncoding},
    {L"XMLESCAPE", PolicyId::BridgeXmlEscape},
    {L"STARTUP", PolicyId::StartWithWindows},
    {L"EXITMODE", PolicyId::ExitMode},
    {L"SKIPCONFIRMATION", PolicyId::SkipConfirmation},
    {L"SWAPNAMES", PolicyId::SwapNames},
};
static_assert(std::size(kProperties) == kPolicyCount);

std::u16string Property(MSIHANDLE install, const wchar_t* name) {
    wchar_t none[1] = L"";
    DWORD size = 0;
    if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA) return u"";
    std::wstring value(size + 1, L'\0');
    size = static_cast<DWORD>(value.size());
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return u"";
    return U(value.c_str(), size);
}

// Why the policy reader would ignore the value, in French for the one who deploys.
std::u16string Reason(const PolicyDefinition& d, const std::u16string& text) {
    if (d.kind == PolicyKind::Number || d.kind == PolicyKind::Convention) {
        return u"un nombre entier de " + DecimalText(d.low) + u" à " + DecimalText(d.high) + u" est attendu.";
    }
    const size_t limit = PolicyTextLimit(d);
    if (text.size() > limit) {
        return u"plus de " + DecimalText(static_cast<int64_t>(limit)) + u" caractères.";
    }
    switch (d.kind) {
        case PolicyKind::Path: return u"un chemin est attendu, sans caractère de contrôle.";
        case PolicyKind::Url: return u"une adresse http:// ou https:// est attendue, sans espace.";
        default: return CheckPolicyTemplate(d.setting, text);
    }
}

void Say(MSIHANDLE install, const std::u16string& text) {
    // The message is formatted text: a bracket or a brace of a template would be read as a
    // reference or a group; "[\x]" is the character x itself.
    std::u16string formatted;
    for (char16_t c : text) {
        if (c == u'[' || c == u']' || c == u'{' || c == u'}') {
            formatted += u"[\\";
            formatted += c;
            formatted += u']';
        } else {
            formatted += c;
        }
    }
    const MSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, W(formatted));
    MsiProcessMessage(install, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), record);
    MsiCloseHandle(record);
}

}  // namespace
}  // namespace vorbel

extern "C" __declspec(dllexport) UINT __stdcall CheckPolicyProperties(MSIHANDLE install) {
    using namespace vorbel;
    std::vector<std::pair<const wchar_t*, std::u16string>> given;
    std::u16string refusals;
    int refused = 0;
    for (const PolicyProperty& p : kProperties) {
        std::u16string value = Property(install, p.property);
        if (value.empty()) continue;
        const PolicyDefinition& d = DefinitionOf(p.id);
        PolicyData data;
        data.type = PolicyData::Type::Text;
        data.text = value;
        if (!CheckPolicyValue(d, data, CheckPolicyTemplate).value) {
            refusals += u"\n" + U(p.property) + u"\u00a0: " + Reason(d, value);
            ++refused;
        }
        given.emplace_back(p.property, std::move(value));
    }
    if (refused > 0) {
        Say(install, (refused == 1 ? u"Vorbel n'a pas été installé. Propriété refusée\u00a0:"
                                   : u"Vorbel n'a pas été installé. Propriétés refusées\u00a0:") +
                         refusals);
        return ERROR_INSTALL_FAILURE;
    }
    for (const auto& [property, value] : given) {
        // Unescaped, it would be written as another type: rather nothing.
        if (value[0] == u'#' && MsiSetPropertyW(install, property, W(u"#" + value)) != ERROR_SUCCESS)
            return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}
