// Presets Vorbel's settings for the current user, as Setup would store them: used by the
// installer's silent mode, so that IT can deploy a practice's configuration.
//   vorbel_preset [--target N] [--program PATH] [--convention N] [--info-server URL]
//                 [--arguments-file F] [--bridge-path-file F] [--bridge-content-file F]
//                 [--encoding N] [--xml-escape 0|1]
// The templates of "Autre programme" come in files (UTF-8, or UTF-16 with its BOM), so that
// quotes, braces and line ends reach them unchanged through any command line.
//   vorbel_preset --installer-options F [--check --install-folder-file G --startup-file S]
// reads the installer's whole command line from F (UTF-16 with its BOM) and takes every option
// itself: the installer's own reading cuts it at 1,024 characters and at any " /D=", and a value
// pasted back between quotes on a command line loses a final backslash. With --check it stores
// nothing: the installer asks it before its first page for what it must know itself. G receives
// the folder to install into when a quoted value held " /D=", which the installer then took as
// its folder; S receives the /STARTUP value when one is given (0 or 1).
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
#include "text/text.h"
#include "win/wide.h"

namespace {

int Fail(const wchar_t* message, const wchar_t* value) {
    fwprintf(stderr, L"vorbel_preset : %ls %ls\n", message, value);
    return 2;
}

// For the installer, which reads it with FileReadUTF16LE: no BOM, no line end.
bool WriteUtf16File(const std::wstring& path, const std::u16string& text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool written = fwrite(text.data(), sizeof(char16_t), text.size(), f) == text.size();
    return fclose(f) == 0 && written;
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

bool IsQuote(char16_t c) { return c == u'"' || c == u'\'' || c == u'`'; }

bool SameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()), int(a.size()),
                                reinterpret_cast<const wchar_t*>(b.data()), int(b.size()), TRUE) == CSTR_EQUAL;
}

// The installer's options as its GetOptions reads them, on the whole line: after the program, an
// option starts at a "/" outside quotes (", ' or `) and runs to the next one; "/NAME=" is followed
// by the value, blanks trimmed and one pair of enclosing quotes removed. A " /D=" outside quotes
// ends the options: the rest is the folder to install into.
struct InstallerOptions {
    std::vector<std::pair<std::u16string, std::u16string>> values;  // "/NAME=" and its value
    std::optional<std::u16string> folder;                           // after " /D="
    bool folderInsideValue = false;                                 // a quoted " /D=": the installer took it
};

InstallerOptions ParseInstallerOptions(std::u16string_view line) {
    InstallerOptions options;
    size_t i = 0;
    if (!line.empty() && line[0] == u'"') {
        const size_t end = line.find(u'"', 1);
        i = end == std::u16string_view::npos ? line.size() : end + 1;
    }
    while (i < line.size() && line[i] != u' ' && line[i] != u'\t') ++i;
    // The "/" starting each option outside quotes.
    std::vector<size_t> starts;
    size_t stop = line.size();
    char16_t quote = 0;
    for (size_t k = i; k < line.size(); ++k) {
        const char16_t c = line[k];
        if (quote) {
            if (c == quote) quote = 0;
            else if (c == u'/' && line.substr(k - 1, 4) == u" /D=") options.folderInsideValue = true;
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == u'/') {
            if (line.substr(k, 3) == u"/D=" && k > 0 && line[k - 1] == u' ') {
                options.folder = std::u16string(vorbel::Trim(line.substr(k + 3)));
                stop = k;
                break;
            }
            starts.push_back(k);
        }
    }
    for (size_t n = 0; n < starts.size(); ++n) {
        const size_t end = n + 1 < starts.size() ? starts[n + 1] : stop;
        const std::u16string_view option = line.substr(starts[n], end - starts[n]);
        const size_t equals = option.find(u'=');
        if (equals == std::u16string_view::npos) continue;
        std::u16string value(vorbel::Trim(option.substr(equals + 1)));
        if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        options.values.emplace_back(std::u16string(option.substr(0, equals + 1)), value);
    }
    return options;
}

}  // namespace

