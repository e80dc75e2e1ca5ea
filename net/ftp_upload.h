// The web export's FTP upload, over sockets of its own: giving the transfer up ends every wait at
// once and sends nothing more. (WinINet's FTP calls, under Wine 8, run to their end once their
// handles are closed, and so send the file's name to a server that answers late.)
#pragma once

#include <string_view>

namespace vorbel {

class Transfer;
struct UrlParts;

enum class FtpOutcome {
    Stored,      // the file went out whole and the server did not refuse it
    Refused,     // logged in, but the server did not take the file, or it could not go out whole
    NotReached,  // no connection, greeting or login (wrong password), or given up before the file
};

// Passive mode, binary, into the account's login folder (anonymous without an account), with the
// commands WinINet sends: USER, PASS, TYPE I, PASV, STOR, QUIT. The connection, and each reply,
// within 10 s. The transfer commits to the file right before STOR: a server then holds either the
// whole file or none of it from us, and the outcome says which.
FtpOutcome FtpUpload(Transfer& transfer, const UrlParts& server, std::u16string_view remoteName,
                     std::string_view bytes);

}  // namespace vorbel
