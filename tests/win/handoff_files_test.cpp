// The files the imaging programs read, when the disk gives out in the middle of a write.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "handoff/handoff_files.h"
#include "tests/win/support/win_test_support.h"
#include "text/text.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::TempDir;

// Bytes whose second half the system cannot read: WriteFile fails after the first part is on
// disk, as it does when a volume fills or a network share drops mid-write.
class HalfReadableBytes {
public:
    HalfReadableBytes() : bytes_(1 << 20, 'P') {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const uintptr_t page = info.dwPageSize;
        const uintptr_t middle = reinterpret_cast<uintptr_t>(bytes_.data()) + bytes_.size() / 2;
        locked_ = reinterpret_cast<void*>((middle + page - 1) & ~(page - 1));
        DWORD old = 0;
        locked_ok_ = VirtualProtect(locked_, page, PAGE_NOACCESS, &old) != 0;
        size_ = page;
    }
    ~HalfReadableBytes() {
        DWORD old = 0;
        if (locked_ok_) VirtualProtect(locked_, size_, PAGE_READWRITE, &old);
    }
    bool ready() const { return locked_ok_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    void* locked_ = nullptr;
    SIZE_T size_ = 0;
    bool locked_ok_ = false;
};

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

struct WriterCase {
    const char* name;
    std::function<std::optional<std::u16string>(const std::wstring& folder, const std::vector<uint8_t>&)> write;
};

void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

class FailedWriteTest : public ::testing::TestWithParam<WriterCase> {};

TEST_P(FailedWriteTest, RefusesAndLeavesNoPartialFileHoldingPatientData) {
    TempDir temp;
    HalfReadableBytes content;
    ASSERT_TRUE(content.ready());
    const auto failure = GetParam().write(temp.path(), content.bytes());
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find(u"«"), std::u16string::npos) << ToUtf8(*failure);
    const auto left = FilesIn(temp.path());
    EXPECT_TRUE(left.empty()) << ToUtf8(U(left.empty() ? L"" : left.front().c_str()));
}

INSTANTIATE_TEST_SUITE_P(
    All, FailedWriteTest,
    ::testing::Values(WriterCase{"BridgeFile",
                                 [](const std::wstring& folder, const std::vector<uint8_t>& bytes) {
                                     return WriteBridgeFile(U((folder + L"\\patient.txt").c_str()), bytes);
                                 }},
                      WriterCase{"LinkageFile",
                                 [](const std::wstring& folder, const std::vector<uint8_t>& bytes) {
                                     return WriteLinkageFile(U((folder + L"\\imaging.exe").c_str()), bytes);
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorbel
