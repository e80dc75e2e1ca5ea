// The on-request dump of the diagnostic log to VrbLog.Log in the user's local application data.
#pragma once

#include <optional>
#include <string>

#include "win/file_error.h"

namespace vorbel {

// Local application-data folder + "VrbLog.Log"; the bare name when the folder is unknown.
std::u16string LogFilePath();

// Replaces the file with the log as raw UTF-16LE, no byte-order mark. The in-memory log is left
// as it is either way.
std::optional<FileError> WriteLogFile();

}  // namespace vorbel
