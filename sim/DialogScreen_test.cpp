#include "sim/DialogScreen.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <thread>

#include "platform/Text.h"
#include "sim/ScriptedUser.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

using platform::ControlKind;

constexpr int kField = 10;
constexpr int kHidden = 11;
constexpr int kProgress = 12;
constexpr int kChoices = 13;
constexpr int kLink = 14;
constexpr int kDone = 0x402;  // what a worker posts last

constexpr std::array<platform::ControlTemplate, 7> kControls = {{
    {kField, ControlKind::Edit, L"initial"},
    {kHidden, ControlKind::Button, L"Hidden"},
    {kProgress, ControlKind::Progress, L""},
    {kChoices, ControlKind::ComboBox, L""},
    {kLink, ControlKind::Link, L"see <a href=\"https://localhost/x\">here</a>"},
    {platform::kDialogOk, ControlKind::DefaultButton, L"OK"},
    {platform::kDialogCancel, ControlKind::Button, L"Cancel"},
}};
constexpr platform::DialogTemplate kTemplate{
    .id = 300, .caption = L"Test", .width = 100, .height = 50, .controls = kControls};

// A dialog whose worker posts progress, then the end; records what reached it.
class ProbeDialog : public platform::Dialog {
public:
    const platform::DialogTemplate& Template() const override { return kTemplate; }
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override {
        view.SetVisible(kHidden, false);
        view.SetChoices(kChoices, {L"one", L"two"});
        view.Choose(kChoices, 0);
        mailbox_ = mailbox;
    }
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override {
        commands.push_back(controlId);
        if (controlId == platform::kDialogOk) typed = view.Text(kField);
        return controlId == platform::kDialogOk ? std::optional<int>(platform::kDialogOk) : std::nullopt;
    }
    std::optional<int> OnClose(platform::DialogView&) override {
        ++closes;
        return refuseClose ? std::nullopt : std::optional<int>(platform::kDialogCancel);
    }
    void OnLink(platform::DialogView&, int, std::wstring_view address) override { links.emplace_back(address); }
    std::optional<int> OnPosted(platform::DialogView& view, int message, std::intptr_t value) override {
        if (message == kDone) return static_cast<int>(value);
        view.SetProgress(kProgress, view.Chosen(kChoices) + static_cast<std::uint32_t>(value));
        ++posts;
        return std::nullopt;
    }

    std::shared_ptr<platform::DialogMailbox> mailbox_;
    std::vector<int> commands;
    std::vector<std::wstring> links;
    std::wstring typed;
    int closes = 0;
    int posts = 0;
    bool refuseClose = false;
};

TEST(DialogScreen, TheUsersActsReachTheBehaviourAsWindowsDeliversThem) {
    WindowTree windows;
    ScriptedUser user(&windows);
    ProbeDialog dialog;
    platform::WindowHandle seen = platform::kNoWindow;
    user.AtDialog(300, [&](DialogScreen& screen) {
        seen = screen.Window();
        EXPECT_TRUE(windows.IsWindow(seen));
        EXPECT_EQ(screen.Text(kField), L"initial");
        EXPECT_THROW(screen.Press(kHidden), std::logic_error);
        screen.Pick(kChoices, 1);
        screen.ClickLink(kLink, L"https://localhost/x");
        EXPECT_THROW(screen.ClickLink(kLink, L"https://elsewhere/"), std::logic_error);
        screen.Type(kField, L"typed");
        screen.Press(platform::kDialogOk);
    });

    EXPECT_EQ(user.RunDialog(dialog, 0x77), platform::kDialogOk);

    EXPECT_FALSE(windows.IsWindow(seen));
    EXPECT_EQ(dialog.commands, (std::vector<int>{kChoices, platform::kDialogOk}));
    EXPECT_EQ(dialog.links, std::vector<std::wstring>{L"https://localhost/x"});
    EXPECT_EQ(dialog.typed, L"typed");
    ASSERT_EQ(user.Dialogs().size(), 1u);
    const ShownDialog& shown = user.Dialogs()[0];
    EXPECT_EQ(shown.owner, 0x77u);
    EXPECT_FALSE(shown.opened.at(kHidden).visible);
    EXPECT_EQ(shown.opened.at(kChoices).chosen, 0);
    EXPECT_EQ(shown.opened.at(kField).text, L"initial");
    EXPECT_EQ(shown.result, platform::kDialogOk);
}

