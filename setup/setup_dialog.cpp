#include "setup/setup_dialog.h"

#include <shlwapi.h>

#include "patient/command_line.h"
#include "handoff/handoff_formats.h"
#include "handoff/handoff_system.h"
#include "locator/field_locator.h"
#include "settings/policy_registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "setup/imaging_choices.h"
#include "setup/setup_fields.h"
#include "setup/startup_entry.h"
#include "setup/template_target_dialog.h"
#include "handoff/handoff.h"
#include "win/dpi.h"
#include "win/message_box.h"
#include "win/version_info.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr int kCheckBoxes[] = {IDC_SKIP_CONFIRMATION, IDC_EXIT_MODE, IDC_SWAP_NAMES, IDC_POINT_ONLY};
constexpr Setting kCheckBoxSettings[] = {Setting::SkipConfirmation, Setting::ExitMode, Setting::SwapNames,
                                         Setting::PointOnlyMode};
constexpr Setting kTemplateSettings[] = {Setting::ArgumentTemplate, Setting::BridgeFilePath, Setting::BridgeFileContent,
                                         Setting::BridgeFileEncoding, Setting::BridgeXmlEscape};
constexpr char16_t kPolicyNote[] = u"Les réglages grisés sont fixés par l'administrateur.";
// After a kept target's note, which takes the row the policy note would have.
constexpr char16_t kPolicyNoteAfterTarget[] = u" ; les autres grisés : par l'administrateur";

// " (Version ß 1.2.3)": the running executable's file version, with the sign of a pre-release.
std::u16string VersionSuffix() {
    const OwnFileVersion version = GetOwnFileVersion();
    return std::u16string(u" (Version") + (version.prerelease ? u" ß" : u"") + u" " +
           DecimalText(HIWORD(version.mostSignificant)) + u"." + DecimalText(LOWORD(version.mostSignificant)) + u"." +
           DecimalText(HIWORD(version.leastSignificant)) + u")";
}

}  // namespace

CSetupDialog::CSetupDialog() : Dialog(IDD_SETUP), picker_(locators_, [this] { Load(); }) {}

CSetupDialog::~CSetupDialog() {
    if (targetFont_) DeleteObject(targetFont_);
}

bool CSetupDialog::OnInitDialog() {
    const uint32_t key = GetMachineKey();
    for (int f = 0; f < kSetupFieldCount; ++f) locators_[f] = ReadSetting(kSetupFields[f].setting, key);
    storedConvention_ = ReadSetting(Setting::CommandLineConvention, key);
    Load();
    UseTargetFont();
    AppendVersionToTitle();
    return true;
}

bool CSetupDialog::DoDataExchange(Exchange direction) {
    if (direction == Exchange::Load) {
        Load();
        return true;
    }
    return Save();
}

// Everything but the three locators and the stored convention comes from the store again, so a
// reload after a pick undoes edits not yet stored.
void CSetupDialog::Load() {
    policy_ = CurrentPolicy();
    for (const SetupField& field : kSetupFields) {
        const std::u16string& locator = locators_[&field - kSetupFields];
        SetItemText(field.display, ReadLocatedField(locator, LocatorLookup::StructureFirst));
    }
    FillConventionList();

    const uint32_t key = GetMachineKey();
    const int target = ReadSettingInt(Setting::ImagingTarget, key);
    templates_ = ReadTemplateTargetSettings(key);
    if (const OfferedTarget* offered = OfferedTargetFor(target)) {
        SelectImagingProgram(offered->button);
    } else {
        ShowKeptTarget(target);
    }
    const std::u16string data = ReadSetting(Setting::DataLocation, key);
    if (!data.empty() && target != TargetTemplate) SetItemText(IDC_DATA_LOCATION, data);
    const std::u16string program = ReadSetting(Setting::ProgramLocation, key);
    if (!program.empty()) SetItemText(IDC_PROGRAM_LOCATION, program);
    const std::u16string* startup = policy_.Value(PolicyId::StartWithWindows);
    const bool starts = startup ? *startup != u"0" : StartupEntryPresent();
    SetChecked(IDC_STARTUP_ENTRY, starts);
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i) {
        const bool on = ReadSettingInt(kCheckBoxSettings[i], key) != 0;
        SetChecked(kCheckBoxes[i], on);
    }
    ApplyPolicy();
}

bool CSetupDialog::TemplatesFixed() const {
    for (Setting s : kTemplateSettings) {
        if (policy_.Controls(s)) return true;
    }
    return false;
}

