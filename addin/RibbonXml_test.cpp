#include "addin/RibbonXml.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Text.h"

namespace sealwing {
namespace {

std::wstring ResourceFile(const char* name) {
    std::ifstream in(std::string(SEALWING_RESOURCES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return platform::WideFromUtf8(bytes.str());
}

TEST(RibbonXmlTest, EachRibbonGetsTheDllsOwnDescriptionAndOthersNone) {
    EXPECT_EQ(RibbonXmlFor(L"Microsoft.Outlook.Mail.Compose"), ResourceFile("RibbonCompose.xml"));
    EXPECT_EQ(RibbonXmlFor(L"Microsoft.Outlook.Explorer"), ResourceFile("RibbonExplorer.xml"));
    EXPECT_NE(RibbonXmlFor(L"Microsoft.Outlook.Mail.Compose").find(L"onAction=\"Sealwing\""), std::wstring::npos);
    for (const wchar_t* other : {L"", L"Microsoft.Outlook.Mail.Read", L"microsoft.outlook.explorer"}) {
        EXPECT_EQ(RibbonXmlFor(other), L"") << platform::Utf8FromWide(other);
    }
}

}  // namespace
}  // namespace sealwing
