#pragma once

#include <memory>
#include <string>

#include "sim/ScriptedUser.h"

// The user at the add-in's login dialog during one login: every showing of the dialog is answered, the one after a
// refused password too, until the service takes the password, the user gives up, or the attempts run out.
namespace sealwing::story {

// The password the built-in seed gives the demo account.
inline constexpr const char* kDemoPassword = "correct horse";

// Queues the answers. In a terminal (stdin interactive, CI not set) the user types each password at a prompt, and an
// empty line cancels; otherwise the user first types a wrong password, to show how the dialog tells it, then the
// seed's.
void AnswerTheLogin(sim::ScriptedUser& user);
// The login is over: answers no login dialog used are taken back.
void EndTheLogin(sim::ScriptedUser& user);
// Someone types at a terminal: stdin is interactive and CI is not set.
bool SomeoneAtTheTerminal();
// Login dialogs shown since the program started, and how many of them said the password was incorrect.
int LoginDialogsShown();
int IncorrectPasswordNotices();
// The user cancelled a login instead of typing a password.
bool TheUserGaveUp();

}  // namespace sealwing::story
