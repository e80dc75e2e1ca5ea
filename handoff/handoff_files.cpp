#include "handoff/handoff_files.h"

#include <windows.h>

#include <vector>

#include "handoff/file_error_message.h"
#include "handoff/handoff_formats.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

std::u16string ErrorText(std::u16string_view path, DWORD code, FileAction action = FileAction::Open) {
    return FileErrorMessage({std::u16string(path), code}, action);
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

void CreateVixWinFolders(std::u16string_view imagesRoot, std::u16string_view patientFolder) {
    CreateDirectoryW(W(std::u16string(imagesRoot)), nullptr);
    CreateDirectoryW(W(std::u16string(patientFolder)), nullptr);
}

std::optional<std::u16string> WriteCliniViewEntries(std::u16string_view iniPath, const PatientRecord& patient) {
    constexpr wchar_t kSection[] = L"PracticeManagementInterface";
    const std::u16string path(iniPath);
    // The section as it is, whole: the buffer grows until the text ends before its last two units.
    std::vector<wchar_t> current(4096);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionW(kSection, current.data(), static_cast<DWORD>(current.size()), W(path));
        if (length + 2 < current.size() || current.size() >= (1u << 24)) break;
        current.resize(current.size() * 2);
    }
    const std::u16string block =
        BuildCliniViewSection(std::u16string_view(reinterpret_cast<const char16_t*>(current.data()), length), patient);
    if (!WritePrivateProfileSectionW(kSection, W(block), W(path))) {
        return ErrorText(path, GetLastError(), FileAction::Create);
    }
    return std::nullopt;
}

std::u16string LinkageFilePath(std::u16string_view program) { return ProgramFolder(program) + u"Linkage.xml"; }

std::optional<std::u16string> WriteLinkageFile(std::u16string_view program, const std::vector<uint8_t>& content) {
    // "Linkage." as the file system stores it: without its final dot.
    const std::u16string temp = ProgramFolder(program) + u"Linkage";
    const std::u16string target = LinkageFilePath(program);
    {
        UniqueFile file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return ErrorText(target, GetLastError(), FileAction::Create);
        if (!WriteAll(file.get(), content)) {
            const DWORD code = GetLastError();
            file.reset();
            DeleteFileW(W(temp));
            return ErrorText(target, code, FileAction::Create);
        }
    }
    if (!MoveFileExW(W(temp), W(target), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = GetLastError();
        DeleteFileW(W(temp));
        if (GetFileAttributesW(W(target)) != INVALID_FILE_ATTRIBUTES) return LinkageNotReplacedMessage(target);
        return ErrorText(target, code, FileAction::Create);
    }
    return std::nullopt;
}

std::optional<std::u16string> WriteBridgeFile(std::u16string_view path, const std::vector<uint8_t>& content) {
    const std::u16string target(path);
    const size_t slash = target.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? u"." : target.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = L"";
    // Creates the empty temporary file, so that no other writer can take the same name.
    if (!GetTempFileNameW(W(folder), L"vrb", 0, temp)) return ErrorText(target, GetLastError(), FileAction::Create);
    UniqueFile file;
    // Closes before deleting: a file still open without sharing cannot be deleted, and its partial
    // content holds patient data.
    const auto failed = [&](DWORD code) {
        file.reset();
        DeleteFileW(temp);
        return ErrorText(target, code, FileAction::Create);
    };
    file.reset(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return failed(GetLastError());
    if (!WriteAll(file.get(), content) || !FlushFileBuffers(file.get())) return failed(GetLastError());
    file.reset();
    if (!MoveFileExW(temp, W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return failed(GetLastError());
    return std::nullopt;
}

std::optional<std::u16string> AppendExchangeRecords(std::u16string_view path, const std::vector<uint8_t>& records) {
    const std::u16string name(path);
    UniqueFile file(
        CreateFileW(W(name), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ErrorText(name, GetLastError());
    LARGE_INTEGER end = {};
    if (!SetFilePointerEx(file.get(), {}, &end, FILE_END)) return ErrorText(name, GetLastError());
    if (!WriteAll(file.get(), records) || !FlushFileBuffers(file.get())) {
        const DWORD code = GetLastError();
        SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
        return ErrorText(name, code);
    }
    return std::nullopt;
}

}  // namespace vorbel
