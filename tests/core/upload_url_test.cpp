#include "net/upload_url.h"

#include <gtest/gtest.h>

#include "text/text.h"

namespace vorbel {
namespace {

TEST(IsHttpsUrl, OnlyTheHttpsSchemeInAnyCase) {
    EXPECT_TRUE(IsHttpsUrl(u"https://depot.example.fr/"));
    EXPECT_TRUE(IsHttpsUrl(u"HTTPS://depot.example.fr"));
    EXPECT_FALSE(IsHttpsUrl(u"ftp://user:pw@depot.example.fr/"));
    EXPECT_FALSE(IsHttpsUrl(u"http://depot.example.fr/"));
    EXPECT_FALSE(IsHttpsUrl(u"https:/"));
    EXPECT_FALSE(IsHttpsUrl(u""));
}

TEST(HttpsUploadObject, TheFileNameGoesIntoTheAddressPath) {
    const struct {
        const char16_t* url;
        const char16_t* file;
        const char16_t* object;
    } cases[] = {
        {u"https://localhost:8443/depot/", u"__20140305141516.csv", u"/depot/__20140305141516.csv"},
        {u"https://localhost/depot", u"a.csv", u"/depot/a.csv"},
        {u"https://localhost", u"a.csv", u"/a.csv"},
        {u"https://user:pw@localhost:8443/", u"a.csv", u"/a.csv"},
        {u"https://localhost/depot/?jeton=abc#ici", u"a.csv", u"/depot/a.csv?jeton=abc"},
        {u"https://localhost?jeton=abc", u"a.csv", u"/a.csv?jeton=abc"},
        // Site names as typed in the settings: blanks, accents and separators are escaped.
        {u"https://localhost/d/", u"Cabinet Lyon_Sèvres/2_20140305141516.csv",
         u"/d/Cabinet%20Lyon_S%C3%A8vres%2F2_20140305141516.csv"},
        {u"https://localhost/d/", u"a?b#c%d.csv", u"/d/a%3Fb%23c%25d.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.url));
        EXPECT_EQ(HttpsUploadObject(c.url, c.file), c.object);
    }
}

}  // namespace
}  // namespace vorbel