void CSetupDialog::ApplyPolicy() {
    const auto grey = [this](int id, bool fixed) {
        if (fixed) Enable(id, false);
    };
    for (const OfferedTarget& offered : kOfferedTargets) {
        Enable(offered.button, !policy_.Controls(Setting::ImagingTarget));
    }
    grey(IDC_CONVENTION, policy_.Controls(Setting::CommandLineConvention));
    Enable(IDC_PROGRAM_LOCATION, !policy_.Controls(Setting::ProgramLocation));
    grey(IDC_BROWSE_PROGRAM, policy_.Controls(Setting::ProgramLocation));
    if (const std::u16string* program = policy_.ForSetting(Setting::ProgramLocation))
        SetItemText(IDC_PROGRAM_LOCATION, *program);
    if (OtherProgramChosen()) {
        // The data row shows the templates there, edited in their own dialog.
        Enable(IDC_DATA_LOCATION, !TemplatesFixed());
        grey(IDC_BROWSE_DATA, TemplatesFixed());
    } else {
        Enable(IDC_DATA_LOCATION, !policy_.Controls(Setting::DataLocation));
        grey(IDC_BROWSE_DATA, policy_.Controls(Setting::DataLocation));
        if (const std::u16string* data = policy_.ForSetting(Setting::DataLocation))
            SetItemText(IDC_DATA_LOCATION, *data);
    }
    Enable(IDC_STARTUP_ENTRY, !policy_.Controls(PolicyId::StartWithWindows));
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i) {
        Enable(kCheckBoxes[i], !policy_.Controls(kCheckBoxSettings[i]));
    }
    bool any = false;
    for (const PolicyDefinition& d : kPolicyDefinitions)
        any = any || (d.id != PolicyId::InfoServer && policy_.Controls(d.id));
    SetItemText(IDC_POLICY_NOTE, any ? kPolicyNote : u"");
    // Both notes share the row under the picture: a taller dialog no longer fits a screen at
    // 200 %. A kept target's note takes it and, when the installer set the target, also says
    // who greyed the rest.
    const bool byInstaller = !targetNote_.empty() && !policy_.Controls(Setting::ImagingTarget);
    SetItemText(IDC_TARGET_NOTE, any && byInstaller ? targetNote_ + kPolicyNoteAfterTarget : targetNote_);
    ShowWindow(Item(IDC_POLICY_NOTE), any && targetNote_.empty() ? SW_SHOWNA : SW_HIDE);
}

void CSetupDialog::FillConventionList() {
    HWND list = Item(IDC_CONVENTION);
    if (SendMessageW(list, CB_GETCOUNT, 0, 0) == 0) {
        for (std::u16string_view label : kCommandLineFormatLabels) {
            const std::u16string text(label);
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
        }
    }
    // An index outside the list leaves it without a selection.
    const int index = DecodeConventionIndex(ParseDecimalInt(storedConvention_));
    SendMessageW(list, CB_SETCURSEL, index >= 0 && index < kCommandLineFormatCount ? index : -1, 0);
    RECT r;
    GetWindowRect(list, &r);
    SendMessageW(list, CB_SETDROPPEDWIDTH, (r.right - r.left) * 3 / 2, 0);
}

void CSetupDialog::SelectImagingProgram(int button) {
    const OfferedTarget* offered = OfferedTargetOfButton(button);
    if (!offered) return;
    targetKept_ = false;
    for (const OfferedTarget& other : kOfferedTargets) {
        SetChecked(other.button, other.button == button);
    }
    targetNote_.clear();
    SetItemText(IDC_TARGET_NOTE, u"");
    Enable(IDC_BROWSE_PROGRAM, true);
    Enable(IDC_BROWSE_DATA, true);
    if (offered->target == TargetTemplate) {
        ShowOtherProgram();
        ApplyPolicy();
        return;
    }
    SetItemText(IDC_DATA_LOCATION_LABEL, offered->dataLabel);
    SetItemText(IDC_DATA_LOCATION, DefaultDataLocation(offered->target).value_or(u""));
    SetItemText(IDC_PROGRAM_LOCATION, std::u16string(DefaultProgramPath(offered->target)));
    ApplyPolicy();
}

const OfferedTarget* CSetupDialog::CheckedTarget() const {
    for (const OfferedTarget& offered : kOfferedTargets) {
        if (IsChecked(offered.button)) return &offered;
    }
    return nullptr;
}

void CSetupDialog::ShowKeptTarget(int target) {
    targetKept_ = true;
    for (const OfferedTarget& offered : kOfferedTargets) SetChecked(offered.button, false);
    targetNote_ = KeptTargetNote(target, policy_.Controls(Setting::ImagingTarget));
    SetItemText(IDC_TARGET_NOTE, targetNote_);
    SetItemText(IDC_DATA_LOCATION_LABEL, KeptTargetDataLabel(target));
    // What the hand-off would use: the stored texts replace these when there are any.
    SetItemText(IDC_DATA_LOCATION, DefaultDataLocation(target).value_or(u""));
    SetItemText(IDC_PROGRAM_LOCATION, std::u16string(DefaultProgramPath(target)));
    // Both locations belong to the kept target: choosing others would not be stored.
    Enable(IDC_BROWSE_PROGRAM, false);
    Enable(IDC_BROWSE_DATA, false);
}

