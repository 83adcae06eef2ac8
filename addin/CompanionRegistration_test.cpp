#include "addin/CompanionRegistration.h"

#include <gtest/gtest.h>

namespace sealwing::registrar {
namespace {

TEST(CompanionRegistrationTest, TheCompanionIsRegisteredWhereThisDllIs) {
    const std::wstring path = L"C:\\Users\\ann\\AppData\\Local\\Parcelon\\Sealwing_x64.dll";
    struct Case {
        bool unregister;
        bool perUser;
        std::wstring parameters;
    };
    const Case cases[] = {
        {false, false, L"/s \"" + path + L"\""},
        {true, false, L"/s /u \"" + path + L"\""},
        {false, true, L"/s /n /i:user \"" + path + L"\""},
        {true, true, L"/s /u /n /i:user \"" + path + L"\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompanionRegsvrParameters(path, c.unregister, c.perUser), c.parameters)
            << "unregister " << c.unregister << ", per user " << c.perUser;
    }
}

}  // namespace
}  // namespace sealwing::registrar
