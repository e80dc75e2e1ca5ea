// The application object: one per process. The first instance runs the launch button; a later
// one hands its command line to the running instance and ends.
#pragma once

#include <windows.h>

#include <string>

namespace vorbel {

class CVorbelInstance {
public:
    // The arguments after the program's own path, unchanged; may be empty.
    explicit CVorbelInstance(std::u16string commandLine) : commandLine_(std::move(commandLine)) {}

    // The process's exit code: 0, or kNotDelivered when a later instance could not hand its
    // request over.
    int Run();
    static constexpr int kNotDelivered = 1;
    // False for a later instance, which only hands over.
    bool RanTheButton() const { return ranTheButton_; }

private:
    void HandOver(HWND running);

    std::u16string commandLine_;
    int exitCode_ = 0;
    bool ranTheButton_ = false;
};

}  // namespace vorbel
