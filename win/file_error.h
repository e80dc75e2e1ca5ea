// A file that could not be written or opened, kept for the message that names it to the user.
#pragma once

#include <string>

namespace vorbel {

struct FileError {
    std::u16string path;
    unsigned long code = 0;  // GetLastError() at the failing call
};

}  // namespace vorbel
