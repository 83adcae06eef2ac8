#include "compose/SpellCheckGate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "platform/Registry.h"
#include "sim/SimWordDocument.h"
#include "tests/OutlookWorld.h"

namespace sealwing::compose {
namespace {

constexpr const wchar_t* kQuestion = L"Spell checking has been complete. Proceed with sending message?";

std::wstring SpellingKey(int version) {
    return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook\\Options\\Spelling";
}

// What the user stored for "Check": nothing (no key), a number, or a text where Outlook keeps a number.
using Stored = std::variant<std::monostate, std::uint32_t, std::wstring>;

struct GateCase {
    const char* name;
    int version;
    Stored check;
    bool wordEditsMailIn2003;
    platform::DialogResult answer;
    bool passes;
    std::size_t spellingChecks;
    const char* logLine;  // nullptr: none of the gate's own lines
};

class SpellCheckGateTest : public ::testing::TestWithParam<GateCase> {
protected:
    SpellCheckGateTest()
        : world_(sim::SimOptions{.majorVersion = GetParam().version,
                                 .wordEditsMailIn2003 = GetParam().wordEditsMailIn2003},
                 testing::LocalServiceUse::None) {
        diagnostics::OpenThreadLog(L"Main");
        inspector_ = world_.Outlook().OpenInspector(world_.Outlook().CreateMailItem());
    }

    void Store(const Stored& check) {
        auto& registry = platform::TheRegistry();
        const std::wstring key = SpellingKey(GetParam().version);
        if (std::holds_alternative<std::monostate>(check)) return;
        ASSERT_TRUE(registry.CreateKey(key));
        if (const auto* number = std::get_if<std::uint32_t>(&check)) {
            ASSERT_TRUE(registry.WriteDword(key, L"Check", *number));
        }
        if (const auto* text = std::get_if<std::wstring>(&check)) {
            ASSERT_TRUE(registry.WriteString(key, L"Check", *text));
        }
    }

    testing::OutlookWorld world_;
    outlook::Ref<sim::SimInspector> inspector_;
};

TEST_P(SpellCheckGateTest, HonoursOutlooksSettingAndTheUsersAnswer) {
    const GateCase& c = GetParam();
    Store(c.check);
    world_.Outlook().User().Answer(c.answer);
    const platform::WindowHandle owner = inspector_->FrameWindow();

    EXPECT_EQ(PassSpellCheckGate(c.version, owner, *inspector_), c.passes);

    EXPECT_EQ(inspector_->Document()->SpellingChecks(), c.spellingChecks);
    const auto& shown = world_.Outlook().User().Shown();
    if (c.spellingChecks == 0) {
        EXPECT_TRUE(shown.empty()) << "no question without a spelling check";
    } else {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].request.text, kQuestion);
        EXPECT_EQ(shown[0].request.caption, L"Parcelon for Microsoft Outlook");
        EXPECT_EQ(shown[0].request.icon, platform::MessageBoxIcon::Question);
        EXPECT_EQ(shown[0].request.buttons, platform::MessageBoxButtons::YesNo);
        EXPECT_EQ(shown[0].request.owner, owner);
        EXPECT_FALSE(shown[0].request.taskModal);
    }
    const std::string log = world_.LogFile("Main");
    for (const char* line : {"Failed to open spelling registry key\n", "Failed to query spelling registry key\n",
                             "Failed to retrieve Word Document for spelling\n"}) {
        const bool expected = c.logLine != nullptr && std::string(c.logLine) == line;
        EXPECT_EQ(log.find(line) != std::string::npos, expected) << line << log;
    }
    const auto* number = std::get_if<std::uint32_t>(&c.check);
    const bool inEffect = number != nullptr && *number != 0;
    EXPECT_EQ(log.find("Spell check in effect") != std::string::npos, inEffect) << log;
}

using platform::DialogResult;
INSTANTIATE_TEST_SUITE_P(
    Settings, SpellCheckGateTest,
    ::testing::Values(GateCase{"NoSetting", 14, Stored{}, false, DialogResult::Yes, true, 0,
                               "Failed to open spelling registry key\n"},
                      GateCase{"SwitchedOff", 14, Stored{0u}, false, DialogResult::Yes, true, 0, nullptr},
                      GateCase{"StoredAsText", 14, Stored{std::wstring(L"1")}, false, DialogResult::No, true, 0,
                               "Failed to query spelling registry key\n"},
                      GateCase{"UserSends", 14, Stored{1u}, false, DialogResult::Yes, true, 1, nullptr},
                      GateCase{"UserStops", 12, Stored{1u}, false, DialogResult::No, false, 1, nullptr},
                      GateCase{"OwnEditorOf2003", 11, Stored{1u}, false, DialogResult::No, true, 0,
                               "Failed to retrieve Word Document for spelling\n"},
                      GateCase{"WordEditsMailIn2003", 11, Stored{1u}, true, DialogResult::No, false, 1, nullptr}),
    [](const ::testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

class SpellCheckGateOnceTest : public ::testing::Test {
protected:
    SpellCheckGateOnceTest() {
        diagnostics::OpenThreadLog(L"Main");
        inspector_ = world_.Outlook().OpenInspector(world_.Outlook().CreateMailItem());
        platform::TheRegistry().CreateKey(SpellingKey(14));
        platform::TheRegistry().WriteDword(SpellingKey(14), L"Check", 1);
    }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
    outlook::Ref<sim::SimInspector> inspector_;
};

// The spelling check's own failure is Send Secure's to report; the user is not asked.
TEST_F(SpellCheckGateOnceTest, AFailingSpellingCheckGoesToTheCaller) {
    world_.Outlook().FailMember(L"Document.CheckSpelling", static_cast<outlook::HResult>(0x800A1066),
                                L"Command failed");
    EXPECT_THROW(PassSpellCheckGate(14, inspector_->FrameWindow(), *inspector_), outlook::ComError);
    EXPECT_TRUE(world_.Outlook().User().Shown().empty());
}

TEST_F(SpellCheckGateOnceTest, WithoutAnOwnerTheQuestionHoldsTheWholeThread) {
    EXPECT_TRUE(PassSpellCheckGate(14, platform::kNoWindow, *inspector_));
    ASSERT_EQ(world_.Outlook().User().Shown().size(), 1u);
    EXPECT_TRUE(world_.Outlook().User().Shown()[0].request.taskModal);
}

TEST_F(SpellCheckGateOnceTest, AnOutlookWithoutItsOwnKeyIsNotChecked) {
    EXPECT_TRUE(PassSpellCheckGate(15, inspector_->FrameWindow(), *inspector_));
    EXPECT_EQ(inspector_->Document()->SpellingChecks(), 0u);
}

}  // namespace
}  // namespace sealwing::compose
