// The Setup dialog driven as a person would, its settings read back from the registry as stored.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <optional>

#include "patient/command_line.h"
#include "resources/resource.h"
#include "settings/diagnostic_log.h"
#include "setup/setup_dialog.h"
#include "text/text.h"
#include "setup/setup_launcher.h"
#include "tests/win/support/malloc_spy.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/ui_driver.h"
#include "tests/win/support/win_test_support.h"
#include "version.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::IsChecked;
using test::ItemText;

constexpr wchar_t kVixWinProgram[] = L"C:\\vixwin\\vixwin.exe";
constexpr wchar_t kCliniViewProgram[] = L"C:\\Program Files\\CliniView\\CliniView.exe";

std::wstring CommonIniPath() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\CliniView\\CliniView.ini";
}

std::wstring OwnExePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

INT_PTR RunSetup(CSetupDialog& setup, const std::function<void(HWND)>& script) {
    return test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle, script);
}

// OK is posted: it may answer with a message box, which would block a sent message.
bool PressOk(HWND dialog) {
    test::PostClick(dialog, IDOK);
    return test::WaitUntil([&] { return !IsWindow(dialog); });
}

int Selection(HWND dialog) { return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONVENTION, CB_GETCURSEL, 0, 0)); }

class SetupDialogTest : public test::SetupRegistryTest {};

struct Shown {
    int convention = -2;
    bool vixWin = false, cliniView = false;
    std::wstring dataLabel, data, program;
    bool skip = false, exit = false, swap = false, pointOnly = false;
};

Shown ReadShown(HWND d) {
    return {Selection(d),
            IsChecked(d, IDC_VIXWIN),
            IsChecked(d, IDC_CLINIVIEW),
            ItemText(d, IDC_DATA_LOCATION_LABEL),
            ItemText(d, IDC_DATA_LOCATION),
            ItemText(d, IDC_PROGRAM_LOCATION),
            IsChecked(d, IDC_SKIP_CONFIRMATION),
            IsChecked(d, IDC_EXIT_MODE),
            IsChecked(d, IDC_SWAP_NAMES),
            IsChecked(d, IDC_POINT_ONLY)};
}