int wmain() {
    using namespace vorbel;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::u16string target, program, convention, infoServer, encoding, xmlEscape;
    // The templates by setting: a file to read, or (from the installer's options) the text itself.
    struct TemplateSource {
        Setting setting;
        std::wstring file;
        std::optional<std::u16string> text;
    };
    std::vector<TemplateSource> templateSources;
    std::wstring installerOptions, installFolderFile, startupFile;
    std::u16string startup;
    bool any = false, checkOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--check") {
            checkOnly = true;
            continue;
        }
        if (i + 1 >= argc) return Fail(L"valeur manquante après", argv[i]);
        const std::u16string value = U(argv[++i]);
        if (option == L"--target") target = value;
        else if (option == L"--program") program = value;
        else if (option == L"--convention") convention = value;
        else if (option == L"--info-server") infoServer = value;
        else if (option == L"--arguments-file") templateSources.push_back({Setting::ArgumentTemplate, argv[i], {}});
        else if (option == L"--bridge-path-file") templateSources.push_back({Setting::BridgeFilePath, argv[i], {}});
        else if (option == L"--bridge-content-file")
            templateSources.push_back({Setting::BridgeFileContent, argv[i], {}});
        else if (option == L"--encoding") encoding = value;
        else if (option == L"--xml-escape") xmlEscape = value;
        else if (option == L"--installer-options") installerOptions = argv[i];
        else if (option == L"--install-folder-file") installFolderFile = argv[i];
        else if (option == L"--startup-file") startupFile = argv[i];
        else return Fail(L"option inconnue :", option.c_str());
        if (option != L"--installer-options" && option != L"--install-folder-file" && option != L"--startup-file")
            any = true;
    }
    if (!installerOptions.empty()) {
        const std::optional<std::u16string> line = ReadTextFile(installerOptions);
        if (!line) return Fail(L"options de l'installation illisibles :", installerOptions.c_str());
        const InstallerOptions options = ParseInstallerOptions(*line);
        // The installer took its folder from inside a value: the one meant, or none (empty).
        if (options.folderInsideValue && !installFolderFile.empty() &&
            !WriteUtf16File(installFolderFile, options.folder.value_or(u""))) {
            return Fail(L"fichier impossible à écrire :", installFolderFile.c_str());
        }
        std::vector<std::u16string> seen;
        for (const auto& [name, value] : options.values) {
            // As GetOptions: the first of an option counts.
            bool again = false;
            for (const auto& earlier : seen) again = again || SameText(earlier, name);
            if (again) continue;
            seen.push_back(name);
            const auto is = [&](std::u16string_view n) { return SameText(name, n); };
            if (is(u"/TARGET=")) target = value;
            else if (is(u"/PROGRAM=")) program = value;
            else if (is(u"/CONVENTION=")) convention = value;
            else if (is(u"/INFOSERVER=")) infoServer = value;
            else if (is(u"/ARGUMENTS=")) templateSources.push_back({Setting::ArgumentTemplate, {}, value});
            else if (is(u"/BRIDGEPATH=")) templateSources.push_back({Setting::BridgeFilePath, {}, value});
            else if (is(u"/BRIDGECONTENT=")) templateSources.push_back({Setting::BridgeFileContent, {}, value});
            else if (is(u"/BRIDGECONTENTFILE="))
                templateSources.push_back({Setting::BridgeFileContent, ToWide(value), {}});
            else if (is(u"/ENCODING=")) encoding = value;
            else if (is(u"/XMLESCAPE=")) xmlEscape = value;
            else if (is(u"/STARTUP=")) startup = value;
            else continue;
            if (!is(u"/STARTUP=")) any = true;
        }
        // The Run entry is the installer's own section, chosen before its first page.
        if (!startup.empty() && !InRange(startup, 0, 1)) {
            return Fail(L"démarrage avec Windows invalide (0 ou 1) :", W(startup));
        }
        if (!startup.empty() && !startupFile.empty() &&
            !WriteUtf16File(startupFile, DecimalText(ParseDecimalInt(startup)))) {
            return Fail(L"fichier impossible à écrire :", startupFile.c_str());
        }
        // The installer without presets: nothing to store.
        if (!any) return 0;
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
    for (const TemplateSource& source : templateSources) {
        const Setting setting = source.setting;
        const std::optional<std::u16string> text = source.text ? source.text : ReadTextFile(source.file);
        if (!text) return Fail(L"fichier de modèle illisible :", source.file.c_str());
        if (!CanStoreExactly(setting, *text)) {
            return Fail(L"ce modèle ne peut pas être enregistré tel quel (trop long ou caractères non conservés) :",
                        W(*text));
        }
        if (setting == Setting::ArgumentTemplate) templates.arguments = *text;
        if (setting == Setting::BridgeFilePath) templates.bridgePath = *text;
        if (setting == Setting::BridgeFileContent) templates.bridgeContent = *text;
    }
    if (!templateSources.empty()) {
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

    if (checkOnly) return 0;

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
    for (const TemplateSource& source : templateSources) {
        const Setting setting = source.setting;
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
