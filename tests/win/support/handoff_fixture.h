// A clean profile, a temp folder, counted refusals and a watch on the stand-in imaging program,
// for the tests of the hand-off step.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handoff/handoff.h"
#include "settings/diagnostic_log.h"
#include "settings/log_file.h"
#include "settings/settings.h"
#include "text/text.h"
#include "tests/win/support/standin.h"
#include "tests/win/support/win_test_support.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

class HandOffTest : public ::testing::Test {
protected:
    HandOffTest() : watch_(temp_.File(L"standin-record.txt")) {}

    void SetUp() override {
        DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
        DeleteFileW(W(LogFilePath()));
        TheDiagnosticLog().Clear();
        key_ = GetMachineKey();
        hooks_ = DefaultHandOffHooks();
        hooks_.errorBeep = [this] { ++beeps_; };
        hooks_.showFileError = [this](HWND, const std::u16string& text) { messages_.push_back(text); };
        hooks_.dumpKeysHeld = [this] { return dumpKeys_; };
        hooks_.now = [] { return LocalDateTime{{9, 1, 2024}, 8, 5, 3}; };
        hooks_.webExport = [this](HWND, uint32_t key, const WebExportPatient& patient) {
            exports_.push_back(patient);
            exportKeys_.push_back(key);
        };
    }

    void TearDown() override {
        watch_.EndAll();
        SetEnvironmentVariableW(L"VORBEL_STANDIN_DELAY_MS", nullptr);
        SetEnvironmentVariableW(L"VORBEL_STANDIN_HANG", nullptr);
        SetEnvironmentVariableW(L"VORBEL_STANDIN_BROADCAST", nullptr);
        DeleteFileW(W(LogFilePath()));
        DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
    }

    void Set(Setting s, std::u16string_view value) { WriteSetting(s, key_, value); }
    void Set(Setting s, const std::wstring& value) { WriteSetting(s, key_, U(value.c_str())); }

    HandOffOutcome HandOff(const PatientRecord& patient, const FurtherPatientFields& further = {}) {
        return HandOffPatient(nullptr, patient, further, hooks_);
    }

    // A copy of the stand-in at path (folders created), for targets that depend on its place.
    std::wstring CopyStandIn(const std::wstring& path) {
        for (size_t at = path.find(L'\\', temp_.path().size() + 1); at != std::wstring::npos;
             at = path.find(L'\\', at + 1)) {
            CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        }
        EXPECT_TRUE(CopyFileW(StandInExe().c_str(), path.c_str(), FALSE));
        return path;
    }

    // The step starts its program before it returns: nothing to wait for.
    void ExpectNothingStarted() {
        EXPECT_TRUE(watch_.NoneStarted()) << "no program may start";
        EXPECT_FALSE(StandInWatch::WindowOpen());
    }

    void ExpectAcceptedQuietly(HandOffOutcome outcome) {
        EXPECT_EQ(outcome, HandOffOutcome::Accepted);
        EXPECT_EQ(beeps_, 0);
        EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : ToUtf8(messages_[0]));
    }

    // The only refusal is one warning naming the file, with that text.
    void ExpectRefusedWith(HandOffOutcome outcome, const std::u16string& text) {
        EXPECT_EQ(outcome, HandOffOutcome::Refused);
        EXPECT_EQ(beeps_, 0);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(ToUtf8(messages_[0]), ToUtf8(text));
    }

    std::u16string Temp(const std::wstring& name) const { return U(temp_.File(name).c_str()); }

    TempDir temp_;
    StandInWatch watch_;  // after temp_: ends the stand-ins before their folder goes
    HandOffHooks hooks_;
    std::vector<WebExportPatient> exports_;
    std::vector<uint32_t> exportKeys_;
    uint32_t key_ = 0;
    int beeps_ = 0;
    std::vector<std::u16string> messages_;
    bool dumpKeys_ = false;
};

}  // namespace vorbel::test
