#include "net/user_agent.h"

#include "text/text.h"

namespace vorbel {
namespace {

std::u16string Hex(uint32_t v, size_t minDigits) {
    std::u16string digits = HexText(v);
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
    return digits;
}

// "%d" of a 32-bit value as the C library prints it.
std::u16string Dec(uint32_t v) { return DecimalText(static_cast<int32_t>(v)); }

}  // namespace

std::u16string FormatUserAgent(const UserAgentFields& f) {
    const uint32_t ms = f.fileVersionMS, ls = f.fileVersionLS;
    std::u16string t = f.productName;
    t += u'/' + Dec(ms >> 16) + u'.' + Dec(ms & 0xFFFF);
    t += u" (Windows";
    if (f.nt) t += u" NT";
    t += u' ' + Dec(f.major) + u'.' + Dec(f.minor) + u" Build " + Dec(f.build) + u' ' + f.servicePack;
    t += u' ' + Hex(f.productType, 4) + u'/' + Hex(f.suiteMask, 2) + u") ";
    t += f.moduleName;
    t += u'/' + Dec(ms >> 16) + u'.' + Dec(ms & 0xFFFF) + u'.' + Dec(ls >> 16) + u'.' + Dec(ls & 0xFFFF);
    t += u' ' + f.moduleName;
    if (t.size() > kMaxUserAgent) t.resize(kMaxUserAgent);
    return t;
}

}  // namespace vorbel
