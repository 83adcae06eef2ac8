// The settings store on Windows' own registry: the values land under the current user's hive as the registry keeps
// them, and the registry's rule that names ignore case holds.

#include "platform/win32/Win32Headers.h"
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "addin/ProcessState.h"
#include "platform/Http.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Registry.h"
#include "settings/SettingsStore.h"

namespace sealwing::settings {
namespace {

// No service is reachable from this test: every request fails as a refused connection does.
class UnreachableService final : public platform::Http {
public:
    platform::HttpProxySettings UserProxySettings() override { return {}; }
    platform::HttpReply Get(const platform::HttpTarget&, const platform::HttpCredentials&,
                            const platform::HttpProgress&, platform::Event*) override {
        return {.error = platform::kHttpCannotConnect};
    }
    platform::HttpReply Post(const platform::HttpTarget&, std::string_view, std::string_view,
                             const platform::HttpCredentials&, platform::Event*) override {
        return {.error = platform::kHttpCannotConnect};
    }
    platform::HttpReply PostForm(const platform::HttpTarget&, const std::vector<platform::HttpFormPart>&,
                                 const platform::HttpCredentials&, platform::Event*) override {
        return {.error = platform::kHttpCannotConnect};
    }
};

class SettingsStoreOnWindowsTest : public ::testing::Test {
protected:
    SettingsStoreOnWindowsTest() : platform_(platform::Platform{.http = &http_, .registry = &registry_}) {
        registry_.DeleteKey(L"Software\\Parcelon");
        ResetProcessState();
    }
    ~SettingsStoreOnWindowsTest() override {
        ResetProcessState();
        registry_.DeleteKey(L"Software\\Parcelon");
    }

    // The value's type, size and bytes as the registry itself keeps them.
    struct RawValue {
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
    };
    static std::optional<RawValue> Raw(const wchar_t* key, const wchar_t* name) {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
        RawValue value;
        DWORD size = 0;
        LSTATUS status = ::RegQueryValueExW(opened, name, nullptr, &value.type, nullptr, &size);
        value.bytes.resize(size);
        if (status == ERROR_SUCCESS) {
            status = ::RegQueryValueExW(opened, name, nullptr, &value.type, value.bytes.data(), &size);
        }
        ::RegCloseKey(opened);
        if (status != ERROR_SUCCESS) return std::nullopt;
        return value;
    }
    static DWORD RawDword(const wchar_t* key, const wchar_t* name) {
        const std::optional<RawValue> value = Raw(key, name);
        if (!value || value->type != REG_DWORD || value->bytes.size() != 4) return 0xDEADBEEF;
        DWORD number = 0;
        std::memcpy(&number, value->bytes.data(), 4);
        return number;
    }

    platform::Win32Registry registry_;
    UnreachableService http_;
    platform::ScopedPlatform platform_;
};

TEST_F(SettingsStoreOnWindowsTest, AccountSettingsAndTheFlagLandInTheCurrentUsersHive) {
    AccountSettings& record = SettingsStore::Instance().SettingsFor(L"Ann@Example.com");
    EXPECT_EQ(record.destruct, 7);  // the service cannot be asked: as a free account
    record.place = 1;
    record.dirty = true;
    SettingsStore::Instance().WriteSettings(record);
    SettingsStore::Instance().SetSuppressUnregisteredWarnings();

    const wchar_t* key = L"Software\\Parcelon\\Outlook addin\\Ann@Example.com";
    EXPECT_EQ(RawDword(key, L"Alert"), 0u);
    EXPECT_EQ(RawDword(key, L"Place"), 1u);
    EXPECT_EQ(RawDword(key, L"Destruct"), 7u);
    EXPECT_EQ(RawDword(key, L"IMAPWarning"), 1u);
    EXPECT_EQ(RawDword(L"Software\\Parcelon\\Outlook addin", L"SupressUnregWarnings"), 1u);

    // Another letter case of the address names the same key.
    SettingsStore::Instance().ResetForTests();
    EXPECT_EQ(SettingsStore::Instance().SettingsFor(L"ann@example.com").place, 1);
}

TEST_F(SettingsStoreOnWindowsTest, AMappingIsAStringValueWithItsTerminatingNul) {
    SettingsStore::Instance().SetMappedAddress(L"/o=Org/cn=ann", L"ann@example.com");
    const auto raw = Raw(L"Software\\Parcelon\\Outlook addin\\AccountMapping", L"/O=ORG/CN=ANN");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes.size(), 2u * (15 + 1));
    SettingsStore::Instance().ResetForTests();
    EXPECT_EQ(SettingsStore::Instance().MappedAddress(L"/O=org/CN=Ann"), L"ann@example.com");
}

}  // namespace
}  // namespace sealwing::settings
