// The three fields Setup designates in the practice program's windows.
#pragma once

#include "resources/resource.h"
#include "settings/setting_names.h"

namespace vorbel {

struct SetupField {
    int target;   // the "¤" a drag starts from
    int pick;     // the "+" button opening the window tree
    int display;  // what the designated control shows
    Setting setting;
    const char16_t* label;
};

// Setup's title, which its own boxes carry too: the user is working there.
inline constexpr char16_t kSetupTitle[] = u"Paramétrage";

inline constexpr int kSetupFieldCount = 3;
inline constexpr SetupField kSetupFields[kSetupFieldCount] = {
    {IDC_CHART_TARGET, IDC_CHART_PICK, IDC_CHART_VALUE, Setting::ChartNumberLocator, u"Dossier"},
    {IDC_LAST_NAME_TARGET, IDC_LAST_NAME_PICK, IDC_LAST_NAME_VALUE, Setting::LastNameLocator, u"Nom"},
    {IDC_FIRST_NAME_TARGET, IDC_FIRST_NAME_PICK, IDC_FIRST_NAME_VALUE, Setting::FirstNameLocator, u"Prénom"},
};

}  // namespace vorbel
