#include "setup/imaging_choices.h"

#include "text/text.h"

namespace vorbel {

const OfferedTarget* OfferedTargetFor(int target) {
    for (const OfferedTarget& offered : kOfferedTargets) {
        if (offered.target == target) return &offered;
    }
    return nullptr;
}

const OfferedTarget* OfferedTargetOfButton(int button) {
    for (const OfferedTarget& offered : kOfferedTargets) {
        if (offered.button == button) return &offered;
    }
    return nullptr;
}

std::u16string KeptTargetNote(int target, bool byPolicy) {
    std::u16string name;
    switch (target) {
        case TargetNone: name = u"aucune (liaisons refusées)"; break;
        case TargetLinkageFile: name = u"fichier de liaison"; break;
        case TargetSwitchArguments: name = u"programme avec arguments"; break;
        case TargetSidexis: name = u"fichier d'échange Sidexis"; break;
        case TargetWebExport: name = u"export web"; break;
        default: name = u"n° " + DecimalText(target) + u" (programme lancé seul)"; break;
    }
    return u"Cible : " + name + (byPolicy ? u", réglée par l'administrateur" : u", réglée par l'installation");
}

std::u16string KeptTargetDataLabel(int target) {
    return target == TargetSidexis ? u"Fichier d'échange Sidexis" : u"Emplacement des données";
}

}  // namespace vorbel
