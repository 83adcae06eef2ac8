#include "addin/AddinVersion.h"

#include <gtest/gtest.h>

#include "addin/SealwingAddin.h"
#include "outlook/OutlookVersion.h"

namespace sealwing {
namespace {

TEST(AddinVersionTest, BuiltInTextGivesOnePointThirtyEight) {
    EXPECT_EQ(TheAddinVersion().major, 1);
    EXPECT_EQ(TheAddinVersion().minor, 38);
}

TEST(AddinVersionTest, ParsesTheVersionElementAndDefaultsToZero) {
    struct Case {
        const char* text;
        int major;
        int minor;
    };
    for (const auto& c :
         {Case{"<plugin><version>2.5</version></plugin>", 2, 5}, Case{"<plugin><version>3</version></plugin>", 3, 0},
          Case{"<plugin></plugin>", 0, 0}, Case{"<version>x.1</version>", 0, 0}}) {
        const auto version = ParseAddinVersion(c.text);
        EXPECT_EQ(version.major, c.major) << c.text;
        EXPECT_EQ(version.minor, c.minor) << c.text;
    }
}

TEST(AddinVersionTest, OutlookMajorVersionIsTheLeadingNumber) {
    EXPECT_EQ(outlook::MajorVersionOf(L"12.0.0.6423"), 12);
    EXPECT_EQ(outlook::MajorVersionOf(L"14.0.0.4760"), 14);
    EXPECT_EQ(outlook::MajorVersionOf(L"11"), 11);
    EXPECT_EQ(outlook::MajorVersionOf(L""), 0);
    EXPECT_EQ(outlook::MajorVersionOf(L"beta"), 0);
}

}  // namespace
}  // namespace sealwing
