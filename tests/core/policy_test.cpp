#include "settings/policy.h"

#include <gtest/gtest.h>

#include <map>

#include "handoff/policy_templates.h"
#include "text/text.h"

namespace vorbel {
namespace {

PolicyData Dword(uint32_t n) { return {PolicyData::Type::Number, n, {}, {}}; }
PolicyData Sz(std::u16string t) { return {PolicyData::Type::Text, 0, std::move(t), {}}; }
PolicyData MultiSz(std::vector<std::u16string> lines) { return {PolicyData::Type::Lines, 0, {}, std::move(lines)}; }
PolicyData Binary() { return {}; }

class FakeSource : public PolicySource {
public:
    explicit FakeSource(std::u16string label) : label_(std::move(label)) {}
    std::u16string_view Label() const override { return label_; }
    std::optional<PolicyData> Get(std::u16string_view name) override {
        auto it = values.find(std::u16string(name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::u16string, PolicyData> values;

private:
    std::u16string label_;
};

TEST(PolicyTest, EachValueIsUsedWholeOrIgnored) {
    const std::u16string longPath(512, u'a');
    const struct Case {
        const char* name;
        PolicyId id;
        PolicyData data;
        std::optional<std::u16string> value;  // nothing: ignored
    } cases[] = {
        {"target as DWORD", PolicyId::ImagingTarget, Dword(4), u"4"},
        {"target -1 as DWORD", PolicyId::ImagingTarget, Dword(0xFFFFFFFF), u"-1"},
        {"target as text", PolicyId::ImagingTarget, Sz(u" 6 "), u"6"},
        {"target above range", PolicyId::ImagingTarget, Dword(7), std::nullopt},
        {"target below range", PolicyId::ImagingTarget, Sz(u"-2"), std::nullopt},
        {"target with trailing letters", PolicyId::ImagingTarget, Sz(u"4x"), std::nullopt},
        {"target empty text", PolicyId::ImagingTarget, Sz(u""), std::nullopt},
        {"target huge", PolicyId::ImagingTarget, Sz(u"99999999999"), std::nullopt},
        {"target binary", PolicyId::ImagingTarget, Binary(), std::nullopt},
        {"convention stored as the setting", PolicyId::CommandLineConvention, Dword(2), u"176"},
        {"convention 0", PolicyId::CommandLineConvention, Dword(0), u"42"},
        {"convention 5", PolicyId::CommandLineConvention, Dword(5), std::nullopt},
        {"switch 1", PolicyId::ExitMode, Dword(1), u"1"},
        {"switch 2", PolicyId::SwapNames, Dword(2), std::nullopt},
        {"encoding 4", PolicyId::BridgeFileEncoding, Dword(4), u"4"},
        {"encoding 5", PolicyId::BridgeFileEncoding, Dword(5), std::nullopt},
        {"program", PolicyId::ProgramLocation, Sz(u"D:\\Rx\\\"rx\".exe"), u"D:\\Rx\\\"rx\".exe"},
        {"program empty", PolicyId::ProgramLocation, Sz(u"  "), std::nullopt},
        {"program as DWORD", PolicyId::ProgramLocation, Dword(1), std::nullopt},
        {"program with a line break", PolicyId::DataLocation, Sz(u"C:\\a\r\nb"), std::nullopt},
        {"path at the limit", PolicyId::DataLocation, Sz(longPath.substr(1)), longPath.substr(1)},
        {"path over the limit", PolicyId::DataLocation, Sz(longPath), std::nullopt},
        {"server https", PolicyId::InfoServer, Sz(u"HTTPS://info.example.fr/"), u"HTTPS://info.example.fr/"},
        {"server ftp", PolicyId::InfoServer, Sz(u"ftp://info.example.fr/"), std::nullopt},
        {"server with a blank", PolicyId::InfoServer, Sz(u"https://a b/"), std::nullopt},
        {"arguments", PolicyId::ArgumentTemplate, Sz(u"-n \"{NOM}\" @{FICHIER}"), u"-n \"{NOM}\" @{FICHIER}"},
        {"arguments open brace", PolicyId::ArgumentTemplate, Sz(u"-n {NOM"), std::nullopt},
        {"arguments unknown field", PolicyId::ArgumentTemplate, Sz(u"{AGE}"), std::nullopt},
        {"no bridge file", PolicyId::BridgeFilePath, Sz(u""), u""},
        {"bridge path naming itself", PolicyId::BridgeFilePath, Sz(u"C:\\{FICHIER}.ini"), std::nullopt},
        {"content in lines", PolicyId::BridgeFileContent, MultiSz({u"[P]", u"ID={DOSSIER}"}), u"[P]\r\nID={DOSSIER}"},
        {"content bad line", PolicyId::BridgeFileContent, MultiSz({u"[P]", u"ID={DOSIER}"}), std::nullopt},
        {"path in lines", PolicyId::ProgramLocation, MultiSz({u"C:\\a.exe"}), std::nullopt},
    };
    for (const Case& c : cases) {
        const PolicyCheck got = CheckPolicyValue(DefinitionOf(c.id), c.data, CheckPolicyTemplate);
        EXPECT_EQ(got.value, c.value) << c.name;
        EXPECT_EQ(got.refusal.empty(), c.value.has_value()) << c.name;
    }
}

TEST(PolicyTest, TemplatesAreNeverUsedUnchecked) {
    const PolicyCheck got = CheckPolicyValue(DefinitionOf(PolicyId::ArgumentTemplate), Sz(u"{NOM}"), nullptr);
    EXPECT_FALSE(got.value);
}

TEST(PolicyTest, TheMachineWinsAndAnIgnoredValueLetsTheNextSourceSpeak) {
    FakeSource machine64(u"HKLM"), machine32(u"HKLM 32"), user(u"HKCU");
    machine64.values[u"ImagingTarget"] = Dword(4);
    machine32.values[u"ImagingTarget"] = Dword(1);
    user.values[u"ImagingTarget"] = Dword(0);
    machine64.values[u"ExitMode"] = Dword(9);  // ignored: the user's policy applies
    user.values[u"ExitMode"] = Dword(1);
    machine32.values[u"ProgramLocation"] = Sz(u"C:\\x86\\rx.exe");
    user.values[u"ProgramLocation"] = Sz(u"C:\\user\\rx.exe");
    user.values[u"SwapNames"] = Sz(u"oui");  // ignored, and nothing else holds it
    machine64.values[u"Unknown"] = Dword(1);

    const PolicyResolution r = ResolvePolicy({&machine64, &machine32, &user}, CheckPolicyTemplate);
    ASSERT_TRUE(r.policy.ForSetting(Setting::ImagingTarget));
    EXPECT_EQ(*r.policy.ForSetting(Setting::ImagingTarget), u"4");
    ASSERT_TRUE(r.policy.ForSetting(Setting::ExitMode));
    EXPECT_EQ(*r.policy.ForSetting(Setting::ExitMode), u"1");
    ASSERT_TRUE(r.policy.ForSetting(Setting::ProgramLocation));
    EXPECT_EQ(*r.policy.ForSetting(Setting::ProgramLocation), u"C:\\x86\\rx.exe");
    EXPECT_FALSE(r.policy.Controls(Setting::SwapNames));
    EXPECT_FALSE(r.policy.Controls(Setting::DataLocation));
    EXPECT_FALSE(r.policy.Controls(Setting::WindowRect));
    EXPECT_EQ(r.refusals, (std::vector<std::u16string>{
                              u"Policy ExitMode (HKLM) ignored: out of range 0..1: 9\r\n",
                              u"Policy SwapNames (HKCU) ignored: not an integer: \"oui\"\r\n",
                          }));
}

TEST(PolicyTest, OneValueAloneIsLookedUpWhenAsked) {
    FakeSource machine(u"HKLM");
    machine.values[u"ImagingTarget"] = Dword(4);
    machine.values[u"ExitMode"] = Dword(9);
    const PolicyResolution r = ResolvePolicy({&machine}, CheckPolicyTemplate, PolicyId::ImagingTarget);
    EXPECT_TRUE(r.policy.Controls(PolicyId::ImagingTarget));
    EXPECT_TRUE(r.refusals.empty()) << "ExitMode was not looked at";
    EXPECT_FALSE(
        ResolvePolicy({&machine}, CheckPolicyTemplate, PolicyId::SwapNames).policy.Controls(PolicyId::ImagingTarget));
}

TEST(PolicyTest, NoPolicyChangesNothing) {
    FakeSource machine(u"HKLM"), user(u"HKCU");
    const PolicyResolution r = ResolvePolicy({&machine, &user}, CheckPolicyTemplate);
    EXPECT_TRUE(r.policy.Empty());
    EXPECT_TRUE(r.refusals.empty());
    for (const PolicyDefinition& d : kPolicyDefinitions) EXPECT_FALSE(r.policy.Controls(d.id));
}

TEST(PolicyTest, TheStartupEntryAndTheServerAreNoProfileSetting) {
    FakeSource machine(u"HKLM");
    machine.values[u"StartWithWindows"] = Dword(1);
    machine.values[u"InfoServer"] = Sz(u"https://info.example.fr/");
    const Policy p = ResolvePolicy({&machine}, CheckPolicyTemplate).policy;
    EXPECT_TRUE(p.Controls(PolicyId::StartWithWindows));
    EXPECT_TRUE(p.Controls(PolicyId::InfoServer));
    EXPECT_FALSE(p.Controls(kNoSetting));
}

TEST(PolicyTest, TheListNamesEachValueOnceInItsOwnPlace) {
    for (size_t i = 0; i < kPolicyDefinitions.size(); ++i) {
        EXPECT_EQ(static_cast<size_t>(kPolicyDefinitions[i].id), i);
        for (size_t j = i + 1; j < kPolicyDefinitions.size(); ++j) {
            EXPECT_NE(kPolicyDefinitions[i].name, kPolicyDefinitions[j].name);
            if (kPolicyDefinitions[i].setting != kNoSetting) {
                EXPECT_NE(kPolicyDefinitions[i].setting, kPolicyDefinitions[j].setting);
            }
        }
    }
}

}  // namespace
}  // namespace vorbel
