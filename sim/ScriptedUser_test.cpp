#include "sim/ScriptedUser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace sealwing::sim {
namespace {

using platform::DialogResult;
using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxRequest;

MessageBoxRequest Box(std::wstring text, MessageBoxButtons buttons) {
    return MessageBoxRequest{0x1234, std::move(text), L"Caption", MessageBoxIcon::Warning, buttons, false};
}

TEST(ScriptedUser, AnswersInOrderThenTakesTheDefaultButtonAndRecordsEverything) {
    ScriptedUser user;
    user.Answer(DialogResult::No);
    user.Answer(DialogResult::Cancel);
    EXPECT_EQ(user.ShowMessageBox(Box(L"first", MessageBoxButtons::YesNo)), DialogResult::No);
    EXPECT_EQ(user.ShowMessageBox(Box(L"second", MessageBoxButtons::OkCancel)), DialogResult::Cancel);
    EXPECT_EQ(user.ShowMessageBox(Box(L"third", MessageBoxButtons::YesNoCancel)), DialogResult::Yes);

    ASSERT_EQ(user.Shown().size(), 3u);
    EXPECT_EQ(user.Shown()[0].request.text, L"first");
    EXPECT_EQ(user.Shown()[0].request.owner, 0x1234u);
    EXPECT_EQ(user.Shown()[0].request.icon, MessageBoxIcon::Warning);
    EXPECT_TRUE(user.Shown()[1].scripted);
    EXPECT_FALSE(user.Shown()[2].scripted);
    EXPECT_EQ(user.Shown()[2].answer, DialogResult::Yes);
    EXPECT_EQ(user.UnscriptedCount(), 1u);
    EXPECT_EQ(user.PendingAnswers(), 0u);
}

TEST(ScriptedUser, TheDefaultButtonOfEachKindOfBox) {
    const struct {
        MessageBoxButtons buttons;
        DialogResult expected;
    } cases[] = {
        {MessageBoxButtons::Ok, DialogResult::Ok},
        {MessageBoxButtons::OkCancel, DialogResult::Ok},
        {MessageBoxButtons::YesNo, DialogResult::Yes},
        {MessageBoxButtons::YesNoCancel, DialogResult::Yes},
    };
    for (const auto& c : cases) {
        ScriptedUser user;
        EXPECT_EQ(user.ShowMessageBox(Box(L"text", c.buttons)), c.expected);
        EXPECT_EQ(user.UnscriptedCount(), 1u);
    }
}

TEST(ScriptedUser, AnAnswerThatIsNoButtonOfTheBoxIsAScriptMistake) {
    ScriptedUser user;
    user.Answer(DialogResult::Yes);
    EXPECT_THROW(user.ShowMessageBox(Box(L"only ok", MessageBoxButtons::Ok)), std::logic_error);
}

TEST(ScriptedUser, EchoPrintsCaptionIconTextAndAnswer) {
    ScriptedUser user;
    std::ostringstream out;
    user.EchoTo(&out);
    user.Answer(DialogResult::No);
    user.ShowMessageBox(Box(L"Sure?", MessageBoxButtons::YesNo));
    user.EchoTo(nullptr);
    user.ShowMessageBox(Box(L"silent", MessageBoxButtons::Ok));
    EXPECT_EQ(out.str(), "[message box] \"Caption\", warning icon\nSure?\n-> No\n");
}

TEST(ScriptedUser, SaveFileDialogsTakeTheQueuedChoicesThenCancelAndAreRecorded) {
    ScriptedUser user;
    std::ostringstream out;
    user.EchoTo(&out);
    user.AnswerSaveFile(L"/home/ann/log.txt");
    user.AnswerSaveFile(std::nullopt);
    const platform::SaveFileRequest request{
        .owner = 0x42, .filterName = L"Text files(*.txt)", .filterPattern = L"*.txt", .defaultExtension = L"txt"};
    EXPECT_EQ(user.ChooseSaveFile(request), std::optional<std::wstring>(L"/home/ann/log.txt"));
    EXPECT_EQ(user.ChooseSaveFile(request), std::nullopt);
    EXPECT_EQ(user.ChooseSaveFile(request), std::nullopt);

    ASSERT_EQ(user.SaveFileDialogs().size(), 3u);
    EXPECT_EQ(user.SaveFileDialogs()[0].request.owner, 0x42u);
    EXPECT_EQ(user.SaveFileDialogs()[0].request.filterPattern, L"*.txt");
    EXPECT_TRUE(user.SaveFileDialogs()[1].scripted);
    EXPECT_FALSE(user.SaveFileDialogs()[2].scripted);
    EXPECT_EQ(user.PendingSaveFileAnswers(), 0u);
    EXPECT_EQ(out.str(),
              "[save file] Text files(*.txt) -> /home/ann/log.txt\n"
              "[save file] Text files(*.txt) -> cancelled\n"
              "[save file] Text files(*.txt) -> cancelled (default)\n");
}

}  // namespace
}  // namespace sealwing::sim