bool CSetupDialog::OtherProgramChosen() const { return IsChecked(IDC_OTHER_PROGRAM); }

// Another program has no default: the practice names it, and its templates stay as they were.
void CSetupDialog::ShowOtherProgram() {
    SetItemText(IDC_DATA_LOCATION_LABEL, OfferedTargetFor(TargetTemplate)->dataLabel);
    SetItemText(IDC_DATA_LOCATION, TemplateTargetSummary(templates_));
    SetItemText(IDC_PROGRAM_LOCATION, u"");
}

void CSetupDialog::EditOtherProgramTemplates() {
    CTemplateTargetDialog dialog(templates_, ItemText(IDC_PROGRAM_LOCATION));
    if (dialog.DoModal(hwnd()) == IDOK) SetItemText(IDC_DATA_LOCATION, TemplateTargetSummary(templates_));
}

bool CSetupDialog::RefuseOtherProgram() {
    std::optional<std::u16string> refusal;
    if (ItemText(IDC_PROGRAM_LOCATION).empty()) {
        // \u00a0: the no-break space French puts inside « », escaped as it looks like a plain one.
        refusal = u"Choisissez le programme d'imagerie à lancer («\u00a0Emplacement du programme\u00a0»).";
    } else {
        refusal = TemplateTargetRefusal(templates_);
    }
    if (!refusal) return false;
    ShowWarning(hwnd(), *refusal, kSetupTitle);
    SetFocus(Item(IDC_BROWSE_DATA));
    return true;
}

bool CSetupDialog::RefuseUnstorable() {
    for (const SetupField& field : kSetupFields) {
        if (CanStoreExactly(field.setting, locators_[&field - kSetupFields])) continue;
        const std::u16string text = u"Le contrôle désigné pour « " + std::u16string(field.label) +
                                    u" » ne peut pas être enregistré : sa description contient des caractères que "
                                    u"Vorbel ne sait pas conserver.\n\nDésignez un autre contrôle, ou videz ce champ "
                                    u"avec le bouton « + ».";
        ShowWarning(hwnd(), text, kSetupTitle);
        SetFocus(Item(field.pick));
        return true;
    }
    const struct {
        int edit;
        int label;
        Setting setting;
    } paths[] = {{IDC_PROGRAM_LOCATION, 0, Setting::ProgramLocation},
                 {IDC_DATA_LOCATION, IDC_DATA_LOCATION_LABEL, Setting::DataLocation}};
    for (const auto& path : paths) {
        if (targetKept_) break;  // neither is stored
        // The other program's row shows its templates, which are checked on their own.
        if (path.setting == Setting::DataLocation && OtherProgramChosen()) continue;
        if (policy_.Controls(path.setting)) continue;  // IT's value is not stored
        if (CanStoreExactly(path.setting, ItemText(path.edit))) continue;
        const std::u16string name = path.label ? ItemText(path.label) : u"Emplacement du programme";
        const std::u16string text = u"Le chemin « " + name +
                                    u" » ne peut pas être enregistré : il est trop long ou contient des caractères "
                                    u"que Vorbel ne sait pas conserver.\n\nChoisissez un autre emplacement.";
        ShowWarning(hwnd(), text, kSetupTitle);
        SetFocus(Item(path.edit));
        return true;
    }
    // Templates IT fixed are checked at the hand-off, not held against the user here.
    return OtherProgramChosen() && !TemplatesFixed() && RefuseOtherProgram();
}

bool CSetupDialog::Save() {
    if (RefuseUnstorable()) return false;
    const uint32_t key = GetMachineKey();
    for (const SetupField& field : kSetupFields) WriteSetting(field.setting, key, locators_[&field - kSetupFields]);
    const int index = static_cast<int>(SendMessageW(Item(IDC_CONVENTION), CB_GETCURSEL, 0, 0));
    storedConvention_ = DecimalText(EncodeConventionIndex(index));
    WriteSetting(Setting::CommandLineConvention, key, storedConvention_);
    // A target set by the installer stays with its program and data location, unless the user
    // picked an offered one.
    if (!targetKept_) {
        const OfferedTarget* checked = CheckedTarget();
        const OfferedTarget* chosen = checked ? checked : &kOfferedTargets[0];
        WriteSetting(Setting::ProgramLocation, key, ItemText(IDC_PROGRAM_LOCATION));
        WriteSetting(Setting::ImagingTarget, key, DecimalText(chosen->target));
        if (chosen->target == TargetTemplate) {
            WriteTemplateTargetSettings(key, templates_);
        } else {
            WriteSetting(Setting::DataLocation, key, ItemText(IDC_DATA_LOCATION));
        }
    }
    // The entry follows IT's choice at each start, not the user's box.
    if (!policy_.Controls(PolicyId::StartWithWindows)) UpdateStartupEntry(IsChecked(IDC_STARTUP_ENTRY));
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i)
        WriteSetting(kCheckBoxSettings[i], key, IsChecked(kCheckBoxes[i]) ? u"1" : u"0");
    return true;
}

