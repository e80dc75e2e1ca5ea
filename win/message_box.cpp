#include "win/message_box.h"

#include "win/wide.h"

namespace vorbel {

void ShowWarning(HWND owner, const std::u16string& text, const std::u16string& caption) {
    MessageBoxW(owner, W(text), W(caption), MB_ICONWARNING | MB_OK);
}

void ShowInformation(HWND owner, const std::u16string& text, const std::u16string& caption) {
    MessageBoxW(owner, W(text), W(caption), MB_ICONINFORMATION | MB_OK);
}

}  // namespace vorbel
