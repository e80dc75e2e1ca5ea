// The Group Policy templates and the MSI package name exactly the policy values Vorbel reads, of
// the kind and range it reads them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/policy.h"

namespace vorbel {
namespace {

std::string ReadSource(const std::string& path) {
    std::ifstream in(std::string(VORBEL_SOURCE_DIR) + "/" + path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Narrow(std::u16string_view t) { return std::string(t.begin(), t.end()); }

std::set<std::string> Matches(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

std::set<std::string> VorbelsNames() {
    std::set<std::string> names;
    for (const PolicyDefinition& d : kPolicyDefinitions) names.insert(Narrow(d.name));
    return names;
}

// Each <policy ...>...</policy> of the template, by its name.
std::map<std::string, std::string> Policies(const std::string& admx) {
    std::map<std::string, std::string> policies;
    const std::regex re("<policy name=\"([A-Za-z]+)\"[\\s\\S]*?</policy>");
    for (auto it = std::sregex_iterator(admx.begin(), admx.end(), re); it != std::sregex_iterator(); ++it)
        policies[(*it)[1]] = (*it)[0];
    return policies;
}

TEST(PolicyFilesTest, TheTemplateDescribesExactlyTheValuesVorbelReads) {
    const std::string admx = ReadSource("installer/policy/Vorbel.admx");
    EXPECT_EQ(Matches(admx, "valueName=\"([A-Za-z]+)\""), VorbelsNames());
    const std::map<std::string, std::string> policies = Policies(admx);
    for (const PolicyDefinition& d : kPolicyDefinitions) {
        const std::string name = Narrow(d.name);
        SCOPED_TRACE(name);
        ASSERT_EQ(policies.count(name), 1u);
        const std::string& p = policies.at(name);
        EXPECT_NE(p.find("key=\"Software\\Policies\\ZEMO\\Vorbel\""), std::string::npos);
        EXPECT_NE(p.find("class=\"Both\""), std::string::npos) << "Vorbel reads the machine's and the user's";
        if (d.kind == PolicyKind::Number || d.kind == PolicyKind::Convention) {
            // Every value of the range, and no other; a DWORD carries -1 as 4294967295.
            std::set<int64_t> values;
            for (const std::string& v : Matches(p, "<decimal value=\"([0-9]+)\"")) {
                const int64_t n = std::stoll(v);
                values.insert(n == 4294967295LL ? -1 : n);
            }
            std::set<int64_t> range;
            for (int64_t v = d.low; v <= d.high; ++v) range.insert(v);
            EXPECT_EQ(values, range);
        } else {
            EXPECT_TRUE(
                p.find("<text id=\"" + name + "\"") != std::string::npos ||
                (d.kind == PolicyKind::Template && p.find("<multiText id=\"" + name + "\"") != std::string::npos));
            EXPECT_NE(p.find("maxLength=\"511\""), std::string::npos);
        }
    }
}

TEST(PolicyFilesTest, EachLanguageGivesEveryTextTheTemplateNames) {
    const std::string admx = ReadSource("installer/policy/Vorbel.admx");
    const std::set<std::string> strings = Matches(admx, "\\$\\(string\\.([A-Za-z_0-9]+)\\)");
    const std::set<std::string> presentations = Matches(admx, "\\$\\(presentation\\.([A-Za-z_0-9]+)\\)");
    for (const char* language : {"fr-FR", "en-US"}) {
        SCOPED_TRACE(language);
        const std::string adml = ReadSource(std::string("installer/policy/") + language + "/Vorbel.adml");
        EXPECT_EQ(Matches(adml, "<string id=\"([A-Za-z_0-9]+)\""), strings);
        EXPECT_EQ(Matches(adml, "<presentation id=\"([A-Za-z_0-9]+)\""), presentations);
    }
}

TEST(PolicyFilesTest, ThePackageWritesExactlyTheValuesVorbelReads) {
    const std::string wxs = ReadSource("installer/vorbel.wxs");
    const std::string key = "Key=\"Software\\\\Policies\\\\ZEMO\\\\Vorbel\" Name=\"([A-Za-z]+)\"";
    EXPECT_EQ(Matches(wxs, "<RegistryValue Root=\"HKLM\" " + key), VorbelsNames()) << "written";
    EXPECT_EQ(Matches(wxs, "<RegistrySearch Id=\"[A-Za-z]+\" Root=\"HKLM\" " + key), VorbelsNames()) << "kept";
}

}  // namespace
}  // namespace vorbel