bool CSetupDialog::BrowseFileInto(int edit, const wchar_t* defaultExtension, const wchar_t* title) {
    if (!choosers.browseFile) return false;
    wchar_t file[MAX_PATH] = {};
    lstrcpynW(file, W(ItemText(edit)), MAX_PATH);
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, file, MAX_PATH);
    *PathFindFileNameW(folder) = L'\0';
    static const wchar_t kNoFilter[] = L"\0";
    if (!choosers.browseFile(hwnd(), file, MAX_PATH, folder, defaultExtension, kNoFilter, title)) return false;
    file[MAX_PATH - 1] = L'\0';
    SetItemText(edit, U(file));
    return true;
}

void CSetupDialog::BrowseProgram() {
    if (targetKept_) return;
    // With no button checked, CliniView's title, as before.
    const OfferedTarget* checked = CheckedTarget();
    const OfferedTarget* chosen = checked ? checked : OfferedTargetFor(TargetCliniView);
    BrowseFileInto(IDC_PROGRAM_LOCATION, L"EXE", chosen->programBrowseTitle);
}

void CSetupDialog::BrowseData() {
    if (targetKept_) return;
    if (OtherProgramChosen()) {
        EditOtherProgramTemplates();
    } else if (IsChecked(IDC_VIXWIN)) {
        if (!choosers.browseFolder) return;
        wchar_t displayName[MAX_PATH] = {};
        BROWSEINFOW info = {};
        info.hwndOwner = hwnd();
        info.pszDisplayName = displayName;
        info.lpszTitle = L"Données VIXWIN";
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        if (std::optional<std::u16string> folder = choosers.browseFolder(info)) SetItemText(IDC_DATA_LOCATION, *folder);
    } else if (IsChecked(IDC_CLINIVIEW)) {
        BrowseFileInto(IDC_DATA_LOCATION, L"INI", L"Fichier CliniView.ini");
    }
}

void CSetupDialog::UseTargetFont() {
    LOGFONTW font = {};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font)) return;
    font.lfWeight = 600;
    font.lfHeight = font.lfHeight * 3 / 2;
    // The stock font is sized for the system's scale; the dialog may open on a monitor of another.
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(DpiOfWindow(hwnd())), static_cast<int>(SystemDpi()));
    targetFont_ = CreateFontIndirectW(&font);
    if (!targetFont_) return;
    for (const SetupField& field : kSetupFields) {
        SendDlgItemMessageW(hwnd(), field.target, WM_SETFONT, reinterpret_cast<WPARAM>(targetFont_), TRUE);
        SendDlgItemMessageW(hwnd(), field.pick, WM_SETFONT, reinterpret_cast<WPARAM>(targetFont_), TRUE);
    }
}

void CSetupDialog::AppendVersionToTitle() {
    wchar_t title[256] = {};
    GetWindowTextW(hwnd(), title, 256);
    SetWindowTextW(hwnd(), W(U(title) + VersionSuffix()));
}

bool CSetupDialog::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR&) {
    const POINT point = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
        case WM_LBUTTONDOWN: picker_.OnButtonDown(hwnd(), point); return false;
        case WM_MOUSEMOVE: picker_.OnMouseMove(hwnd(), point); return false;
        case WM_LBUTTONUP: picker_.OnButtonUp(hwnd()); return false;
        case WM_CAPTURECHANGED: picker_.OnCaptureChanged(hwnd()); return false;
        default: return false;
    }
}

bool CSetupDialog::OnButtonClicked(int id) {
    switch (id) {
        case IDC_BROWSE_PROGRAM: BrowseProgram(); return true;
        case IDC_BROWSE_DATA: BrowseData(); return true;
        default:
            if (OfferedTargetOfButton(id)) {
                // Every click, even on the program already chosen, resets both locations.
                SelectImagingProgram(id);
                return true;
            }
            for (int f = 0; f < kSetupFieldCount; ++f) {
                if (id != kSetupFields[f].pick) continue;
                picker_.OnPick(hwnd(), f);
                return true;
            }
            return false;
    }
}

void CSetupDialog::OnCancel() {
    // Escape during a drag abandons the drag, not Setup.
    if (picker_.Dragging()) {
        picker_.CancelDrag(hwnd());
        return;
    }
    Dialog::OnCancel();
}

}  // namespace vorbel
