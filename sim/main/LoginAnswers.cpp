#include "sim/main/LoginAnswers.h"

#include <cstdlib>
#include <iostream>
#include <optional>

#include "dialogs/LoginDialogTemplate.h"
#include "platform/posix/Console.h"
#include "sim/DialogScreen.h"
#include "sim/main/Transcript.h"

namespace sealwing::story {
namespace {

// A user who has failed this often stops trying.
constexpr int kMostAttempts = 5;
constexpr const char* kWrongPassword = "battery staple";

int shownDialogs = 0;
int incorrectNotices = 0;
bool gaveUp = false;

struct Login {
    bool interactive = SomeoneAtTheTerminal();
    int attempts = 0;
    bool cancelled = false;
};

// The password typed at this attempt; nothing: the user cancels.
std::optional<std::wstring> PasswordFor(const Login& login, const std::wstring& account) {
    if (!login.interactive) {
        if (login.attempts == 1) {
            std::cout << "  (to show how a refused password is told, the user first types a wrong one: \""
                      << kWrongPassword << "\")\n";
            return platform::WideFromUtf8(kWrongPassword);
        }
        std::cout << "  (the user types the password of " << Utf8(account) << ")\n";
        return platform::WideFromUtf8(kDemoPassword);
    }
    std::cout << "Password for " << Utf8(account) << " (the built-in seed's is \"" << kDemoPassword
              << "\"; an empty line cancels): " << std::flush;
    std::string typed;
    if (!std::getline(std::cin, typed) || typed.empty()) return std::nullopt;
    return platform::WideFromUtf8(typed);
}

void QueueAnswer(sim::ScriptedUser& user, const std::shared_ptr<Login>& login) {
    user.AtDialog(dialogs::kLoginDialogId, [&user, login](sim::DialogScreen& screen) {
        ++shownDialogs;
        ++login->attempts;
        if (screen.Text(dialogs::kLoginPromptId) == dialogs::kPasswordIncorrectText) {
            ++incorrectNotices;
            Step("The login dialog says: \"" + Utf8(dialogs::kPasswordIncorrectText) + "\"");
        }
        // The dialog comes back when the service refuses the password, and may come back after Cancel.
        if (login->attempts < kMostAttempts) QueueAnswer(user, login);
        if (login->cancelled) {
            Step("The login dialog asks again; the user cancels again");
            screen.Press(platform::kDialogCancel);
            return;
        }
        const std::optional<std::wstring> password = PasswordFor(*login, screen.Text(dialogs::kLoginFieldId));
        if (!password) {
            Step("The user gives up and presses Cancel");
            login->cancelled = true;
            gaveUp = true;
            screen.Press(platform::kDialogCancel);
            return;
        }
        screen.Type(dialogs::kPasswordFieldId, *password);
        screen.Press(platform::kDialogOk);
    });
}

}  // namespace

bool SomeoneAtTheTerminal() { return platform::StdinIsInteractive() && std::getenv("CI") == nullptr; }

void AnswerTheLogin(sim::ScriptedUser& user) { QueueAnswer(user, std::make_shared<Login>()); }

void EndTheLogin(sim::ScriptedUser& user) { user.DropDialogScripts(dialogs::kLoginDialogId); }

int LoginDialogsShown() { return shownDialogs; }

int IncorrectPasswordNotices() { return incorrectNotices; }

bool TheUserGaveUp() { return gaveUp; }

}  // namespace sealwing::story
