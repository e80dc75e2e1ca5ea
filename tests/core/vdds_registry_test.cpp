#include "handoff/vdds_registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "text/text.h"

namespace vorbel {

void PrintTo(const VddsProgram& p, std::ostream* os) {
    *os << "{" << ToUtf8(p.section) << "|" << ToUtf8(p.name) << "|" << ToUtf8(p.patDatImport) << "|"
        << ToUtf8(p.version) << "}";
}

namespace {

using namespace std::string_literals;

// A registry as other programs left it: a comment, blank lines, blanks around "=", any case.
const std::string kRegistry =
    "; VDDS-media\r\n[PVS]\r\nNAME1=DENTO\r\n\r\n[BVS]\r\nNAME1 = IMAGO\r\nNAME2=RADIOVIEW\r\n\r\n[DENTO]\r\n"
    "NAME=Dento Praxis\r\n[IMAGO]\r\nNAME=Imago R\xf6ntgen\r\nVERSION=4.2\r\n"
    "PATDATIMPORT=\"C:\\Program Files\\Imago\\import.exe\"\r\nPATDATIMPORT_OS=1\r\n[RADIOVIEW]\r\nname=RadioView\r\n"
    "PATDATIMPORT=C:\\RV\\rv.exe\r\n";

const IniEntries kVorbel = {{u"NAME", u"Vorbel"},
                            {u"VERSION", u"1.0.0"},
                            {u"PATDATIMPORT", u"C:\\Program Files\\Vorbel\\Vorbel.exe"},
                            {u"PATDATIMPORT_OS", u"1"}};

const std::string kRegistryWithVorbel =
    "; VDDS-media\r\n[PVS]\r\nNAME1=DENTO\r\n\r\n[BVS]\r\nNAME1 = IMAGO\r\nNAME2=RADIOVIEW\r\nNAME3=VORBEL\r\n\r\n"
    "[DENTO]\r\nNAME=Dento Praxis\r\n[IMAGO]\r\nNAME=Imago R\xf6ntgen\r\nVERSION=4.2\r\n"
    "PATDATIMPORT=\"C:\\Program Files\\Imago\\import.exe\"\r\nPATDATIMPORT_OS=1\r\n[RADIOVIEW]\r\nname=RadioView\r\n"
    "PATDATIMPORT=C:\\RV\\rv.exe\r\n[VORBEL]\r\nNAME=Vorbel\r\nVERSION=1.0.0\r\n"
    "PATDATIMPORT=C:\\Program Files\\Vorbel\\Vorbel.exe\r\nPATDATIMPORT_OS=1\r\n";

struct ListCase {
    const char* what;
    std::string registry;
    std::optional<std::vector<VddsProgram>> programs;  // nullopt: unreadable
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.what; }

class ListVddsImagingProgramsTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListVddsImagingProgramsTest, ListsEachRegisteredSectionOnceInNumberOrder) {
    EXPECT_EQ(ListVddsImagingPrograms(GetParam().registry), GetParam().programs);
}

INSTANTIATE_TEST_SUITE_P(
    All, ListVddsImagingProgramsTest,
    ::testing::Values(
        ListCase{"as other programs left it", kRegistry,
                 std::vector<VddsProgram>{{u"IMAGO", u"Imago Röntgen", u"C:\\Program Files\\Imago\\import.exe", u"4.2"},
                                          {u"RADIOVIEW", u"RadioView", u"C:\\RV\\rv.exe", u""}}},
        ListCase{"numbers out of order, shadowed, missing, malformed or empty",
                 "[BVS]\nNAME2=SECOND\nNAME1=FIRST\nname2=SHADOWED\nNAME5=NO SECTION\nNAME06=ZERO\nNAMEX=LETTER\n"
                 "NAME=NONE\nNAME7=\nNAME9=first\nCOUNT=3\n[FIRST]\nNAME=First\n[SECOND]\nNAME=Second\n"
                 "[SHADOWED]\nNAME=Shadowed\n[ZERO]\nNAME=Zero\n",
                 std::vector<VddsProgram>{
                     {u"FIRST", u"First", u"", u""}, {u"SECOND", u"Second", u"", u""}, {u"NO SECTION", u"", u"", u""}}},
        ListCase{"written in UTF-8", "\xef\xbb\xbf[BVS]\r\nNAME1=IMAGO\r\n[IMAGO]\r\nNAME=Imago R\xc3\xb6ntgen\r\n",
                 std::vector<VddsProgram>{{u"IMAGO", u"Imago Röntgen", u"", u""}}},
        ListCase{"no imaging program", "[PVS]\r\nNAME1=DENTO\r\n", std::vector<VddsProgram>{}},
        ListCase{"empty", "", std::vector<VddsProgram>{}}, ListCase{"no INI", "NAME1=IMAGO\r\n[BVS]\r\n", std::nullopt},
        ListCase{"binary", "[BVS]\r\nNAME1=IMAGO\0\r\n"s, std::nullopt}));

enum class Change { Register, Unregister };

struct ChangeCase {
    const char* what;
    std::string before;
    Change change;
    std::optional<std::string> after;  // the whole file; nullopt: left alone
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.what; }

class VddsRegistrationTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(VddsRegistrationTest, KeepsEveryOtherByte) {
    const ChangeCase& c = GetParam();
    const std::optional<std::string> after = c.change == Change::Register
                                                 ? RegisterVddsImagingProgram(c.before, u"VORBEL", kVorbel)
                                                 : UnregisterVddsImagingProgram(c.before, u"VORBEL");
    EXPECT_EQ(after, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Register, VddsRegistrationTest,
    ::testing::Values(
        ChangeCase{"beside other programs", kRegistry, Change::Register, kRegistryWithVorbel},
        ChangeCase{"at the first number without an entry", "[BVS]\nNAME1=A\nNAME3=C\n", Change::Register,
                   "[BVS]\nNAME1=A\nNAME3=C\nNAME2=VORBEL\n[VORBEL]\nNAME=Vorbel\nVERSION=1.0.0\n"
                   "PATDATIMPORT=C:\\Program Files\\Vorbel\\Vorbel.exe\nPATDATIMPORT_OS=1\n"},
        ChangeCase{"again: its own entries in place, no second number",
                   "[BVS]\r\nNAME1=vorbel\r\n[Vorbel]\r\nNAME=Vorbel\r\nPATDATIMPORT=C:\\old\\Vorbel.exe\r\n"
                   "PATDATIMPORT_OS=1\r\nVERSION=0.9\r\nSTAGES=1\r\n",
                   Change::Register,
                   "[BVS]\r\nNAME1=vorbel\r\n[Vorbel]\r\nNAME=Vorbel\r\n"
                   "PATDATIMPORT=C:\\Program Files\\Vorbel\\Vorbel.exe\r\nPATDATIMPORT_OS=1\r\nVERSION=1.0.0\r\n"
                   "STAGES=1\r\n"},
        ChangeCase{"into a registry without [BVS]", "[PVS]\nNAME1=DENTO", Change::Register,
                   "[PVS]\nNAME1=DENTO\n[BVS]\nNAME1=VORBEL\n[VORBEL]\nNAME=Vorbel\nVERSION=1.0.0\n"
                   "PATDATIMPORT=C:\\Program Files\\Vorbel\\Vorbel.exe\nPATDATIMPORT_OS=1\n"},
        ChangeCase{"into nothing", "", Change::Register,
                   "[BVS]\r\nNAME1=VORBEL\r\n[VORBEL]\r\nNAME=Vorbel\r\nVERSION=1.0.0\r\n"
                   "PATDATIMPORT=C:\\Program Files\\Vorbel\\Vorbel.exe\r\nPATDATIMPORT_OS=1\r\n"},
        ChangeCase{"never into another kind of file", "NAME1=A\r\n[BVS]\r\n", Change::Register, std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Unregister, VddsRegistrationTest,
    ::testing::Values(
        ChangeCase{"gives back the registry it was added to", kRegistryWithVorbel, Change::Unregister, kRegistry},
        ChangeCase{"its lines only, another program of the same number stays",
                   "[BVS]\nNAME1=A\nname2 = Vorbel\nNAME2=B\nNAME4=VORBEL\n[VORBEL]\nNAME=Vorbel\n[A]\nNAME=a\n",
                   Change::Unregister, "[BVS]\nNAME1=A\nNAME2=B\n[A]\nNAME=a\n"},
        ChangeCase{"not registered: nothing changes", kRegistry, Change::Unregister, kRegistry},
        ChangeCase{"never from another kind of file", "\0[BVS]\r\nNAME1=VORBEL\r\n"s, Change::Unregister,
                   std::nullopt}));

}  // namespace
}  // namespace vorbel
