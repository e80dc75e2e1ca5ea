#include "win/module_path.h"

#include <windows.h>

#include <vector>

#include "win/wide.h"

namespace vorbel {

std::u16string OwnModulePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return u"";
        if (n < buf.size()) return U(buf.data(), n);
        buf.resize(buf.size() * 2);  // cut: the path is longer than the buffer
    }
}

std::u16string OwnModuleBaseName() {
    std::u16string path = OwnModulePath();
    size_t slash = path.find_last_of(u"\\/");
    std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos && dot != 0) name.resize(dot);
    return name;
}

}  // namespace vorbel
