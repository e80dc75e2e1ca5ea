// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include "handoff/patient_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "handoff/bridge_encoding.h"
#include "handoff/handoff_formats.h"
#include "handoff/template_command_line.h"
#include "handoff/template_target.h"
#include "text/text.h"
#include "tests/core/argv_split.h"

namespace vorbel {
namespace {

using Args = std::vector<std::u16string>;

std::u16string Fill(std::u16string_view text, const TemplateValues& values, ValueEscape escape = ValueEscape::None) {
    const TemplateParse parse = ParsePatientTemplate(text, BridgeFileField::Allowed);
    EXPECT_TRUE(parse.ok()) << ToUtf8(parse.error);
    return FillTemplate(parse.value, values, escape);
}

TemplateValues Unknown() {
    TemplateValues v = SamplePatientValues();
    v.birthDate.reset();
    v.sex.reset();
    return v;
}

// --- Filling ---

struct FillCase {
    std::u16string text;
    std::u16string sample;   // for 4217 MARTIN Hélène, 12/09/1984, F, file C:\p.txt
    std::u16string unknown;  // the same without birth date and sex
};

class TemplateFillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(TemplateFillTest, FieldsFormatsAndBraces) {
    const FillCase& c = GetParam();
    TemplateValues sample = SamplePatientValues();
    sample.bridgeFile = u"C:\\p.txt";
    TemplateValues unknown = Unknown();
    unknown.bridgeFile = sample.bridgeFile;
    EXPECT_EQ(ToUtf8(Fill(c.text, sample)), ToUtf8(c.sample));
    EXPECT_EQ(ToUtf8(Fill(c.text, unknown)), ToUtf8(c.unknown));
}

INSTANTIATE_TEST_SUITE_P(
    All, TemplateFillTest,
    ::testing::Values(FillCase{u"", u"", u""},
                      FillCase{u"{DOSSIER} {NOM}^{PRENOM}", u"4217 MARTIN^Hélène", u"4217 MARTIN^Hélène"},
                      FillCase{u"{NAISSANCE}", u"12/09/1984", u""}, FillCase{u"{NAISSANCE:AAAAMMJJ}", u"19840912", u""},
                      FillCase{u"{NAISSANCE:JJ.MM.AA}", u"12.09.84", u""},
                      FillCase{u"{NAISSANCE:AAAA-MM-JJ JJ}", u"1984-09-12 12", u""}, FillCase{u"{SEXE}", u"F", u""},
                      FillCase{u"{SEXE:HF}", u"F", u""}, FillCase{u"{SEXE:12}", u"2", u""},
                      FillCase{u"@{FICHIER}", u"@C:\\p.txt", u"@C:\\p.txt"},
                      FillCase{u"{{{NOM}}} }}{{", u"{MARTIN} }{", u"{MARTIN} }{"},
                      FillCase{u"[Patient]\r\nId={DOSSIER}\r\n", u"[Patient]\r\nId=4217\r\n",
                               u"[Patient]\r\nId=4217\r\n"}));

TEST(TemplateFill, MaleTakesTheFirstCharacterAndYearsArePadded) {
    TemplateValues v = SamplePatientValues();
    v.sex = 0;
    v.birthDate = CalendarDate{1, 2, 905};
    EXPECT_EQ(Fill(u"{SEXE}{SEXE:HF}{NAISSANCE:AAAA/AA}", v), u"MH0905/05");
}

TEST(TemplateFill, ValuesAreEscapedForXmlOrFileNamesButTheTemplateIsNot) {
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = u"A&B <\"C\">";
    v.patient.chartNumber = u"..";
    EXPECT_EQ(ToUtf8(Fill(u"<n a=\"{NOM}\"/>", v, ValueEscape::Xml)), "<n a=\"A&amp;B &lt;&quot;C&quot;&gt;\"/>");
    v.patient.lastName = u"..\\..\\Windows\\x:y*?|";
    EXPECT_EQ(ToUtf8(Fill(u"C:\\pont\\{NOM}-{DOSSIER}.txt", v, ValueEscape::FileName)),
              "C:\\pont\\.._.._Windows_x_y___-__.txt");
}

TEST(TemplateFill, LineBreaksInAValueBecomeSpacesNeverLinesOfTheFile) {
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = u"MAR\r\nTIN\nX\rY";
    for (const ValueEscape escape : {ValueEscape::None, ValueEscape::Xml}) {
        EXPECT_EQ(ToUtf8(Fill(u"[P]\r\nNom={NOM}\r\n", v, escape)), "[P]\r\nNom=MAR  TIN X Y\r\n");
    }
}

// --- Errors ---

struct ErrorCase {
    std::u16string text;
    BridgeFileField fileField;
    std::u16string message;
};

class TemplateErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(TemplateErrorTest, RefusedWithAFrenchMessageNamingTheBadPart) {
    const ErrorCase& c = GetParam();
    const TemplateParse parse = ParsePatientTemplate(c.text, c.fileField);
    EXPECT_EQ(ToUtf8(parse.error), ToUtf8(c.message));
}

const std::u16string kUnknown =
    u"\u00a0: champ inconnu. Les champs sont {DOSSIER}, {NOM}, {PRENOM}, {NAISSANCE}, "
    u"{SEXE} et {FICHIER}\u00a0; {{ et }} donnent une accolade.";
const std::u16string kBadDate =
    u"\u00a0: format de date invalide. Il se compose de JJ, MM, AAAA ou AA et de "
    u"séparateurs, comme {NAISSANCE:AAAAMMJJ} ou {NAISSANCE:JJ.MM.AA}.";
const std::u16string kBadSex = u"\u00a0: il faut deux caractères, pour homme puis pour femme, comme {SEXE:HF}.";
const std::u16string kOpen = u"\u00a0: accolade ouvrante sans accolade fermante (écrivez {{ pour une accolade).";

std::u16string Q(std::u16string_view s) { return u"«\u00a0" + std::u16string(s) + u"\u00a0»"; }

INSTANTIATE_TEST_SUITE_P(
    All, TemplateErrorTest,
    ::testing::Values(
        ErrorCase{u"/N:{NOM} /A:{AGE}", BridgeFileField::Allowed, Q(u"{AGE}") + kUnknown},
        ErrorCase{u"{nom}", BridgeFileField::Allowed, Q(u"{nom}") + kUnknown},
        ErrorCase{u"{PRÉNOM}", BridgeFileField::Allowed, Q(u"{PRÉNOM}") + kUnknown},
        ErrorCase{u"a {} b", BridgeFileField::Allowed, Q(u"{}") + u"\u00a0: champ vide."},
        ErrorCase{u"/N:{NOM", BridgeFileField::Allowed, Q(u"{NOM") + kOpen},
        ErrorCase{u"{NOM {PRENOM}", BridgeFileField::Allowed, Q(u"{NOM ") + kOpen},
        ErrorCase{u"Id={DOSSIER\r\nNom={NOM}", BridgeFileField::Allowed, Q(u"{DOSSIER") + kOpen},
        ErrorCase{u"a}b", BridgeFileField::Allowed,
                  Q(u"}") + u"\u00a0: accolade fermante sans accolade ouvrante (écrivez }} pour une accolade)."},
        ErrorCase{u"{NAISSANCE:DDMMYYYY}", BridgeFileField::Allowed, Q(u"{NAISSANCE:DDMMYYYY}") + kBadDate},
        ErrorCase{u"{NAISSANCE:JJMMAAA}", BridgeFileField::Allowed, Q(u"{NAISSANCE:JJMMAAA}") + kBadDate},
        ErrorCase{u"{NAISSANCE:}", BridgeFileField::Allowed, Q(u"{NAISSANCE:}") + kBadDate},
        ErrorCase{u"{NAISSANCE:--}", BridgeFileField::Allowed, Q(u"{NAISSANCE:--}") + kBadDate},
        ErrorCase{u"{SEXE:H}", BridgeFileField::Allowed, Q(u"{SEXE:H}") + kBadSex},
        ErrorCase{u"{SEXE:HFX}", BridgeFileField::Allowed, Q(u"{SEXE:HFX}") + kBadSex},
        ErrorCase{u"{NOM:X}", BridgeFileField::Allowed, Q(u"{NOM:X}") + u"\u00a0: ce champ ne prend pas de format."},
        ErrorCase{u"@{FICHIER}", BridgeFileField::NoBridgeFile,
                  Q(u"{FICHIER}") + u"\u00a0: ce champ n'est valable qu'avec un fichier d'échange."},
        ErrorCase{u"C:\\{FICHIER}", BridgeFileField::OwnPath,
                  Q(u"{FICHIER}") + u"\u00a0: le chemin du fichier d'échange ne peut pas se contenir lui-même."}));

TEST(TemplateTargetCheck, NamesTheTemplateAndRefusesContentWithoutPathOrAnUnknownEncoding) {
    TemplateTargetSettings s;
    s.arguments = u"@{FICHIER}";
    EXPECT_EQ(ToUtf8(ParseTemplateTarget(s).error),
              ToUtf8(u"Ligne de commande\u00a0: " + Q(u"{FICHIER}") +
                     u"\u00a0: ce champ n'est valable qu'avec un fichier d'échange."));
    s.bridgePath = u"C:\\pont\\{DOSSIER}.ini";
    EXPECT_TRUE(ParseTemplateTarget(s).ok());
    s.bridgeContent = u"Nom={NOM";
    EXPECT_EQ(ToUtf8(ParseTemplateTarget(s).error),
              ToUtf8(u"Contenu du fichier d'échange\u00a0: " + Q(u"{NOM") + kOpen));
    s.bridgeContent = u"Nom={NOM}";
    s.encoding = 5;
    EXPECT_EQ(ToUtf8(ParseTemplateTarget(s).error), ToUtf8(u"Encodage du fichier d'échange inconnu."));
    s = {};
    s.bridgeContent = u"Nom={NOM}";
    EXPECT_EQ(ToUtf8(ParseTemplateTarget(s).error),
              ToUtf8(u"Contenu du fichier d'échange\u00a0: il est donné sans le chemin du fichier."));
}

// --- Command line ---

struct HostileCase {
    std::u16string value;
};

class HostileArgumentTest : public ::testing::TestWithParam<HostileCase> {};

// The value as every argument must carry it: quotes and what an ANSI program would take for one
// as apostrophes, look-alike backslashes as backslashes.
std::u16string Safe(std::u16string value) {
    for (char16_t& c : value) c = ArgumentSafeCharacter(c);
    return value;
}

// Each value, put as a last name into arguments quoted in every way a template can, reads back
// inside its own argument and nowhere else: by the C runtime's rules, as the program's own text
// or as an ANSI program receives it with best fit.
TEST_P(HostileArgumentTest, AValueNeverChangesTheShapeOfTheCommandLine) {
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = GetParam().value;
    const std::u16string n = Safe(v.patient.lastName);
    const std::u16string program = u"C:\\Program Files\\Img\\img.exe";
    const PatientTemplate t = ParsePatientTemplate(
                                  u"/ID:{DOSSIER} {NOM} /LN:{NOM} \"/N:{NOM}\" /Q:\"{NOM}\" \"{NOM}\\\\\" "
                                  u"x\"y {NOM} z\"w{NOM} {NOM}{PRENOM} \"\" end",
                                  BridgeFileField::Allowed)
                                  .value;
    const std::u16string cmd = BuildTemplateCommandLine(QuotedProgramPath(program, true), t, v);
    const Args expected = {program,       u"/ID:4217", n,         u"/LN:" + n,
                           u"/N:" + n,    u"/Q:" + n,  n + u"\\", u"xy " + n + u" zw" + n,
                           n + u"Hélène", u"",         u"end"};
    EXPECT_EQ(test::SplitWindowsCommandLine(cmd), expected) << ToUtf8(cmd);
    const auto ansi = [](const std::u16string& s) { return test::AsAnsiProgramSeesIt(s, KnownAnsiLookAlike); };
    Args ansiExpected;
    for (const std::u16string& arg : expected) ansiExpected.push_back(ansi(arg));
    EXPECT_EQ(test::SplitWindowsCommandLine(ansi(cmd)), ansiExpected) << ToUtf8(cmd);
}

// ParamStr has no escapes: a value's backslashes before a closing quote arrive doubled there,
// which leaves the argument whole; an empty argument is lost, as it is for every such program.
TEST_P(HostileArgumentTest, AValueStaysInItsArgumentForAProgramWithoutEscapes) {
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = GetParam().value;
    const std::u16string n = Safe(v.patient.lastName);
    const PatientTemplate t =
        ParsePatientTemplate(u"/ID:{DOSSIER} {NOM} /LN:{NOM} \"/N:{NOM}\" /Q:\"{NOM}\" x\"y {NOM} z\"w{NOM} end",
                             BridgeFileField::Allowed)
            .value;
    const std::u16string cmd = BuildTemplateCommandLine(u"C:\\img.exe", t, v);
    const auto withoutBackslashes = [](Args args) {
        for (std::u16string& a : args) a.erase(std::remove(a.begin(), a.end(), u'\\'), a.end());
        return args;
    };
    Args expected = {u"C:img.exe", u"/ID:4217", n, u"/LN:" + n, u"/N:" + n, u"/Q:" + n, u"xy " + n + u" zw" + n,
                     u"end"};
    if (n.empty()) expected.erase(expected.begin() + 2);
    EXPECT_EQ(withoutBackslashes(test::SplitDelphiCommandLine(cmd)), withoutBackslashes(expected)) << ToUtf8(cmd);
}

// Lookalikes a program may fold into the plain characters: \uFF02 the fullwidth quotation mark,
// \uFF3C the fullwidth backslash, \u3000 the ideographic space.
INSTANTIATE_TEST_SUITE_P(All, HostileArgumentTest,
                         ::testing::Values(HostileCase{u"MARTIN"}, HostileCase{u""}, HostileCase{u"DE LA TOUR"},
                                           HostileCase{u"A\" /X \"B"}, HostileCase{u"C:\\tmp\\"},
                                           HostileCase{u"\\\\\""}, HostileCase{u"\""}, HostileCase{u"\"\""},
                                           HostileCase{u"a\\\\b\\\"c"}, HostileCase{u"\t \t"}, HostileCase{u"L1\r\nL2"},
                                           HostileCase{u"\\"}, HostileCase{u"O'Neil & {NOM} %PATH% ^ |"},
                                           HostileCase{u"A\uFF02 -patid 999 \uFF02B"}, HostileCase{u"C:\\tmp\uFF3C"},
                                           HostileCase{u"A” /X “B"}, HostileCase{u"A\u3000-patid\u30009"},
                                           HostileCase{u"A\x01-patid\x1F"
                                                       u"9"},
                                           HostileCase{u"\u00A5\""}));

TEST(TemplateCommandLine, KeepsTheTemplatesQuotesAndQuotesOnlyWhatNeedsIt) {
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = u"DE LA TOUR";
    const auto build = [&](std::u16string_view text) {
        return ToUtf8(BuildTemplateCommandLine(QuotedProgramPath(u"C:\\img.exe", true),
                                               ParsePatientTemplate(text, BridgeFileField::Allowed).value, v));
    };
    EXPECT_EQ(build(u""), "C:\\img.exe");
    EXPECT_EQ(build(u"  -i {DOSSIER}   -n {NOM}^{PRENOM} "), "C:\\img.exe -i 4217 -n \"DE LA TOUR\"^Hélène");
    EXPECT_EQ(build(u"/N:\"{NOM}\" /D:{NAISSANCE:AAAAMMJJ}"), "C:\\img.exe /N:\"DE LA TOUR\" /D:19840912");
    v.birthDate.reset();
    EXPECT_EQ(build(u"/D:{NAISSANCE} {NAISSANCE}"), "C:\\img.exe /D: \"\"");
    v.patient.lastName = std::u16string(u"A\0B", 3);
    EXPECT_EQ(build(u"{NOM}"), "C:\\img.exe A?B") << "a zero would cut the command line";
}

// --- Encodings ---

std::string FakeCodePage(std::u16string_view t) {
    std::string out;
    for (char16_t c : t) out += c < 0x80 ? static_cast<char>(c) : c == u'é' ? '\xe9' : '?';
    return out;
}

struct EncodingCase {
    int encoding;
    std::vector<uint8_t> bytes;
};

class BridgeEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(BridgeEncodingTest, BytesOfEachEncodingAndQuestionMarksForWhatItCannotHold) {
    // é, a character beyond the BMP, half a surrogate pair.
    const std::u16string text = u"é\U0001F600\xD800!";
    const auto oem = [](std::u16string_view t) { return "O" + FakeCodePage(t); };
    const auto bytes = EncodeBridgeText(text, GetParam().encoding, FakeCodePage, oem);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    All, BridgeEncodingTest,
    ::testing::Values(EncodingCase{EncodingUtf8, {0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, '?', '!'}},
                      EncodingCase{EncodingUtf8Bom, {0xEF, 0xBB, 0xBF, 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, '?', '!'}},
                      EncodingCase{EncodingUtf16LeBom,
                                   {0xFF, 0xFE, 0xE9, 0x00, 0x3D, 0xD8, 0x00, 0xDE, '?', 0, '!', 0}},
                      EncodingCase{EncodingAnsi, {0xE9, '?', '?', '?', '!'}},
                      EncodingCase{EncodingOem, {'O', 0xE9, '?', '?', '?', '!'}}));

TEST(BridgeEncoding, AnEncodingOutsideTheListGivesNothing) {
    EXPECT_FALSE(EncodeBridgeText(u"a", 5, FakeCodePage, FakeCodePage).has_value());
    EXPECT_FALSE(EncodeBridgeText(u"a", -1, FakeCodePage, FakeCodePage).has_value());
}

// --- The whole target ---

TEST(TemplateTargetFill, TheBridgeFileNamedOnTheCommandLineIsThePathWrittenTo) {
    TemplateTargetSettings s;
    s.arguments = u"/f @{FICHIER}";
    s.bridgePath = u"C:\\Pont Imagerie\\{NOM}.xml";
    s.bridgeContent = u"<p nom=\"{NOM}\" fichier=\"{FICHIER}\"/>";
    s.xmlEscape = true;
    const TemplateTargetParse parse = ParseTemplateTarget(s);
    ASSERT_TRUE(parse.ok()) << ToUtf8(parse.error);
    TemplateValues v = SamplePatientValues();
    v.patient.lastName = u"A/B&C";
    const TemplateHandOff out = FillTemplateTarget(parse.value, u"C:\\img.exe", v);
    EXPECT_EQ(ToUtf8(out.bridgePath), "C:\\Pont Imagerie\\A_B&C.xml");
    EXPECT_EQ(ToUtf8(out.bridgeContent), "<p nom=\"A/B&amp;C\" fichier=\"C:\\Pont Imagerie\\A_B&amp;C.xml\"/>");
    EXPECT_EQ(ToUtf8(out.commandLine), "C:\\img.exe /f @\"C:\\Pont Imagerie\\A_B&C.xml\"");
}

}  // namespace
}  // namespace vorbel
