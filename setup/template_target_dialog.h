// "Autre programme" in Setup: the templates of imaging target 6, the "Fichier d'échange" part and
// a live preview for a sample patient. Works on Setup's working copy; Setup stores it on its OK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "handoff/template_target.h"
#include "win/dialog.h"

namespace vorbel {

class CTemplateTargetDialog : public Dialog {
public:
    // program: the one Setup shows, for the preview's command line.
    CTemplateTargetDialog(TemplateTargetSettings& settings, std::u16string program);

protected:
    bool DoDataExchange(Exchange direction) override;
    bool OnButtonClicked(int id) override;
    bool OnItemNotified(int id, int code) override;

private:
    TemplateTargetSettings Shown() const;
    void UpdatePreview();

    TemplateTargetSettings& settings_;
    std::u16string program_;
};

// The French message that refuses these templates (they do not parse, or the store could not
// keep one of them exactly), naming the template; nullopt when they can be stored.
std::optional<std::u16string> TemplateTargetRefusal(const TemplateTargetSettings& settings);

// The preview: the command line and the bridge file for the sample patient, or the refusal.
std::u16string TemplateTargetPreview(const TemplateTargetSettings& settings, std::u16string_view program);

// What Setup's data-location row shows for target 6.
std::u16string TemplateTargetSummary(const TemplateTargetSettings& settings);

void WriteTemplateTargetSettings(uint32_t key, const TemplateTargetSettings& settings);

}  // namespace vorbel
