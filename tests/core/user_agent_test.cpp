#include "net/user_agent.h"

#include <gtest/gtest.h>

namespace vorbel {
namespace {

UserAgentFields Windows7() {
    UserAgentFields f;
    f.productName = u"Vorbel";
    f.fileVersionMS = 0x00020001;
    f.fileVersionLS = 0x00070000;
    f.nt = true;
    f.major = 6;
    f.minor = 1;
    f.build = 7601;
    f.servicePack = u"Service Pack 1";
    f.productType = 1;
    f.suiteMask = 0x100;
    f.moduleName = u"Vorbel";
    return f;
}

TEST(FormatUserAgent, NamesProgramVersionAndSystem) {
    EXPECT_EQ(FormatUserAgent(Windows7()),
              u"Vorbel/2.1 (Windows NT 6.1 Build 7601 Service Pack 1 0001/100) Vorbel/2.1.7.0 Vorbel");
}

TEST(FormatUserAgent, EmptyFieldsKeepTheirPlaces) {
    UserAgentFields f = Windows7();
    f.servicePack.clear();
    f.nt = false;
    f.suiteMask = 0;
    f.productType = 3;
    f.productName.clear();
    f.fileVersionMS = 0xFFFF000A;
    EXPECT_EQ(FormatUserAgent(f), u"/65535.10 (Windows 6.1 Build 7601  0003/00) Vorbel/65535.10.7.0 Vorbel");
}

TEST(FormatUserAgent, IsCutAt511Units) {
    UserAgentFields f = Windows7();
    f.productName = std::u16string(300, u'P');
    f.moduleName = std::u16string(300, u'M');
    const std::u16string agent = FormatUserAgent(f);
    EXPECT_EQ(agent.size(), 511u);
    EXPECT_EQ(agent.substr(0, 304), std::u16string(300, u'P') + u"/2.1");
}

}  // namespace
}  // namespace vorbel
