#include "win/icon_sides.h"

namespace vorbel {

std::vector<int> IconImageSides(HMODULE module, int groupId) {
    std::vector<int> sides;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(groupId), RT_GROUP_ICON);
    if (!found) return sides;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    // A 6-byte header (reserved, type, count), then one 14-byte entry per image, width first.
    constexpr DWORD kHeader = 6, kEntry = 14;
    if (!bytes || size < kHeader) return sides;
    const int count = bytes[4] | (bytes[5] << 8);
    for (int i = 0; i < count && kHeader + (i + 1) * kEntry <= size; ++i) {
        const int width = bytes[kHeader + i * kEntry];
        sides.push_back(width ? width : 256);
    }
    return sides;
}

}  // namespace vorbel
