// The imaging targets Setup offers, one button each. Any other target (linkage file, switch
// arguments, Sidexis, web export, refusal) is set by the installer or by IT: Setup shows it and
// keeps it, with its program and data location, unless the user picks an offered one.
#pragma once

#include <string>

#include "handoff/handoff_formats.h"
#include "resources/resource.h"

namespace vorbel {

struct OfferedTarget {
    int target;                         // value of setting Y
    int button;                         // its push-like radio button
    const char16_t* dataLabel;          // label of the data location
    const wchar_t* programBrowseTitle;  // title of the program's file chooser
};

inline constexpr OfferedTarget kOfferedTargets[] = {
    {TargetVixWin, IDC_VIXWIN, u"Emplacement des données", L"Programme VIXWIN"},
    {TargetCliniView, IDC_CLINIVIEW, u"Fichier CliniView.ini", L"Programme CliniView"},
    {TargetTemplate, IDC_OTHER_PROGRAM, u"Mod\u00e8les (ligne de commande, fichier d'\u00e9change)",
     L"Programme d'imagerie"},
};

// The entry of an offered target, or of its button; null for any other.
const OfferedTarget* OfferedTargetFor(int target);
const OfferedTarget* OfferedTargetOfButton(int button);

// The line shown for a target Setup keeps: "Cible : fichier de liaison, réglée par l'installation"
// ("par l'administrateur" when policy fixes it).
std::u16string KeptTargetNote(int target, bool byPolicy = false);

// The data-location label of a kept target.
std::u16string KeptTargetDataLabel(int target);

}  // namespace vorbel
