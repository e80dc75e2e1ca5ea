// Shift or Ctrl held at this moment: the user's way of asking for diagnostics.
#pragma once

namespace vorbel {

bool IsShiftOrCtrlHeld();

}  // namespace vorbel
