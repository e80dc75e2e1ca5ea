// Presets Vorbel's settings for the current user, as Setup would store them: used by the
// installer's silent mode, so that IT can deploy a practice's configuration.
//   vorbel_preset [--target N] [--program PATH] [--convention N] [--info-server URL]
// Exit code 0 on success, 2 on bad arguments (with a French message on stderr).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

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

}  // namespace

int wmain() {
    using namespace vorbel;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::u16string target, program, convention, infoServer;
    bool any = false;
    for (int i = 1; i < argc; i += 2) {
        const std::wstring option = argv[i];
        if (i + 1 >= argc) return Fail(L"valeur manquante après", argv[i]);
        const std::u16string value = U(argv[i + 1]);
        if (option == L"--target") target = value;
        else if (option == L"--program") program = value;
        else if (option == L"--convention") convention = value;
        else if (option == L"--info-server") infoServer = value;
        else return Fail(L"option inconnue :", argv[i]);
        any = true;
    }
    if (!any) return Fail(L"rien à enregistrer.", L"");
    if (!target.empty() && (!IsInteger(target) || ParseDecimalInt(target) < -1 || ParseDecimalInt(target) > 5)) {
        return Fail(L"logiciel d'imagerie invalide (de -1 à 5) :", W(target));
    }
    if (!convention.empty() && (!IsInteger(convention) || ParseDecimalInt(convention) < 0 || ParseDecimalInt(convention) > 4)) {
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
    LocalFree(argv);
    return 0;
}
