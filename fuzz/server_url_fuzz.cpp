// The upload address comes from a server and from a registry value anyone can edit: any text
// must decode within its buffers, and whatever the encoder makes must come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "handoff/web_link_format.h"
#include "net/server_url.h"

namespace {

void CheckDecoded(const std::u16string& url) {
    if (url.size() > 1023) std::abort();
    for (char16_t c : url) {
        if (c == 0 || c > 0xFF) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string encoded;
    for (size_t i = 0; i + 1 < size; i += 2) encoded.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    const std::u16string url = vorbel::DecodeServerUrl(encoded);
    CheckDecoded(url);

    // The same bytes as the information server's document.
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    for (bool testMode : {false, true}) {
        if (const auto address = vorbel::FindEncodedAddress(document, testMode)) {
            if (address->empty() || address->size() > vorbel::kMaxEncodedAddress) std::abort();
            CheckDecoded(vorbel::DecodeServerUrl(*address));
        }
    }

    const uint16_t key = size >= 2 ? static_cast<uint16_t>(data[0] | data[1] << 8) : 0;
    if (const auto code = vorbel::EncodeServerUrl(url, key)) {
        if (code->size() > vorbel::kMaxEncodedAddress || vorbel::DecodeServerUrl(*code) != url) std::abort();
    }
    return 0;
}
