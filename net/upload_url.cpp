#include "net/upload_url.h"

#include "text/text.h"

namespace vorbel {
namespace {

constexpr std::u16string_view kHttpsScheme = u"https://";

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool Unreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::u16string PercentEncoded(std::u16string_view text) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    for (const char c : ToUtf8(text)) {
        if (Unreserved(c)) {
            out += static_cast<char16_t>(c);
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += u'%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

}  // namespace

bool IsHttpsUrl(std::u16string_view url) {
    if (url.size() < kHttpsScheme.size()) return false;
    for (size_t i = 0; i < kHttpsScheme.size(); ++i) {
        if (Lower(url[i]) != kHttpsScheme[i]) return false;
    }
    return true;
}

std::u16string HttpsUploadObject(std::u16string_view url, std::u16string_view fileName) {
    const size_t scheme = url.find(u"://");
    std::u16string_view rest = scheme == std::u16string_view::npos ? url : url.substr(scheme + 3);
    rest = rest.substr(0, rest.find(u'#'));
    const size_t pathStart = rest.find_first_of(u"/?");
    rest = pathStart == std::u16string_view::npos ? std::u16string_view() : rest.substr(pathStart);
    const size_t queryStart = rest.find(u'?');
    std::u16string path(rest.substr(0, queryStart));
    const std::u16string_view query = queryStart == std::u16string_view::npos ? u"" : rest.substr(queryStart);
    if (path.empty() || path.back() != u'/') path += u'/';
    return path + PercentEncoded(fileName) + std::u16string(query);
}

}  // namespace vorbel
