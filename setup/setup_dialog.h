// The Setup dialog: every setting of the capture and the hand-off, loaded when it opens and
// stored in one fixed order on OK. Escape and the close box store nothing.
#pragma once

#include <windows.h>

#include <string>

#include "handoff/template_target.h"
#include "settings/policy.h"
#include "setup/field_picker.h"
#include "setup/shell_choosers.h"
#include "win/dialog.h"

namespace vorbel {

struct OfferedTarget;

class CSetupDialog : public Dialog {
public:
    CSetupDialog();
    ~CSetupDialog() override;

    ShellChoosers choosers = SystemShellChoosers();

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(Exchange direction) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    bool OnButtonClicked(int id) override;
    void OnCancel() override;

private:
    void Load();
    bool Save();
    // A value the store cannot give back exactly is refused with a message naming its field.
    bool RefuseUnstorable();
    void FillConventionList();
    // An offered target's button: checked, with its label and default locations.
    void SelectImagingProgram(int button);
    // A target Setup does not offer: shown with its stored locations and kept by OK.
    void ShowKeptTarget(int target);
    // The offered target whose button is checked; null when none is.
    const OfferedTarget* CheckedTarget() const;
    void BrowseProgram();
    void BrowseData();
    bool BrowseFileInto(int edit, const wchar_t* defaultExtension, const wchar_t* title);
    // "Autre programme" (target 6): its templates are a working copy, edited in their own dialog.
    bool OtherProgramChosen() const;
    void ShowOtherProgram();
    void EditOtherProgramTemplates();
    bool RefuseOtherProgram();
    // Greys what IT fixed by policy, shows the fixed locations, and says so under the picture.
    void ApplyPolicy();
    bool TemplatesFixed() const;
    void UseTargetFont();
    void AppendVersionToTitle();

    FieldPicker::Locators locators_;
    bool targetKept_ = false;    // no offered target chosen: OK leaves Y, P and I as they are
    std::u16string targetNote_;  // what Setup says of a kept target, empty otherwise
    TemplateTargetSettings templates_;
    std::u16string storedConvention_;
    Policy policy_;  // as read by the last load
    HFONT targetFont_ = nullptr;
    FieldPicker picker_;
};

}  // namespace vorbel
