#include "dialogs/ImapWarningDialog.h"

#include <gtest/gtest.h>

#include "dialogs/ImapWarningDialogTemplate.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

TEST(ImapWarningDialogTest, TheAnswerIsTheBoxWhetherOkOrEscapeEndsTheWarning) {
    struct Case {
        bool tick;
        bool escape;
    };
    for (const Case c : {Case{true, false}, Case{false, false}, Case{true, true}, Case{false, true}}) {
        SCOPED_TRACE(::testing::Message() << "ticked " << c.tick << ", escape " << c.escape);
        testing::OutlookWorld world(14, testing::LocalServiceUse::None);
        sim::ScriptedUser& user = world.Outlook().User();
        user.AtDialog(kImapWarningDialogId, [&c](sim::DialogScreen& screen) {
            screen.Tick(kImapWarningDontShowId, c.tick);
            if (c.escape) {
                screen.Close();
            } else {
                screen.Press(platform::kDialogOk);
            }
        });

        EXPECT_EQ(CIMAPWarningDlg().Show(0x42), c.tick);

        const sim::ShownDialog& shown = user.Dialogs().at(0);
        EXPECT_EQ(shown.caption, L"Parcelon for Microsoft Outlook");
        EXPECT_EQ(shown.owner, 0x42u);
        EXPECT_FALSE(shown.opened.at(kImapWarningDontShowId).checked);
        EXPECT_EQ(shown.opened.at(kImapWarningDontShowId).text, L"Do not show this warning for this account again");
    }
    EXPECT_EQ(std::wstring(kImapWarningNote),
              L"Note: In certain configurations this option may cause Outlook to hang for several seconds after "
              L"sending a large message.");
}

}  // namespace
}  // namespace sealwing::dialogs
