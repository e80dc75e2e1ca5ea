// The application object: one per process.
#pragma once

namespace vorbel {

class CVorbelApp {
public:
    // Always false: the process ends when it returns.
    bool InitInstance();
};

}  // namespace vorbel
