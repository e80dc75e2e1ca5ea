// Presets Vorbel's settings for the current user, as Setup would store them: used by the
// installer's silent mode, so that IT can deploy a practice's configuration.
//   vorbel_preset [--target N] [--program PATH] [--convention N] [--info-server URL]
//                 [--arguments-file F] [--bridge-path-file F] [--bridge-content-file F]
//                 [--encoding N] [--xml-escape 0|1]
// The templates of "Autre programme" come in files (UTF-8, or UTF-16 with its BOM), so that
// quotes, braces and line ends reach them unchanged through any command line.
// Exit code 0 on success, 2 on bad arguments (with a French message on stderr).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "handoff/handoff_formats.h"
#include "handoff/template_target.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/text.h"
#include "win/wide.h"

namespace {

int Fail(const wchar_t* message, const wchar_t* value) {
    fwprintf(stderr, L"vorbel_preset : %ls %ls\n", message, value);
    return 2;
}

bool IsInteger(const std::u16string& t) {
    return !t.empty() && vorbel::DecimalText(vorbel::ParseDecimalInt(t)) == vorbel::Trim(t);
}

bool InRange(const std::u16string& t, int low, int high) {
    return IsInteger(t) && vorbel::ParseDecimalInt(t) >= low && vorbel::ParseDecimalInt(t) <= high;
}

// A whole text file: UTF-16LE after its BOM, else UTF-8 (with or without its BOM).
std::optional<std::u16string> ReadTextFile(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return std::nullopt;
    std::string bytes;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof(buf), f)) > 0;) bytes.append(buf, n);
    fclose(f);
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::u16string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        }
        return text;
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return vorbel::FromUtf8(bytes);
}

}  // namespace

int wmain() {
    using namespace vorbel;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::u16string target, program, convention, infoServer, encoding, xmlEscape;
    // Files holding the templates, by setting.
    std::vector<std::pair<Setting, std::wstring>> templateFiles;
    bool any = false;
    for (int i = 1; i < argc; i += 2) {
        const std::wstring option = argv[i];
        if (i + 1 >= argc) return Fail(L"valeur manquante après", argv[i]);
        const std::u16string value = U(argv[i + 1]);
        if (option == L"--target") target = value;
        else if (option == L"--program") program = value;
        else if (option == L"--convention") convention = value;
        else if (option == L"--info-server") infoServer = value;
        else if (option == L"--arguments-file") templateFiles.emplace_back(Setting::ArgumentTemplate, argv[i + 1]);
        else if (option == L"--bridge-path-file") templateFiles.emplace_back(Setting::BridgeFilePath, argv[i + 1]);
        else if (option == L"--bridge-content-file")
            templateFiles.emplace_back(Setting::BridgeFileContent, argv[i + 1]);
        else if (option == L"--encoding") encoding = value;
        else if (option == L"--xml-escape") xmlEscape = value;
        else return Fail(L"option inconnue :", argv[i]);
        any = true;
    }
    if (!any) return Fail(L"rien à enregistrer.", L"");
    if (!target.empty() && !InRange(target, -1, TargetTemplate)) {
        return Fail(L"logiciel d'imagerie invalide (de -1 à 6) :", W(target));
    }
    if (!encoding.empty() && !InRange(encoding, 0, kBridgeEncodingCount - 1)) {
        return Fail(L"encodage du fichier d'échange invalide (de 0 à 4) :", W(encoding));
    }
    if (!xmlEscape.empty() && !InRange(xmlEscape, 0, 1))
        return Fail(L"échappement XML invalide (0 ou 1) :", W(xmlEscape));
    // The templates given are checked together, as the hand-off will read them.
    TemplateTargetSettings templates;
    templates.encoding = encoding.empty() ? EncodingUtf8 : ParseDecimalInt(encoding);
    for (const auto& [setting, file] : templateFiles) {
        const std::optional<std::u16string> text = ReadTextFile(file);
        if (!text) return Fail(L"fichier de modèle illisible :", file.c_str());
        if (!CanStoreExactly(setting, *text)) {
            return Fail(L"ce modèle ne peut pas être enregistré tel quel (trop long ou caractères non conservés) :",
                        W(*text));
        }
        if (setting == Setting::ArgumentTemplate) templates.arguments = *text;
        if (setting == Setting::BridgeFilePath) templates.bridgePath = *text;
        if (setting == Setting::BridgeFileContent) templates.bridgeContent = *text;
    }
    if (!templateFiles.empty()) {
        const TemplateTargetParse parse = ParseTemplateTarget(templates);
        if (!parse.ok()) return Fail(L"modèle invalide :", W(parse.error));
    }
    if (!convention.empty() &&
        (!IsInteger(convention) || ParseDecimalInt(convention) < 0 || ParseDecimalInt(convention) > 4)) {
        return Fail(L"convention de ligne de commande invalide (de 0 à 4) :", W(convention));
    }
    if (!program.empty() && !CanStoreExactly(Setting::ProgramLocation, program)) {
        return Fail(L"ce chemin ne peut pas être enregistré tel quel :", W(program));
    }

    // Vorbel.exe's own profile, whatever this helper is called.
    RegistryProfile profile(kProfileSection, u"Vorbel");
    const uint32_t key = GetMachineKey();
    if (!target.empty()) WriteSetting(profile, Setting::ImagingTarget, key, DecimalText(ParseDecimalInt(target)));
    if (!program.empty()) WriteSetting(profile, Setting::ProgramLocation, key, program);
    if (!convention.empty()) {
        WriteSetting(profile, Setting::CommandLineConvention, key,
                     DecimalText(EncodeConventionIndex(ParseDecimalInt(convention))));
    }
    if (!infoServer.empty()) profile.WriteString(u"InfoServer", infoServer);
    for (const auto& [setting, file] : templateFiles) {
        const std::u16string& text = setting == Setting::ArgumentTemplate ? templates.arguments
                                     : setting == Setting::BridgeFilePath ? templates.bridgePath
                                                                          : templates.bridgeContent;
        WriteSetting(profile, setting, key, text);
    }
    if (!encoding.empty())
        WriteSetting(profile, Setting::BridgeFileEncoding, key, DecimalText(ParseDecimalInt(encoding)));
    if (!xmlEscape.empty())
        WriteSetting(profile, Setting::BridgeXmlEscape, key, DecimalText(ParseDecimalInt(xmlEscape)));
    LocalFree(argv);
    return 0;
}
