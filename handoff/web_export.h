// Imaging target 5: the confirmed patient as a one-line CSV file, uploaded to the address that
// the information server publishes (or, failing that, the one remembered): by FTP, or by an
// HTTPS PUT into the address's folder when it is an https:// address.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "handoff/web_link_format.h"
#include "net/transfer.h"
#include "win/message_box.h"

namespace vorbel {

// How the export speaks to the user. The defaults are the real message box and beep; tests
// put their own in to watch them.
struct WebExportHooks {
    std::function<int(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type)> messageBox =
        [](HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) {
            return ShowMessage(owner, text, caption, type);
        };
    std::function<void(UINT type)> beep = [](UINT type) { MessageBeep(type); };
    // The transfer another thread may give up; none: the upload makes its own and runs to its end.
    std::shared_ptr<Transfer> transfer;
};

// Profile entry (plain REG_SZ) that replaces the built-in information server, as "https://host/"
// or "https://host:port/".
inline constexpr char16_t kInfoServerEntry[] = u"InfoServer";
// Where the last address received is remembered, under HKEY_CURRENT_USER.
inline constexpr wchar_t kRememberedAddressKey[] = L"Software\\ZEMO\\brevane";

// The information server's root URL: the profile entry, else the one built in.
std::u16string InformationServerUrl();

// Builds the file and its name, warns in test mode, and uploads. Messages are owned by `owner`,
// the confirmation dialog, so that it cannot be confirmed again while one is shown. The lookup
// and the upload run on a worker while this thread keeps answering its messages; a small window
// over `owner` shows it and can give it up ("Annuler"). Given up, or past 30 s before the patient
// went out, nothing more is sent; once the patient went out, the server's answer is awaited
// (30 s more at most) and told, never a failure for a file that arrives.
void ExportPatientToWeb(HWND owner, uint32_t settingsKey, const WebExportPatient& patient);
void ExportPatientToWeb(HWND owner, uint32_t settingsKey, const WebExportPatient& patient, const WebExportHooks& hooks);

// True when the file was stored (FTP, or a 2xx answer to the PUT). Shows its own "Internet"
// messages and beeps: an HTTPS server that cannot be reached "Impossible de contacter le site
// Web.", one that refuses the file "Impossible d'obtenir les informations.".
bool UploadWebLinkFile(HWND owner, std::u16string_view fileName, std::string_view bytes, bool testMode,
                       const WebExportHooks& hooks = {});

}  // namespace vorbel