TEST_F(SetupDialogTest, LoadsEverySettingAndStoresItBackOnOk) {
    const std::wstring ini = CommonIniPath();
    const struct Case {
        const char* name;
        std::map<Setting, std::u16string> stored;
        Shown shown;
        std::map<Setting, std::u16string> expected;
    } cases[] = {
        {"empty profile",
         {},
         {0, true, false, L"Emplacement des données", L"C:\\Vximages", kVixWinProgram},
         {{Setting::CommandLineConvention, u"42"},
          {Setting::ImagingTarget, u"0"},
          {Setting::ProgramLocation, u"C:\\vixwin\\vixwin.exe"},
          {Setting::DataLocation, u"C:\\Vximages"},
          {Setting::SkipConfirmation, u"0"},
          {Setting::ExitMode, u"0"},
          {Setting::SwapNames, u"0"},
          {Setting::PointOnlyMode, u"0"},
          {Setting::ChartNumberLocator, u""},
          {Setting::LastNameLocator, u""},
          {Setting::FirstNameLocator, u""}}},
        {"CliniView with empty locations",
         {{Setting::CommandLineConvention, u"109"}, {Setting::ImagingTarget, u"1"}},
         {1, false, true, L"Fichier CliniView.ini", ini, kCliniViewProgram},
         {{Setting::CommandLineConvention, u"109"},
          {Setting::ImagingTarget, u"1"},
          {Setting::ProgramLocation, u"C:\\Program Files\\CliniView\\CliniView.exe"},
          {Setting::DataLocation, std::u16string(ini.begin(), ini.end())}}},
        {"a target Setup does not offer is kept with the stored locations",
         {{Setting::CommandLineConvention, u"310"},
          {Setting::ImagingTarget, u"2"},
          {Setting::ProgramLocation, u"D:\\Imagerie\\vx.exe"},
          {Setting::DataLocation, u"D:\\Clichés"},
          {Setting::SkipConfirmation, u"1"},
          {Setting::ExitMode, u"1"},
          {Setting::SwapNames, u"1"},
          {Setting::PointOnlyMode, u"1"}},
         {4, false, false, L"Emplacement des données", L"D:\\Clichés", L"D:\\Imagerie\\vx.exe", true, true, true, true},
         {{Setting::CommandLineConvention, u"310"},
          {Setting::ImagingTarget, u"2"},
          {Setting::ProgramLocation, u"D:\\Imagerie\\vx.exe"},
          {Setting::DataLocation, u"D:\\Clichés"},
          {Setting::SkipConfirmation, u"1"},
          {Setting::ExitMode, u"1"},
          {Setting::SwapNames, u"1"},
          {Setting::PointOnlyMode, u"1"}}},
        {"convention outside the list, refused target, numbers other than 1",
         {{Setting::CommandLineConvention, u"999"},
          {Setting::ImagingTarget, u"-1"},
          {Setting::SkipConfirmation, u"7"},
          {Setting::ExitMode, u"x"},
          {Setting::ChartNumberLocator, u"a;b"},
          {Setting::FirstNameLocator, u"c"}},
         {-1, false, false, L"Emplacement des données", L"", kVixWinProgram, true},
         {{Setting::CommandLineConvention, u"-25"},
          {Setting::ImagingTarget, u"-1"},
          {Setting::SkipConfirmation, u"1"},
          {Setting::ExitMode, u"0"},
          {Setting::ChartNumberLocator, u"a;b"},
          {Setting::LastNameLocator, u""},
          {Setting::FirstNameLocator, u"c"}}},
        {"no selection stored",
         {{Setting::CommandLineConvention, u"-25"}},
         {-1, true, false, L"Emplacement des données", L"C:\\Vximages", kVixWinProgram},
         {{Setting::CommandLineConvention, u"-25"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (const auto& [s, v] : c.stored) Store(s, v);
        CSetupDialog setup;
        Shown shown;
        bool closed = false;
        const INT_PTR result = RunSetup(setup, [&](HWND d) {
            shown = ReadShown(d);
            closed = PressOk(d);
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(shown.convention, c.shown.convention);
        EXPECT_EQ(shown.vixWin, c.shown.vixWin);
        EXPECT_EQ(shown.cliniView, c.shown.cliniView);
        EXPECT_EQ(shown.dataLabel, c.shown.dataLabel);
        EXPECT_EQ(shown.data, c.shown.data);
        EXPECT_EQ(shown.program, c.shown.program);
        EXPECT_EQ(shown.skip, c.shown.skip);
        EXPECT_EQ(shown.exit, c.shown.exit);
        EXPECT_EQ(shown.swap, c.shown.swap);
        EXPECT_EQ(shown.pointOnly, c.shown.pointOnly);
        for (const auto& [s, v] : c.expected)
            EXPECT_EQ(Stored(s), std::optional<std::u16string>(v)) << "setting " << static_cast<char>(s);
    }
}

// A target set by the installer (linkage file, switch arguments, Sidexis, web export, refusal)
// is shown for what it is and kept by OK, with its program and data location, exactly as stored;
// picking VixWin or CliniView replaces it.
TEST_F(SetupDialogTest, KeepsATargetItDoesNotOfferUnlessTheUserPicksOne) {
    const struct Case {
        std::u16string target;
        std::optional<std::u16string> program, data;
        std::wstring note, dataLabel;
    } cases[] = {
        {u"2", u"D:\\Lien\\lien.exe", std::nullopt, L"Cible : fichier de liaison, réglée par l'installation",
         L"Emplacement des données"},
        {u"3", u"C:\\Radio\\viewer.exe /NOSPLASH", u"D:\\Ancien",
         L"Cible : programme avec arguments, réglée par l'installation", L"Emplacement des données"},
        {u"4", u"C:\\Sidexis\\sidexis.exe", u"\\\\serveur\\PDATA\\siomin.sdx",
         L"Cible : fichier d'échange Sidexis, réglée par l'installation", L"Fichier d'échange Sidexis"},
        {u"5", std::nullopt, std::nullopt, L"Cible : export web, réglée par l'installation",
         L"Emplacement des données"},
        {u"-1", u"C:\\x.exe", u"C:\\y", L"Cible : aucune (liaisons refusées), réglée par l'installation",
         L"Emplacement des données"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.target));
        for (const bool pick : {false, true}) {
            SetUp();
            Store(Setting::ImagingTarget, c.target);
            if (c.program) Store(Setting::ProgramLocation, *c.program);
            if (c.data) Store(Setting::DataLocation, *c.data);
            CSetupDialog setup;
            std::wstring note, label;
            bool vixWin = true, cliniView = true, browseProgram = true, browseData = true;
            RunSetup(setup, [&](HWND d) {
                note = ItemText(d, IDC_TARGET_NOTE);
                label = ItemText(d, IDC_DATA_LOCATION_LABEL);
                vixWin = IsChecked(d, IDC_VIXWIN);
                cliniView = IsChecked(d, IDC_CLINIVIEW);
                browseProgram = IsWindowEnabled(GetDlgItem(d, IDC_BROWSE_PROGRAM));
                browseData = IsWindowEnabled(GetDlgItem(d, IDC_BROWSE_DATA));
                SendDlgItemMessageW(d, IDC_EXIT_MODE, BM_SETCHECK, BST_CHECKED, 0);
                if (pick) test::Click(d, IDC_CLINIVIEW);
                PressOk(d);
            });
            EXPECT_EQ(note, c.note);
            EXPECT_EQ(label, c.dataLabel);
            EXPECT_FALSE(vixWin);
            EXPECT_FALSE(cliniView);
            EXPECT_FALSE(browseProgram) << "the kept target's program is not chosen here";
            EXPECT_FALSE(browseData);
            EXPECT_EQ(Stored(Setting::ExitMode), u"1") << "the rest is stored";
            if (pick) {
                EXPECT_EQ(Stored(Setting::ImagingTarget), u"1");
                EXPECT_EQ(Stored(Setting::ProgramLocation), u"C:\\Program Files\\CliniView\\CliniView.exe");
                const std::wstring ini = CommonIniPath();
                EXPECT_EQ(Stored(Setting::DataLocation), std::u16string(ini.begin(), ini.end()));
            } else {
                EXPECT_EQ(Stored(Setting::ImagingTarget), c.target);
                EXPECT_EQ(Stored(Setting::ProgramLocation), c.program);
                EXPECT_EQ(Stored(Setting::DataLocation), c.data);
            }
        }
    }
}

TEST_F(SetupDialogTest, AnOfferedTargetShowsNoNote) {
    for (const char16_t* target : {u"0", u"1", u""}) {
        SetUp();
        if (*target) Store(Setting::ImagingTarget, target);
        CSetupDialog setup;
        std::wstring note = L"?";
        RunSetup(setup, [&](HWND d) { note = ItemText(d, IDC_TARGET_NOTE); });
        EXPECT_EQ(note, L"");
    }
}

TEST_F(SetupDialogTest, OkWritesTheSettingsInTheirFixedOrder) {
    CSetupDialog setup;
    RunSetup(setup, [&](HWND d) { PressOk(d); });
    const std::u16string log = TheDiagnosticLog().Text();
    const std::u16string suffix = u".1A2B3C4D";
    ASSERT_EQ(key, 0x1A2B3C4Du);
    size_t at = log.rfind(u"CryptString 1" + suffix);
    ASSERT_NE(at, std::u16string::npos);
    std::string order;
    // Each write logs its name, then its value; values here never look like names.
    for (; (at = log.find(u"CryptString ", at)) != std::u16string::npos; ++at) {
        const std::u16string line = log.substr(at + 12, log.find(u"\r\n", at) - at - 12);
        if (line.size() == 1 + suffix.size() && line.substr(1) == suffix) order += static_cast<char>(line[0]);
    }
    EXPECT_EQ(order, "123LPYIOAVG");
}

TEST_F(SetupDialogTest, EscapeStoresNothing) {
    Store(Setting::ImagingTarget, u"0");
    Store(Setting::CommandLineConvention, u"109");
    Store(Setting::ExitMode, u"0");
    const auto before = SectionValues();
    CSetupDialog setup;
    const INT_PTR result = RunSetup(setup, [&](HWND d) {
        SendDlgItemMessageW(d, IDC_CONVENTION, CB_SETCURSEL, 3, 0);
        SendDlgItemMessageW(d, IDC_EXIT_MODE, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageW(d, IDC_STARTUP_ENTRY, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageW(d, IDC_VIXWIN, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageW(d, IDC_CLINIVIEW, BM_SETCHECK, BST_CHECKED, 0);
        test::Click(d, IDC_CLINIVIEW);
        PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
        test::WaitUntil([&] { return !IsWindow(d); });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(SectionValues(), before);
    EXPECT_EQ(RunEntry(), std::nullopt);
}

TEST_F(SetupDialogTest, TheLaunchButtonsEntryOpensSetupModally) {
    bool opened = false;
    test::RunScripted(
        [] {
            RunSetupDialog(nullptr);
            return INT_PTR{0};
        },
        test::kSetupTitle,
        [&](HWND d) {
            opened = true;
            PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    EXPECT_TRUE(opened);
}

TEST_F(SetupDialogTest, ConventionListIsFilledOnceWithAWiderDropDown) {
    CSetupDialog setup;
    std::vector<std::u16string> items;
    int droppedWidth = 0, width = 0;
    RunSetup(setup, [&](HWND d) {
        HWND list = GetDlgItem(d, IDC_CONVENTION);
        const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(U(text));
        }
        droppedWidth = static_cast<int>(SendMessageW(list, CB_GETDROPPEDWIDTH, 0, 0));
        const RECT r = test::ScreenRect(list);
        width = r.right - r.left;
    });
    ASSERT_EQ(items.size(), kCommandLineFormatLabels.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], kCommandLineFormatLabels[i]);
    EXPECT_EQ(items[2], u"Dossier \"Nom\" \"Prénom\" \"Date de naissance\"");
    EXPECT_GT(width, 0);
    EXPECT_EQ(droppedWidth, width * 3 / 2);
}

TEST_F(SetupDialogTest, ImagingProgramButtonsResetBothLocations) {
    Store(Setting::ProgramLocation, u"D:\\vx.exe");
    Store(Setting::DataLocation, u"D:\\img");
    CSetupDialog setup;
    struct Step {
        std::wstring label, data, program;
    } loaded, vixAgain, clini, vixBack;
    auto read = [](HWND d) {
        return Step{ItemText(d, IDC_DATA_LOCATION_LABEL), ItemText(d, IDC_DATA_LOCATION),
                    ItemText(d, IDC_PROGRAM_LOCATION)};
    };
    RunSetup(setup, [&](HWND d) {
        loaded = read(d);
        test::Click(d, IDC_VIXWIN);  // already chosen: still resets
        vixAgain = read(d);
        test::Click(d, IDC_CLINIVIEW);
        clini = read(d);
        test::Click(d, IDC_VIXWIN);
        vixBack = read(d);
    });
    EXPECT_EQ(loaded.data, L"D:\\img");
    EXPECT_EQ(loaded.program, L"D:\\vx.exe");
    for (const Step* s : {&vixAgain, &vixBack}) {
        EXPECT_EQ(s->label, L"Emplacement des données");
        EXPECT_EQ(s->data, L"C:\\Vximages");
        EXPECT_EQ(s->program, kVixWinProgram);
    }
    EXPECT_EQ(clini.label, L"Fichier CliniView.ini");
    EXPECT_EQ(clini.data, CommonIniPath());
    EXPECT_EQ(clini.program, kCliniViewProgram);
}

TEST_F(SetupDialogTest, TitleCarriesTheVersionAndTargetsTheBoldFont) {
    CSetupDialog setup;
    std::wstring title;
    std::vector<LOGFONTW> fonts;
    RunSetup(setup, [&](HWND d) {
        title = test::Text(d);
        for (int id : {IDC_CHART_TARGET, IDC_LAST_NAME_TARGET, IDC_FIRST_NAME_TARGET, IDC_CHART_PICK,
                       IDC_LAST_NAME_PICK, IDC_FIRST_NAME_PICK}) {
            LOGFONTW f = {};
            GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(d, id, WM_GETFONT, 0, 0)), sizeof(f), &f);
            fonts.push_back(f);
        }
    });
    const std::wstring prerelease = VORBEL_FILEFLAGS ? L" ß" : L"";
    EXPECT_EQ(title, L"Paramétrage (Version" + prerelease + L" " + std::to_wstring(VORBEL_VERSION_MAJOR) + L"." +
                         std::to_wstring(VORBEL_VERSION_MINOR) + L"." + std::to_wstring(VORBEL_VERSION_PATCH) + L")");
    LOGFONTW stock = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    for (const LOGFONTW& f : fonts) {
        EXPECT_EQ(f.lfWeight, 600);
        EXPECT_EQ(f.lfHeight, stock.lfHeight * 3 / 2);
    }
}

TEST_F(SetupDialogTest, StartupEntryRules) {
    const std::wstring own = OwnExePath();
    const std::wstring quoted = L"\"" + own + L"\"";
    const struct Case {
        const char* name;
        std::optional<std::wstring> before;
        bool tickedOnLoad;
        std::optional<bool> tick;  // nothing: left as loaded
        std::optional<std::wstring> after;
    } cases[] = {
        {"ticking writes the running executable, quoted", std::nullopt, false, true, quoted},
        {"another path stays while ticked", L"C:\\Autre\\Vorbel.exe", true, std::nullopt, L"C:\\Autre\\Vorbel.exe"},
        {"the quoted entry stays while ticked", quoted, true, std::nullopt, quoted},
        {"the unquoted entry of earlier versions counts and is quoted", own, true, std::nullopt, quoted},
        {"unticking deletes", quoted, true, false, std::nullopt},
        {"unticking deletes the unquoted form", own, true, false, std::nullopt},
        {"absent and unticked stays absent", std::nullopt, false, std::nullopt, std::nullopt},
        {"an empty entry counts as absent", L"", false, true, quoted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const std::wstring other = L"C:\\autre.exe";
        test::WriteRawValue(HKEY_CURRENT_USER, test::kRunKey, L"Autre", REG_SZ, other.c_str(),
                            static_cast<DWORD>((other.size() + 1) * 2));
        if (c.before) SetRunEntry(*c.before);
        CSetupDialog setup;
        bool ticked = false;
        RunSetup(setup, [&](HWND d) {
            ticked = IsChecked(d, IDC_STARTUP_ENTRY);
            if (c.tick)
                SendDlgItemMessageW(d, IDC_STARTUP_ENTRY, BM_SETCHECK, *c.tick ? BST_CHECKED : BST_UNCHECKED, 0);
            PressOk(d);
        });
        EXPECT_EQ(ticked, c.tickedOnLoad);
        EXPECT_EQ(RunEntry(), c.after);
        const test::RawValue raw = test::ReadRawValue(HKEY_CURRENT_USER, test::kRunKey, L"Vorbel");
        if (c.after == quoted) {
            EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(raw.bytes.size(), (quoted.size() + 1) * 2);
        }
        EXPECT_TRUE(test::ReadRawValue(HKEY_CURRENT_USER, test::kRunKey, L"Autre").present) << "other entries stay";
    }
}

TEST_F(SetupDialogTest, BrowseButtonsAskTheShellAndTakeItsAnswer) {
    const std::wstring ini = CommonIniPath();
    const std::wstring iniFolder = ini.substr(0, ini.rfind(L'\\') + 1);
    struct Asked {
        bool file = false, folder = false;
        HWND owner = nullptr;
        std::wstring initial, start, extension, filter, title;
        UINT capacity = 0, flags = 0;
        bool root = false, callback = false;
    };
    const struct Case {
        const char* name;
        int program;  // 0: neither selected
        int button;
        bool chosen;
        Asked expected;
        int edit;
        std::wstring editAfter;
    } cases[] = {
        {"VixWin program",
         IDC_VIXWIN,
         IDC_BROWSE_PROGRAM,
         true,
         {true, false, nullptr, kVixWinProgram, L"C:\\vixwin\\", L"EXE", L"", L"Programme VIXWIN", MAX_PATH},
         IDC_PROGRAM_LOCATION,
         L"E:\\choisi.exe"},
        {"CliniView program",
         IDC_CLINIVIEW,
         IDC_BROWSE_PROGRAM,
         true,
         {true, false, nullptr, kCliniViewProgram, L"C:\\Program Files\\CliniView\\", L"EXE", L"",
          L"Programme CliniView", MAX_PATH},
         IDC_PROGRAM_LOCATION,
         L"E:\\choisi.exe"},
        {"VixWin data folder",
         IDC_VIXWIN,
         IDC_BROWSE_DATA,
         true,
         {false, true, nullptr, L"", L"", L"", L"", L"Données VIXWIN", 0, 0x59},
         IDC_DATA_LOCATION,
         L"E:\\choisi.exe"},
        {"CliniView ini file",
         IDC_CLINIVIEW,
         IDC_BROWSE_DATA,
         true,
         {true, false, nullptr, ini, iniFolder, L"INI", L"", L"Fichier CliniView.ini", MAX_PATH},
         IDC_DATA_LOCATION,
         L"E:\\choisi.exe"},
        {"cancelled",
         IDC_VIXWIN,
         IDC_BROWSE_PROGRAM,
         false,
         {true, false, nullptr, kVixWinProgram, L"C:\\vixwin\\", L"EXE", L"", L"Programme VIXWIN", MAX_PATH},
         IDC_PROGRAM_LOCATION,
         kVixWinProgram},
        {"no program selected", 0, IDC_BROWSE_DATA, true, {}, IDC_DATA_LOCATION, L"C:\\Vximages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Asked asked;
        CSetupDialog setup;
        setup.choosers.browseFile = [&](HWND owner, wchar_t* file, UINT capacity, const wchar_t* folder,
                                        const wchar_t* extension, const wchar_t* filter, const wchar_t* title) {
            asked.file = true;
            asked.owner = owner;
            asked.initial = file;
            asked.capacity = capacity;
            asked.start = folder;
            asked.extension = extension;
            asked.filter = filter;
            asked.title = title;
            if (c.chosen) lstrcpynW(file, L"E:\\choisi.exe", capacity);
            return c.chosen;
        };
        setup.choosers.browseFolder = [&](BROWSEINFOW& info) -> std::optional<std::u16string> {
            asked.folder = true;
            asked.owner = info.hwndOwner;
            asked.title = info.lpszTitle;
            asked.flags = info.ulFlags;
            asked.root = info.pidlRoot != nullptr;
            asked.callback = info.lpfn != nullptr;
            if (!c.chosen) return std::nullopt;
            return u"E:\\choisi.exe";
        };
        HWND dialog = nullptr;
        std::wstring after;
        RunSetup(setup, [&](HWND d) {
            dialog = d;
            if (c.program) {
                test::Click(d, c.program);
            } else {
                SendDlgItemMessageW(d, IDC_VIXWIN, BM_SETCHECK, BST_UNCHECKED, 0);
                SendDlgItemMessageW(d, IDC_CLINIVIEW, BM_SETCHECK, BST_UNCHECKED, 0);
            }
            test::Click(d, c.button);
            after = ItemText(d, c.edit);
        });
        const Asked& e = c.expected;
        EXPECT_EQ(asked.file, e.file);
        EXPECT_EQ(asked.folder, e.folder);
        if (e.file || e.folder) {
            EXPECT_EQ(asked.owner, dialog);
        }
        if (e.file) {
            EXPECT_EQ(asked.initial, e.initial);
            EXPECT_EQ(asked.capacity, e.capacity);
            EXPECT_EQ(asked.start, e.start);
            EXPECT_EQ(asked.extension, e.extension);
            EXPECT_EQ(asked.filter, e.filter);
        }
        if (e.folder) {
            EXPECT_EQ(asked.flags, e.flags);
            EXPECT_FALSE(asked.root) << "rooted at the desktop";
            EXPECT_FALSE(asked.callback);
        }
        EXPECT_EQ(asked.title, e.title);
        EXPECT_EQ(after, c.editAfter);
    }
}

// A block that holds a whole item list (its last item ends right at the block's end) of the
// folder at `path`.
bool HoldsItemListOf(const std::vector<BYTE>& block, const std::wstring& path) {
    size_t at = 0;
    while (at + 2 <= block.size()) {
        const USHORT cb = static_cast<USHORT>(block[at] | block[at + 1] << 8);
        if (cb == 0) break;
        if (cb < 2) return false;
        at += cb;
    }
    if (at + 2 != block.size() || block[at] != 0 || block[at + 1] != 0) return false;
    wchar_t held[MAX_PATH] = {};
    return SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(block.data()), held) && path == held;
}

// The shell's own choosers behind Setup's buttons, not stand-ins: each opens, a cancel changes
// nothing, and a folder picked in the folder browser is taken, its item list freed.
TEST_F(SetupDialogTest, TheShellsOwnChoosersOpenAndGiveTheirAnswer) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    test::MallocSpy* spy = test::MallocSpy::Instance();
    ASSERT_NE(spy, nullptr);
    // A folder the tree already shows at its first opening (one made for the test is not listed
    // under Wine until the tree is refreshed).
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring chosen = windows;
    struct {
        HWND fileBrowser = nullptr, folderBrowser = nullptr;
        std::wstring programBefore, programAfterCancel, dataBefore, dataAfterCancel, dataAfterChoice;
    } seen;
    spy->Clear();
    CSetupDialog setup;
    RunSetup(setup, [&](HWND d) {
        const DWORD thread = GetWindowThreadProcessId(d, nullptr);
        const auto open = [&](int button) {
            test::PostClick(d, button);
            return test::WaitForDialog(thread, L"", d);
        };
        const auto end = [&](HWND chooser, int command) {
            PostMessageW(chooser, WM_COMMAND, command, 0);
            return test::WaitUntil([&] { return !IsWindow(chooser) && IsWindowEnabled(d); });
        };
        test::Click(d, IDC_VIXWIN);
        seen.programBefore = ItemText(d, IDC_PROGRAM_LOCATION);
        if (!(seen.fileBrowser = open(IDC_BROWSE_PROGRAM)) || !end(seen.fileBrowser, IDCANCEL)) return;
        seen.programAfterCancel = ItemText(d, IDC_PROGRAM_LOCATION);

        seen.dataBefore = ItemText(d, IDC_DATA_LOCATION);
        if (!(seen.folderBrowser = open(IDC_BROWSE_DATA)) || !end(seen.folderBrowser, IDCANCEL)) return;
        seen.dataAfterCancel = ItemText(d, IDC_DATA_LOCATION);
        HWND browser = open(IDC_BROWSE_DATA);
        if (!browser) return;
        // As a person picking the folder in the tree.
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(chosen.c_str()));
        if (!end(browser, IDOK)) return;
        seen.dataAfterChoice = ItemText(d, IDC_DATA_LOCATION);
        PressOk(d);
    });
    EXPECT_NE(seen.fileBrowser, nullptr) << "the file browser opened, owned by Setup";
    EXPECT_EQ(seen.programAfterCancel, seen.programBefore);
    EXPECT_NE(seen.folderBrowser, nullptr) << "the folder browser opened, owned by Setup";
    EXPECT_EQ(seen.dataAfterCancel, seen.dataBefore);
    EXPECT_EQ(seen.dataAfterChoice, chosen);
    for (const auto& block : spy->LiveBlocks()) {
        EXPECT_FALSE(HoldsItemListOf(block, chosen)) << "the chosen folder's item list was freed";
    }
    CoUninitialize();
}

// A path the scrambled store would give back changed is refused, naming its field, and
// nothing at all is stored; what the store can keep is kept exactly.
TEST_F(SetupDialogTest, RefusesAPathTheStoreCannotKeep) {
    const struct Case {
        const char* name;
        int program, button;
        std::wstring chosen;
        std::wstring field;
    } cases[] = {
        {"program", IDC_VIXWIN, IDC_BROWSE_PROGRAM, L"C:\\Œuvres\\vixwin.exe", L"« Emplacement du programme »"},
        {"CliniView ini", IDC_CLINIVIEW, IDC_BROWSE_DATA, L"C:\\Cœur\\CliniView.ini", L"« Fichier CliniView.ini »"},
        {"VixWin data", IDC_VIXWIN, IDC_BROWSE_DATA, L"C:\\Clichés\\" + std::wstring(520, L'x'),
         L"« Emplacement des données »"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Store(Setting::ExitMode, u"0");
        const auto before = SectionValues();
        CSetupDialog setup;
        setup.choosers.browseFile = [&](HWND, wchar_t* file, UINT, const wchar_t*, const wchar_t*, const wchar_t*,
                                        const wchar_t*) {
            lstrcpyW(file, c.chosen.c_str());
            return true;
        };
        setup.choosers.browseFolder = [&](BROWSEINFOW&) -> std::optional<std::u16string> {
            return std::u16string(c.chosen.begin(), c.chosen.end());
        };
        std::wstring message;
        bool stayedOpen = false, closedAfterFix = false;
        std::map<std::wstring, std::wstring> whileRefused;
        const INT_PTR result = RunSetup(setup, [&](HWND d) {
            test::Click(d, c.program);
            // The long path does not fit the file chooser's buffer: set it as the folder chooser would.
            if (c.chosen.size() >= MAX_PATH) {
                SetDlgItemTextW(d, IDC_DATA_LOCATION, c.chosen.c_str());
            } else {
                test::Click(d, c.button);
            }
            SendDlgItemMessageW(d, IDC_EXIT_MODE, BM_SETCHECK, BST_CHECKED, 0);
            test::PostClick(d, IDOK);
            HWND box = test::WaitForDialog(GetWindowThreadProcessId(d, nullptr), test::kSetupTitle, d, 5000);
            if (!box) return;
            message = test::ItemText(box, 0xFFFF);
            whileRefused = SectionValues();
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            test::WaitUntil([&] { return !IsWindow(box); });
            stayedOpen = IsWindow(d) && IsWindowEnabled(d);
            test::Click(d, c.program);  // back to the defaults, which the store keeps
            closedAfterFix = PressOk(d);
        });
        EXPECT_NE(message.find(c.field), std::wstring::npos) << testing::PrintToString(message);
        EXPECT_EQ(whileRefused, before) << "nothing is stored while a value is refused";
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(closedAfterFix);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(Stored(Setting::ExitMode), u"1");
    }
}

TEST_F(SetupDialogTest, AccentedPathsAreStoredExactly) {
    CSetupDialog setup;
    setup.choosers.browseFolder = [](BROWSEINFOW&) -> std::optional<std::u16string> { return u"D:\\Données\\Clichés"; };
    RunSetup(setup, [&](HWND d) {
        test::Click(d, IDC_BROWSE_DATA);
        PressOk(d);
    });
    EXPECT_EQ(Stored(Setting::DataLocation), u"D:\\Données\\Clichés");
}

}  // namespace
}  // namespace vorbel
