#pragma once

#include <filesystem>

#include "addin/SealwingAddin.h"
#include "localservice/LocalService.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "sim/SimExplorer.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"
#include "sim/main/Transcript.h"

// The user's day with the add-in, told step by step: each chapter works only through what the user touches in Outlook
// (buttons, ribbon controls, the selection, Reply All and Forward, dialogs) and records the facts it stands on.
namespace sealwing::story {

inline constexpr const wchar_t* kDemoAccount = L"ann@example.com";

struct World {
    sim::SimOutlook& outlook;
    CSealwingAddin& addin;
    localservice::LocalService& service;
    platform::Registry& registry;
    platform::ManualClock& clock;
    outlook::Ref<sim::SimExplorer> mainWindow;
    Facts& facts;
};

// The main window's command bar (2003, 2007) or what Office asked the add-in for (2010).
void ShowTheMainWindowCommands(World& world);
// From the main window's options the user asks for a copy of each secure message in the Sent folder.
void KeepSentCopies(World& world);
// A new message with too many attachments: Send Secure logs in, refuses, and sends once one attachment is gone.
// False when the user gave up at the login dialog: the rest of the story needs the session.
bool ComposeAndSendSecure(World& world);
// A secure notice arrives and the user selects it: the reader page of its message opens over the reading pane.
outlook::Ref<sim::SimMailItem> ReadTheSecureNotice(World& world);
// Reply All and Forward of the notice on display.
void ReplyAllAndForward(World& world, const outlook::Ref<sim::SimMailItem>& notice);
// About, from the main window.
void ShowAbout(World& world);

}  // namespace sealwing::story
