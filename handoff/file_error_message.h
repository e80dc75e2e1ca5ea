// The French texts of the warning box that refuses a hand-off because of a file.
#pragma once

#include <string>
#include <string_view>

#include "win/file_error.h"

namespace vorbel {

// What was being done when the error came: opening a file that must exist, or creating one.
enum class FileAction { Open, Create };

// By the system error: not found (for a file being created: its folder), in use by another
// program (sharing or lock violation), or cannot be written. Each names the file.
std::u16string FileErrorMessage(const FileError& error, FileAction action = FileAction::Open);

// Linkage.xml is present and could not be replaced with the new patient.
std::u16string LinkageNotReplacedMessage(std::u16string_view path);

// The patient's data do not fit in an exchange-file record.
std::u16string RecordTooLongMessage(std::u16string_view path);

// The imaging program could not be started; names the program as stored and says why.
std::u16string ProgramNotStartedMessage(std::u16string_view program, unsigned long error);

// A batch-file imaging program cannot be handed this field's value safely (cmd.exe would read
// what follows a line end as a command of its own); field is the dialog's name for it. With no
// field: the line itself (too long for cmd.exe, or a line end in the settings' arguments).
std::u16string BatchCannotCarryMessage(std::u16string_view program, std::u16string_view field);

// VixWin's patient folder would be built outside the images root from this chart number.
std::u16string ChartNumberNotAFolderMessage(std::u16string_view chartNumber);

}  // namespace vorbel
