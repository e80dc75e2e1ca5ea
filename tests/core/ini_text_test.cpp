#include "text/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "text/text.h"

namespace vorbel {
namespace {

using namespace std::string_literals;

std::string Shown(const std::optional<std::u16string>& t) { return t ? "\"" + ToUtf8(*t) + "\"" : "(none)"; }

// --- Reading ---

struct ReadCase {
    std::u16string text, section, name;
    std::optional<std::u16string> value;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << ::testing::PrintToString(ToUtf8(c.text)); }

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, FindsWhatGetPrivateProfileStringFinds) {
    const ReadCase& c = GetParam();
    const IniText ini = ParseIni(c.text);
    EXPECT_TRUE(ini.isIni);
    EXPECT_EQ(Shown(IniValue(ini, c.section, c.name)), Shown(c.value)) << ToUtf8(c.text);
}

INSTANTIATE_TEST_SUITE_P(
    NamesAndBlanks, IniReadTest,
    ::testing::Values(ReadCase{u"[Patient]\r\nPatId=4217\r\n", u"PATIENT", u"patid", u"4217"},
                      ReadCase{u"[ PATIENT ]\n  PATID  =   4217  \n", u"patient", u"PATID", u"4217"},
                      ReadCase{u"[PATIENT]\r\n\tPATID\t=\t42 17\t", u"PATIENT", u"PATID", u"42 17"},
                      ReadCase{u"[ÄRZTE]\nNAME=x", u"ärzte", u"name", u"x"},
                      ReadCase{u"\uFEFF[PATIENT]\nPATID=4217", u"PATIENT", u"PATID", u"4217"},
                      ReadCase{u"[P]\nK=a=b;c", u"P", u"K", u"a=b;c"}, ReadCase{u"[P]\nK=\n", u"P", u"K", u""}));

INSTANTIATE_TEST_SUITE_P(
    LineEnds, IniReadTest,
    ::testing::Values(ReadCase{u"[PATIENT]\nPATID=4217", u"PATIENT", u"PATID", u"4217"},
                      ReadCase{u"[PATIENT]\r\nPATID=4217\r\nLASTNAME=MARTIN", u"PATIENT", u"LASTNAME", u"MARTIN"},
                      ReadCase{u"[PATIENT]\rPATID=4217\rLASTNAME=MARTIN\r", u"PATIENT", u"LASTNAME", u"MARTIN"},
                      ReadCase{u"[A]\n\n\r\n[PATIENT]\n\nPATID=4217\n\n", u"PATIENT", u"PATID", u"4217"}));

INSTANTIATE_TEST_SUITE_P(FirstOneWins, IniReadTest,
                         ::testing::Values(ReadCase{u"[P]\nK=first\nk=second\n", u"P", u"K", u"first"},
                                           // Only the first section of a name is read: its missing key is missing.
                                           ReadCase{u"[P]\nA=1\n[Q]\nB=2\n[P]\nA=3\nC=4\n", u"P", u"A", u"1"},
                                           ReadCase{u"[P]\nA=1\n[Q]\nB=2\n[P]\nA=3\nC=4\n", u"P", u"C", std::nullopt},
                                           ReadCase{u"[A]\nK=1\n[B]\n", u"B", u"K", std::nullopt},
                                           ReadCase{u"[A]\nK=1\n", u"C", u"K", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(OtherLines, IniReadTest,
                         ::testing::Values(ReadCase{u"[P]\nrubbish\n[no end\n=no name\nK=v\n", u"P", u"K", u"v"}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, IniReadTest,
    ::testing::Values(ReadCase{u"[P]\nK= \"C:\\Program Files\\x.exe\" ", u"P", u"K", u"C:\\Program Files\\x.exe"},
                      ReadCase{u"[P]\nK='a b'", u"P", u"K", u"a b"}, ReadCase{u"[P]\nK=\"a'", u"P", u"K", u"\"a'"},
                      ReadCase{u"[P]\nK=\"", u"P", u"K", u"\""}, ReadCase{u"[P]\nK=\"\"\"\"", u"P", u"K", u"\"\""}));

struct KindCase {
    std::u16string text;
    bool isIni;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << ::testing::PrintToString(ToUtf8(c.text)); }

class IniKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(IniKindTest, AnIniHoldsNoZeroAndNothingButCommentsBeforeItsFirstSection) {
    EXPECT_EQ(ParseIni(GetParam().text).isIni, GetParam().isIni) << ToUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(All, IniKindTest,
                         ::testing::Values(KindCase{u"", true}, KindCase{u"; only a comment\r\n\r\n", true},
                                           KindCase{u" \t\n; c\n[P]", true}, KindCase{u"[P]\nK=v\nrubbish", true},
                                           KindCase{u"K=v\n[P]\n", false}, KindCase{u"Bonjour\n[P]\nK=v", false},
                                           KindCase{u"4217 MARTIN Hélène", false}, KindCase{u"[P]\nK=v\0w"s, false}));

// --- Editing ---

enum class Edit { Set, RemoveEntry, RemoveSection };

struct EditCase {
    const char* what;
    std::u16string before;
    Edit edit;
    std::u16string section, name, value;
    std::optional<std::u16string> after;  // the whole text; nullopt: refused
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.what; }

class IniEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(IniEditTest, ChangesOnlyTheLinesItMust) {
    const EditCase& c = GetParam();
    std::optional<std::u16string> after;
    switch (c.edit) {
        case Edit::Set: after = SetIniValue(c.before, c.section, c.name, c.value); break;
        case Edit::RemoveEntry: after = RemoveIniEntry(c.before, c.section, c.name); break;
        case Edit::RemoveSection: after = RemoveIniSection(c.before, c.section); break;
    }
    EXPECT_EQ(Shown(after), Shown(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Set, IniEditTest,
    ::testing::Values(
        EditCase{"in place, keeping the name's case, its blanks and the other lines",
                 u"; en-tête\r\n[Patient]\r\n  PatId =  1   \r\nLASTNAME=A\r\n", Edit::Set, u"PATIENT", u"PATID",
                 u"4217", u"; en-tête\r\n[Patient]\r\n  PatId =  4217   \r\nLASTNAME=A\r\n"},
        EditCase{"a quoted value whole", u"[P]\r\nK=\"old one\"\r\n", Edit::Set, u"P", u"K", u"new",
                 u"[P]\r\nK=new\r\n"},
        EditCase{"an empty value", u"[P]\nK=\nL=1\n", Edit::Set, u"P", u"K", u"v", u"[P]\nK=v\nL=1\n"},
        EditCase{"the first of duplicated entries", u"[P]\nK=1\nK=2\n", Edit::Set, u"P", u"K", u"9",
                 u"[P]\nK=9\nK=2\n"},
        EditCase{"after the section's last entry, before comments and blank lines",
                 u"[A]\nX=1\n; about B\n\n[B]\nY=2\n", Edit::Set, u"A", u"Z", u"3",
                 u"[A]\nX=1\nZ=3\n; about B\n\n[B]\nY=2\n"},
        EditCase{"after a header without entries", u"[A]\r\n[B]\r\n", Edit::Set, u"a", u"Z", u"3",
                 u"[A]\r\nZ=3\r\n[B]\r\n"},
        EditCase{"after a last line without its line break", u"[A]\r\nX=1", Edit::Set, u"A", u"Z", u"3",
                 u"[A]\r\nX=1\r\nZ=3"},
        EditCase{"after lines ended by a lone CR", u"[A]\rX=1\r", Edit::Set, u"A", u"Z", u"3", u"[A]\rX=1\rZ=3\r"},
        EditCase{"ended as the line it follows, not joined to the next", u"[A]\rX=1\n\n[B]", Edit::Set, u"A", u"Z",
                 u"3", u"[A]\rX=1\nZ=3\n\n[B]"},
        EditCase{"into the first of duplicated sections", u"[A]\nX=1\n[B]\n[A]\nY=2\n", Edit::Set, u"A", u"Y", u"3",
                 u"[A]\nX=1\nY=3\n[B]\n[A]\nY=2\n"},
        EditCase{"a new section at the end", u"[A]\nX=1", Edit::Set, u"B", u"Z", u"3", u"[A]\nX=1\n[B]\nZ=3\n"},
        EditCase{"a new section into a text of comments", u"; c", Edit::Set, u"B", u"Z", u"3",
                 u"; c\r\n[B]\r\nZ=3\r\n"},
        EditCase{"a new section into nothing", u"", Edit::Set, u"B", u"Z", u"3", u"[B]\r\nZ=3\r\n"},
        EditCase{"a value that would add lines and end the text", u"[A]\r\n", Edit::Set, u"A", u"Z", u"a\r\nB=x\0y"s,
                 u"[A]\r\nZ=a  B=x?y\r\n"},
        EditCase{"nothing in a text that is no INI", u"K=v\n[A]\n", Edit::Set, u"A", u"Z", u"3", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Remove, IniEditTest,
    ::testing::Values(
        EditCase{"every entry of the name in the first section", u"[A]\r\nK=1\r\nX=2\r\nk=3\r\n[B]\r\nK=4\r\n",
                 Edit::RemoveEntry, u"A", u"K", u"", u"[A]\r\nX=2\r\n[B]\r\nK=4\r\n"},
        EditCase{"the last line without its line break", u"[A]\nX=1\nK=2", Edit::RemoveEntry, u"A", u"K", u"",
                 u"[A]\nX=1\n"},
        EditCase{"no entry: nothing", u"[A]\nX=1", Edit::RemoveEntry, u"A", u"K", u"", u"[A]\nX=1"},
        EditCase{"every section of the name, to the next header", u"; c\n[A]\nX=1\n\n[B]\nY=2\n[a]\nZ=3",
                 Edit::RemoveSection, u"A", u"", u"", u"; c\n[B]\nY=2\n"},
        EditCase{"no section: nothing", u"[A]\nX=1", Edit::RemoveSection, u"B", u"", u"", u"[A]\nX=1"},
        EditCase{"nothing in a text that is no INI", u"[A]\0"s, Edit::RemoveSection, u"A", u"", u"", std::nullopt},
        EditCase{"no entry in a text that is no INI", u"x\n[A]\nK=1", Edit::RemoveEntry, u"A", u"K", u"",
                 std::nullopt}));

// --- What a value becomes ---

struct ValueCase {
    std::u16string value, readBack;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << ::testing::PrintToString(ToUtf8(c.value)); }

class IniValueTextTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(IniValueTextTest, ReadsBackAsOneEntryWithoutItsOuterBlanks) {
    const ValueCase& c = GetParam();
    const std::u16string text = *SetIniValue(u"[P]\r\n", u"P", u"K", c.value);
    const IniText ini = ParseIni(text);
    ASSERT_EQ(ini.sections.size(), 1u) << ToUtf8(text);
    ASSERT_EQ(ini.sections[0].entries.size(), 1u) << ToUtf8(text);
    EXPECT_EQ(Shown(ini.sections[0].entries[0].value), Shown(c.readBack)) << ToUtf8(text);
}

INSTANTIATE_TEST_SUITE_P(All, IniValueTextTest,
                         ::testing::Values(ValueCase{u"MARTIN", u"MARTIN"},
                                           ValueCase{u"  DE LA TOUR \t", u"DE LA TOUR"},
                                           ValueCase{u"A\r\nB\rC\nD", u"A  B C D"}, ValueCase{u"\n[X]\n", u"[X]"},
                                           ValueCase{u"\"Bob\"", u"\"Bob\""}, ValueCase{u"'x'", u"'x'"},
                                           ValueCase{u"\"", u"\""}, ValueCase{u"\"\"", u"\"\""},
                                           ValueCase{u"a=b;c", u"a=b;c"}, ValueCase{u"x\0y"s, u"x?y"},
                                           ValueCase{u"", u""}));

}  // namespace
}  // namespace vorbel
