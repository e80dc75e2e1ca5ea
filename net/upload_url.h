// Where an upload by HTTPS goes: the decoded address is the folder, the file name is added to
// its path. Platform-free.
#pragma once

#include <string>
#include <string_view>

namespace vorbel {

// The address names an HTTPS server ("https://", in any case).
bool IsHttpsUrl(std::u16string_view url);

// The object of the PUT request: the URL's path (a "/" added when it does not end with one),
// the file name percent-encoded as UTF-8 (letters, digits and "-._~" stay as they are), then
// the URL's query. User, host, port and fragment are not part of it.
std::u16string HttpsUploadObject(std::u16string_view url, std::u16string_view fileName);

}  // namespace vorbel
