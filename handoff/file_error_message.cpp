#include "handoff/file_error_message.h"

#include <windows.h>

#include "text/text.h"

namespace vorbel {
namespace {

// French puts a no-break space (\u00a0, escaped: it looks like a plain one) before : ; and inside « ».

// Guillemets with non-breaking spaces, so that a long path never leaves one alone on a line.
std::u16string Named(std::u16string_view path) { return u"«\u00a0" + std::u16string(path) + u"\u00a0»"; }

}  // namespace

std::u16string FileErrorMessage(const FileError& error, FileAction action) {
    const std::u16string file = u"Le fichier " + Named(error.path);
    switch (error.code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:  // a temporary name asked for in a folder that does not exist
            if (action == FileAction::Create) {
                return u"Impossible de créer le fichier " + Named(error.path) + u"\u00a0: son dossier est introuvable.";
            }
            return file + u" est introuvable.";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return file +
                   u" est utilisé par un autre programme (violation de partage). "
                   u"Réessayez dans un instant.";
        default: return u"Impossible d'écrire dans le fichier " + Named(error.path) + u".";
    }
}

std::u16string LinkageNotReplacedMessage(std::u16string_view path) {
    return u"Le fichier " + Named(path) +
           u" n'a pas pu être remplacé. Le programme d'imagerie "
           u"n'est pas lancé, pour qu'il n'ouvre pas le patient précédent.";
}

std::u16string ProgramNotStartedMessage(std::u16string_view program, unsigned long error) {
    std::u16string why;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY: why = u"il est introuvable"; break;
        case ERROR_ACCESS_DENIED: why = u"l'accès est refusé"; break;
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH: why = u"ce n'est pas un programme que Windows sait lancer"; break;
        default: why = u"Windows a refusé de le lancer (erreur " + DecimalText(error) + u")"; break;
    }
    return u"Le programme d'imagerie " + Named(program) + u" n'a pas pu être lancé\u00a0: " + why +
           u".\n\nVérifiez l'emplacement du programme dans le Paramétrage de Vorbel.";
}

std::u16string BatchCannotCarryMessage(std::u16string_view program, std::u16string_view field) {
    const std::u16string what = field.empty()
                                    ? u"Sa ligne de commande est trop longue ou contient un saut de ligne"
                                    : u"Le champ " + Named(field) + u" contient un saut de ligne ou un caractère nul";
    return u"Le programme d'imagerie " + Named(program) +
           u" est un fichier de commandes, qui ne peut pas recevoir ce patient sans risque\u00a0: " + what +
           u".\n\nRien n'a été lancé. Corrigez le patient ou le Paramétrage.";
}

std::u16string ChartNumberNotAFolderMessage(std::u16string_view chartNumber) {
    return u"Le numéro de dossier " + Named(chartNumber) +
           u" ne peut pas servir de nom de dossier d'images\u00a0: il contient \\, /, : ou «\u00a0..\u00a0»."
           u"\n\nCorrigez le numéro de dossier.";
}

std::u16string RecordTooLongMessage(std::u16string_view path) {
    return u"Les données du patient sont trop longues pour le fichier d'échange " + Named(path) + u".";
}

}  // namespace vorbel