// A link control's links as SysLink reads its markup: in order, with the tag's letters in any case and either quote.
TEST(DialogScreen, LinksAreClickedByTheirPlaceInTheMarkup) {
    struct Case {
        const wchar_t* markup;
        std::vector<std::wstring> addresses;
    };
    const std::vector<Case> cases = {
        {L"no links <b>here</b>", {}},
        {L"<a href=\"https://a/\">a</a> then <A HREF='http://b/'>b</A>", {L"https://a/", L"http://b/"}},
        {L"<a>bare</a> <a id=\"x\" href=\"https://c/\">c</a>", {L"", L"https://c/"}},
        {L"<abbr>not a link</abbr> <a href=\"https://d/\"", {}},
    };
    for (const Case& c : cases) {
        ScriptedUser user;
        ProbeDialog dialog;
        user.AtDialog(300, [&](DialogScreen& screen) {
            screen.SetText(kLink, c.markup);
            EXPECT_EQ(screen.LinkAddresses(kLink), c.addresses);
            for (std::size_t index = 0; index < c.addresses.size(); ++index) screen.ClickNthLink(kLink, index);
            EXPECT_THROW(screen.ClickNthLink(kLink, c.addresses.size()), std::logic_error);
            screen.Press(platform::kDialogOk);
        });
        user.RunDialog(dialog, platform::kNoWindow);
        EXPECT_EQ(dialog.links, c.addresses) << platform::Utf8FromWide(c.markup);
    }
}

TEST(DialogScreen, AWorkersPostsArriveInOrderAndThoseAfterTheEndAreDropped) {
    ScriptedUser user;
    ProbeDialog dialog;
    std::thread worker;
    user.AtDialog(300, [&](DialogScreen& screen) {
        worker = std::thread([mailbox = dialog.mailbox_] {
            mailbox->Post(0x400, 5);
            mailbox->Post(0x400, 7);
            mailbox->Post(kDone, 1);
        });
        screen.RunUntilEnded();
        EXPECT_EQ(screen.Control(kProgress).progress, 7u);
    });
    EXPECT_EQ(user.RunDialog(dialog, platform::kNoWindow), 1);
    worker.join();
    EXPECT_EQ(dialog.posts, 2);
    dialog.mailbox_->Post(0x400, 1);  // the dialog has gone: nothing happens
    EXPECT_EQ(dialog.posts, 2);
}

TEST(DialogScreen, ScriptMistakesAreReportedInsteadOfHanging) {
    ScriptedUser user;
    ProbeDialog dialog;
    user.AtDialog(999, [](DialogScreen&) {});
    EXPECT_THROW(user.RunDialog(dialog, platform::kNoWindow), std::logic_error);

    ScriptedUser forgetful;
    forgetful.AtDialog(300, [](DialogScreen& screen) { screen.Type(kField, L"x"); });
    EXPECT_THROW(forgetful.RunDialog(dialog, platform::kNoWindow), std::logic_error);

    // Nobody scripted it: the user closes it; a dialog that refuses closing is left open, which is a mistake too.
    ScriptedUser absent;
    EXPECT_EQ(absent.RunDialog(dialog, platform::kNoWindow), platform::kDialogCancel);
    EXPECT_FALSE(absent.Dialogs().back().scripted);
    dialog.refuseClose = true;
    EXPECT_THROW(absent.RunDialog(dialog, platform::kNoWindow), std::logic_error);
}

TEST(DialogScreen, AScriptThatQueuesItselfAnswersEachShowingUntilDropped) {
    ScriptedUser user;
    ProbeDialog dialog;
    int answered = 0;
    std::function<void(DialogScreen&)> again = [&](DialogScreen& screen) {
        ++answered;
        user.AtDialog(300, again);
        screen.Press(platform::kDialogOk);
    };
    user.AtDialog(300, again);
    user.AtDialog(999, [](DialogScreen& screen) { screen.Close(); });

    EXPECT_EQ(user.RunDialog(dialog, platform::kNoWindow), platform::kDialogOk);
    EXPECT_EQ(user.DropDialogScripts(300), 1U) << "the copy it queued for a second showing";
    EXPECT_EQ(user.PendingDialogScripts(), 1U) << "another dialog's script stays";
    EXPECT_EQ(user.DropDialogScripts(300), 0U);
    EXPECT_EQ(answered, 1);
}

}  // namespace
}  // namespace sealwing::sim
