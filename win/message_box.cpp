#include "win/message_box.h"

#include "win/wide.h"

namespace vorbel {

int ShowMessage(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) {
    return MessageBoxW(owner, W(text), W(caption), type);
}

void ShowWarning(HWND owner, const std::u16string& text, const std::u16string& caption) {
    ShowMessage(owner, text, caption, MB_ICONWARNING | MB_OK);
}

void ShowInformation(HWND owner, const std::u16string& text, const std::u16string& caption) {
    ShowMessage(owner, text, caption, MB_ICONINFORMATION | MB_OK);
}

}  // namespace vorbel
