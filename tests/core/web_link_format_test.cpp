#include "handoff/web_link_format.h"

#include <gtest/gtest.h>

#include "net/server_url.h"
#include "text/text.h"

namespace vorbel {
namespace {

const std::string kHeader = "Civilit\xe9;Nom;Pr\xe9nom;Date;Email;Adresse;Ville;Code;Region;Abonn\xe9;Groupe\r\n";

TEST(WebLinkCsv, IsTheDocumentedHundredAndSixBytes) {
    const WebExportPatient p{u"DUPONT", u"Jérôme", u"", CalendarDate{5, 3, 1970}};
    const std::string bytes = ToLatin1(WebLinkCsvText(p));
    EXPECT_EQ(bytes, kHeader + ";DUPONT;J\xe9r\xf4me;05/03/1970;;;;;;;\r\n");
    EXPECT_EQ(bytes.size(), 106u);
}

TEST(WebLinkCsv, DataLineTakesValuesAsTheyAre) {
    const struct {
        WebExportPatient patient;
        std::string line;
    } cases[] = {
        {{u"DUPONT", u"Jean", u"", std::nullopt}, ";DUPONT;Jean;;;;;;;;\r\n"},  // no made-up date
        {{u"A;B", u"C", u"x@y.fr", CalendarDate{31, 12, 2001}}, ";A;B;C;31/12/2001;x@y.fr;;;;;;\r\n"},
        {{u"", u"", u" mail@cabinet.fr ", CalendarDate{1, 1, 900}}, ";;;01/01/0900; mail@cabinet.fr ;;;;;;\r\n"},
        {{u"\"Z\"", u"Éloïse", u"", std::nullopt}, ";\"Z\";\xc9lo\xefse;;;;;;;;\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToLatin1(WebLinkCsvText(c.patient)), kHeader + c.line) << c.line;
    }
}

TEST(ToLatin1, WritesEachCharacterBeyondU00FFAsOneQuestionMark) {
    EXPECT_EQ(ToLatin1(u"ÿ\u0100œuvre €"), "\xff??uvre ?");
    EXPECT_EQ(ToLatin1(u"a\U0001F600b"), "a?b") << "a surrogate pair is one character";
    EXPECT_EQ(ToLatin1(u"a\xd800"
                       u"b\xdc00"),
              "a?b?")
        << "lone halves";
    EXPECT_EQ(ToLatin1(std::u16string(u"\0x", 2)), std::string("\0x", 2));
}

TEST(WebLinkFileName, JoinsSiteNamesAndLocalTime) {
    const LocalDateTime t{{5, 3, 2014}, 14, 15, 16};
    EXPECT_EQ(WebLinkFileName(u"CAB1", u"Lyon", t), u"CAB1_Lyon_20140305141516.csv");
    EXPECT_EQ(WebLinkFileName(u"", u"", t), u"__20140305141516.csv");
    EXPECT_EQ(WebLinkFileName(u"P", u"", {{31, 12, 2001}, 0, 0, 9}), u"P__20011231000009.csv");
}

TEST(FindEncodedAddress, TakesTheValueOfTheModesProperty) {
    const std::string doc =
        "<p><property name=\"produrl\" value=\"K6oq\"/><property name=\"testurl\" value=\"Rw\xe9\"/>";
    EXPECT_EQ(FindEncodedAddress(doc, false), u"K6oq");
    EXPECT_EQ(FindEncodedAddress(doc, true), u"Rwé") << "bytes become the characters of the same value";
}

TEST(FindEncodedAddress, WhatIsNotAnAddressGivesNothing) {
    const std::string open = "<property name=\"produrl\" value=\"";
    const struct {
        const char* what;
        std::string doc;
        bool found;
    } cases[] = {
        {"no property", "<properties/>", false},
        {"other mode only", "<property name=\"testurl\" value=\"K6\"/>", false},
        {"no closing quote", open + "K6oqRw", false},
        {"empty value", open + "\"/>", false},
        {"259 bytes", open + std::string(kMaxEncodedAddress, '6') + "\"", true},
        {"260 bytes", open + std::string(kMaxEncodedAddress + 1, '6') + "\"", false},
        {"zero inside", open + std::string("K6\0q", 4) + "\"", false},
        {"single quotes", "<property name='produrl' value='K6'/>", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindEncodedAddress(c.doc, false).has_value(), c.found) << c.what;
    }
}

}  // namespace
}  // namespace vorbel
