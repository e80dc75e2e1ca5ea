// Setup's third imaging program, "Autre programme": its templates, the live preview for the
// sample patient, and the refusal of a template that does not parse or cannot be stored.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "setup/setup_dialog.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/ui_driver.h"
#include "text/text.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::ItemText;

constexpr wchar_t kOtherTitle[] = L"Autre programme";

// As typed: a multi-line edit tells its dialog of a change only for input, not for WM_SETTEXT.
void Type(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    SendDlgItemMessageW(dialog, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

class TemplateSetupTest : public test::SetupRegistryTest {
protected:
    void StoreOtherProgram() {
        Store(Setting::ImagingTarget, u"6");
        Store(Setting::ProgramLocation, u"C:\\Imagerie\\img.exe");
        Store(Setting::DataLocation, u"C:\\Vximages");
        Store(Setting::ArgumentTemplate, u"/ID:{DOSSIER} /N:\"{NOM} {PRENOM}\" @{FICHIER}");
        Store(Setting::BridgeFilePath, u"C:\\pont\\{DOSSIER}.ini");
        Store(Setting::BridgeFileContent, u"[Patient]\r\nNom={NOM}\r\nNe={NAISSANCE:AAAAMMJJ}\r\nSexe={SEXE:HF}");
        Store(Setting::BridgeFileEncoding, u"0");
        Store(Setting::BridgeXmlEscape, u"0");
    }
    static INT_PTR Run(const std::function<void(HWND)>& script) {
        CSetupDialog setup;
        return test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle, script);
    }
    static HWND OpenTemplates(HWND setup) {
        test::PostClick(setup, IDC_BROWSE_DATA);
        return test::WaitForDialog(GetWindowThreadProcessId(setup, nullptr), kOtherTitle, setup);
    }
    // The message box OK answered with, closed; empty when none came.
    static std::wstring RefusalOf(HWND owner, const wchar_t* title) {
        test::PostClick(owner, IDOK);
        HWND box = test::WaitForDialog(GetWindowThreadProcessId(owner, nullptr), title, owner, 5000);
        if (!box) return L"";
        const std::wstring text = ItemText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        test::WaitUntil([&] { return !IsWindow(box); });
        return text;
    }
};

TEST_F(TemplateSetupTest, PreviewShowsTheSamplePatientAndFollowsEveryEdit) {
    StoreOtherProgram();
    std::wstring summary, label, preview, afterEncoding, broken;
    bool otherChosen = false;
    Run([&](HWND d) {
        otherChosen = test::IsChecked(d, IDC_OTHER_PROGRAM);
        label = ItemText(d, IDC_DATA_LOCATION_LABEL);
        summary = ItemText(d, IDC_DATA_LOCATION);
        HWND t = OpenTemplates(d);
        ASSERT_NE(t, nullptr);
        preview = ItemText(t, IDC_TPL_PREVIEW);
        SendDlgItemMessageW(t, IDC_TPL_ENCODING, CB_SETCURSEL, 2, 0);
        SendMessageW(t, WM_COMMAND, MAKEWPARAM(IDC_TPL_ENCODING, CBN_SELCHANGE), 0);
        afterEncoding = ItemText(t, IDC_TPL_PREVIEW);
        Type(t, IDC_TPL_BRIDGE_CONTENT, L"<p n=\"{NOM}\" a=\"{AGE}\"/>");
        broken = ItemText(t, IDC_TPL_PREVIEW);
        PostMessageW(t, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(otherChosen);
    EXPECT_EQ(label, L"Modèles (ligne de commande, fichier d'échange)");
    EXPECT_EQ(summary, L"/ID:{DOSSIER} /N:\"{NOM} {PRENOM}\" @{FICHIER} — fichier C:\\pont\\{DOSSIER}.ini");
    EXPECT_EQ(preview,
              L"Ligne de commande\u00a0:\r\nC:\\Imagerie\\img.exe /ID:4217 /N:\"MARTIN Hélène\" @C:\\pont\\4217.ini"
              L"\r\n\r\nFichier d'échange C:\\pont\\4217.ini (UTF-8)\u00a0:\r\n"
              L"[Patient]\r\nNom=MARTIN\r\nNe=19840912\r\nSexe=F");
    EXPECT_NE(afterEncoding.find(L"(UTF-16 LE avec BOM)"), std::wstring::npos) << testing::PrintToString(afterEncoding);
    EXPECT_EQ(broken.rfind(L"Contenu du fichier d'échange\u00a0: «\u00a0{AGE}\u00a0»\u00a0: champ inconnu.", 0), 0u)
        << ToUtf8(U(broken.c_str()));
}

TEST_F(TemplateSetupTest, ABadTemplateIsRefusedNamingItAndTheFixedOneIsStoredWithSetup) {
    StoreOtherProgram();
    std::wstring refusal, unstorable;
    bool stayedOpen = false, closed = false;
    const INT_PTR result = Run([&](HWND d) {
        HWND t = OpenTemplates(d);
        ASSERT_NE(t, nullptr);
        SetDlgItemTextW(t, IDC_TPL_ARGUMENTS, L"/N:{NOM");
        refusal = RefusalOf(t, kOtherTitle);
        stayedOpen = IsWindow(t) != FALSE;
        SetDlgItemTextW(t, IDC_TPL_ARGUMENTS, L"/N:{NOM} /Œ:{PRENOM}");
        unstorable = RefusalOf(t, kOtherTitle);
        SetDlgItemTextW(t, IDC_TPL_ARGUMENTS, L"-n {NOM}^{PRENOM} -d {NAISSANCE:JJ.MM.AA}");
        test::PostClick(t, IDOK);
        test::WaitUntil([&] { return !IsWindow(t); });
        test::PostClick(d, IDOK);
        closed = test::WaitUntil([&] { return !IsWindow(d); });
    });
    EXPECT_EQ(refusal,
              L"Ligne de commande\u00a0: «\u00a0{NOM\u00a0»\u00a0: accolade ouvrante sans accolade fermante "
              L"(écrivez {{ pour une accolade).");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(unstorable.rfind(L"Ligne de commande\u00a0: ce modèle ne peut pas être enregistré", 0), 0u)
        << testing::PrintToString(unstorable);
    EXPECT_TRUE(closed);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"6");
    EXPECT_EQ(Stored(Setting::ArgumentTemplate), u"-n {NOM}^{PRENOM} -d {NAISSANCE:JJ.MM.AA}");
    EXPECT_EQ(Stored(Setting::BridgeFilePath), u"C:\\pont\\{DOSSIER}.ini");
    EXPECT_EQ(Stored(Setting::DataLocation), u"C:\\Vximages") << "the other program leaves the data location alone";
}

TEST_F(TemplateSetupTest, SetupRefusesAStoredTemplateThatDoesNotParseAndAProgramNotChosen) {
    StoreOtherProgram();
    Store(Setting::BridgeFileContent, u"Nom={NOM}}{");
    const auto before = SectionValues();
    std::wstring badTemplate, noProgram;
    Run([&](HWND d) {
        badTemplate = RefusalOf(d, test::kSetupTitle);
        test::Click(d, IDC_OTHER_PROGRAM);  // the program is chosen again
        noProgram = RefusalOf(d, test::kSetupTitle);
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(badTemplate,
              L"Contenu du fichier d'échange\u00a0: «\u00a0}\u00a0»\u00a0: accolade fermante sans accolade "
              L"ouvrante (écrivez }} pour une accolade).");
    EXPECT_EQ(noProgram, L"Choisissez le programme d'imagerie à lancer («\u00a0Emplacement du programme\u00a0»).");
    EXPECT_EQ(SectionValues(), before) << "nothing is stored while refused";
}

TEST_F(TemplateSetupTest, VixWinAndCliniViewStoreNoTemplate) {
    Run([&](HWND d) {
        test::Click(d, IDC_CLINIVIEW);
        test::PostClick(d, IDOK);
        test::WaitUntil([&] { return !IsWindow(d); });
    });
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"1");
    EXPECT_EQ(Stored(Setting::ArgumentTemplate), std::nullopt);
}

}  // namespace
}  // namespace vorbel
