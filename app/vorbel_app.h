// The application object: one per process. The first instance runs the launch button; a later
// one hands its command line to the running instance and ends.
#pragma once

#include <string>

namespace vorbel {

class CVorbelApp {
public:
    // The arguments after the program's own path, unchanged; may be empty.
    explicit CVorbelApp(std::u16string commandLine) : commandLine_(std::move(commandLine)) {}

    // Always false: the process ends when it returns.
    bool InitInstance();

private:
    std::u16string commandLine_;
};

}  // namespace vorbel
