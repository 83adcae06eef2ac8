#include "addin/SealwingAddin.h"

#include <algorithm>

#include "addin/ExplorerCommandBar.h"
#include "addin/LogHeaderGathering.h"
#include "addin/MainWindowOptions.h"
#include "addin/ProcessState.h"
#include "addin/RibbonXml.h"
#include "addin/VersionCheck.h"
#include "compose/InspectorExtension.h"
#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ErrorDialog.h"
#include "dialogs/LoginDialog.h"
#include "mailstore/OutlookAccounts.h"
#include "mailstore/OutlookActions.h"
#include "outlook/OutlookVersion.h"
#include "platform/EntryGuard.h"
#include "platform/Graphics.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/UserInterface.h"
#include "reading/ExplorerExtension.h"
#include "reading/ResponseProcessing.h"
#include "service/ServiceOperations.h"
#include "service/SessionManager.h"
#include "settings/PasswordCache.h"
#include "settings/PasswordStorage.h"
#include "settings/SettingsStore.h"

namespace sealwing {
namespace {

template <class Extension>
void EraseExtension(std::vector<std::unique_ptr<Extension>>& extensions, Extension* extension) {
    const auto found = std::find_if(extensions.begin(), extensions.end(),
                                    [extension](const auto& owned) { return owned.get() == extension; });
    if (found == extensions.end()) return;
    // Out of the list first, then destroyed: its destructor may reach back into the add-in.
    auto owned = std::move(*found);
    extensions.erase(found);
}

}  // namespace

CSealwingAddin::CSealwingAddin() = default;

CSealwingAddin::~CSealwingAddin() {
    ReleaseEverything();
    ConnectedAddin& connected = TheConnectedAddin();
    if (connected.addin == this) connected.addin = nullptr;
    if (connected.forAbout == this) connected.forAbout = nullptr;
}

outlook::HResult CSealwingAddin::OnConnection(const outlook::Ref<outlook::Object>& host, outlook::ConnectMode) {
    platform::AssertUiThread(__func__);
    TheConnectedAddin().addin = this;

    application_ = std::dynamic_pointer_cast<outlook::Application>(host);
    if (application_ == nullptr) return outlook::hr::S_Ok;  // not Outlook: nothing to serve
    TheConnectedAddin().application = application_;
    SetResponseCompletion([this](PendingResponse response) { reading::CompleteResponse(*this, response); });

    diagnostics::InstallEntryFailureLogging();
    settings::SettingsStore::Instance().SetStandingCheck(&service::IsProAccount);
    service::SessionManager::Instance().SetPasswordPrompt(&dialogs::AskForPassword);
    diagnostics::OpenThreadLog(L"Main", [this] { return GatherLogHeaderFacts(application_); });
    // A damaged settings file is reported once, however often the add-in connects.
    if (const std::wstring problem = platform::TheRegistry().TakeLoadProblem(); !problem.empty()) {
        diagnostics::LogWrite(L"WARNING! " + problem + L"\n");
    }

    settings::CredentialList saved;
    settings::LoadPasswordStorage(saved);
    settings::PasswordCache::Instance().AddAll(saved);

    try {
        majorVersion_ = outlook::MajorVersionOf(*application_);
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }

    // Whatever fails while connecting is logged; the add-in still starts, with what was set up so far.
    platform::GuardEntry([this] { ConnectWindowsAndEvents(); });

    diagnostics::CloseOperation(false);
    connected_ = true;
    return outlook::hr::S_Ok;
}

void CSealwingAddin::ConnectWindowsAndEvents() {
    try {
        graphicsToken_ = platform::TheGraphics().Startup();

        inspectors_ = application_->Inspectors();
        inspectorsSink_.Connect(inspectors_, static_cast<outlook::InspectorsEvents&>(*this));
        const int inspectorCount = inspectors_->Count();
        for (int index = 1; index <= inspectorCount; ++index) NewInspector(inspectors_->Item(index));

        StartSendQueue();

        explorers_ = application_->Explorers();
        const int explorerCount = explorers_->Count();
        for (int index = 1; index <= explorerCount; ++index) NewExplorer(explorers_->Item(index));
        explorersSink_.Connect(explorers_, static_cast<outlook::ExplorersEvents&>(*this));

        // Off the UI thread: Outlook's start must never wait on the network.
        versionCheck_.Start([this] { return OwnerWindow(); });

        TheConnectedAddin().forAbout = this;

        MapExchangeAccounts(OwnerWindow());

        applicationSink_.Connect(application_, static_cast<outlook::ApplicationEvents&>(*this));
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CSealwingAddin::MapExchangeAccounts(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    mailstore::MapExchangeAccounts(application_, owner, googleAppsAccount_);
}

// Copies of the user's own secure messages that the service delivers into a Google Apps store. Outlook 2010 is the
// first whose accounts tell their delivery store, where the account's Sent folder is found; earlier versions would
// only raise an automation error at every new mail.
void CSealwingAddin::NewMailEx(const std::wstring& entryIds) {
    platform::AssertUiThread(__func__);
    if (!googleAppsAccount_ || majorVersion_ < 14) return;
    platform::GuardEntry([&] { mailstore::ProcessNewGoogleAppsCopies(application_->Session(), entryIds); });
}

void CSealwingAddin::StartSendQueue() {
    platform::AssertUiThread(__func__);
    router_ = std::make_unique<compose::RouterWindow>(application_, &dialogs::ShowErrorNotice);
    shipper_ = std::make_unique<compose::Shipper>(
        [router = router_.get()](compose::SendCompletion& completion) { router->Complete(completion); });
}

void CSealwingAddin::EndSendQueue() {
    platform::AssertUiThread(__func__);
    shipper_.reset();
    router_.reset();
}

// Outlook is closing: nothing of start-up's version check may appear any more, and messages still on their way are
// left in Drafts, which the user is told.
void CSealwingAddin::Quit() {
    platform::AssertUiThread(__func__);
    versionCheck_.Stop();
    if (shipper_ != nullptr && shipper_->IsBusy()) {
        platform::TheUserInterface().ShowMessageBox(platform::MessageBoxRequest{
            .owner = OwnerWindow(),
            .text = kUnsentMessagesText,
            .caption = L"Parcelon for Microsoft Outlook",
            .icon = platform::MessageBoxIcon::Warning,
        });
    }
}

outlook::HResult CSealwingAddin::OnDisconnection(outlook::DisconnectMode) {
    platform::AssertUiThread(__func__);
    versionCheck_.Stop();
    inspectorsSink_.Disconnect();
    explorersSink_.Disconnect();
    applicationSink_.Disconnect();
    if (graphicsToken_ != 0) {
        platform::TheGraphics().Shutdown(graphicsToken_);
        graphicsToken_ = 0;
    }
    ReleaseEverything();
    connected_ = false;
    return outlook::hr::S_Ok;
}

// Undoes what connection set up, so that the add-in can be connected again in the same process.
void CSealwingAddin::ReleaseEverything() {
    versionCheck_.Stop();
    EndSendQueue();
    inspectorsSink_.Disconnect();
    explorersSink_.Disconnect();
    applicationSink_.Disconnect();
    responseSink_.Disconnect();
    pendingResponse_.reset();
    if (!bodyTimerInspectors_.empty()) {
        auto& uiThread = platform::TheUiThread();
        for (const auto& [timer, inspector] : bodyTimerInspectors_) uiThread.KillTimer(timer);
    }
    bodyTimerInspectors_.clear();
    bodyTimerTexts_.clear();
    // The ping timer must not outlive the add-in: it would call into code that is about to be unloaded.
    service::SessionManager::Instance().Reset();
    composeWindows_.clear();
    inspectorExtensions_.clear();
    explorerExtensions_.clear();
    inspectors_.reset();
    explorers_.reset();
    if (TheConnectedAddin().application == application_) TheConnectedAddin().application.reset();
    application_.reset();
}

platform::WindowHandle CSealwingAddin::OwnerWindow() {
    platform::AssertUiThread(__func__);
    if (explorers_ == nullptr) return platform::kNoWindow;
    try {
        if (explorers_->Count() == 0) return platform::kNoWindow;
        const auto explorer = application_->ActiveExplorer();
        return explorer != nullptr ? explorer->Window() : platform::kNoWindow;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        return platform::kNoWindow;
    }
}

void CSealwingAddin::NewInspector(const outlook::Ref<outlook::Inspector>& inspector) {
    platform::AssertUiThread(__func__);
    platform::GuardEntry([&] { WrapInspector(inspector); });
}

void CSealwingAddin::WrapInspector(const outlook::Ref<outlook::Inspector>& inspector) {
    diagnostics::LogScope scope(L"New inspector opened", diagnostics::fixed::kNewInspectorOpened);
    inspectorExtensions_.push_back(std::make_unique<CInspectorExtension>(*this));
    CInspectorExtension* extension = inspectorExtensions_.back().get();
    try {
        if (majorVersion_ > 11) composeWindows_[inspector->Window()] = extension;
        extension->Attach(inspector);
    } catch (...) {
        ReleaseInspectorExtension(extension);  // a half-attached extension would never learn that its window closed
        throw;
    }
}

void CSealwingAddin::NewExplorer(const outlook::Ref<outlook::Explorer>& explorer) {
    platform::AssertUiThread(__func__);
    platform::GuardEntry([&] { WrapExplorer(explorer); });
}

void CSealwingAddin::WrapExplorer(const outlook::Ref<outlook::Explorer>& explorer) {
    diagnostics::LogScope scope(L"New explorer opened", diagnostics::fixed::kNewExplorerOpened);
    explorerExtensions_.push_back(std::make_unique<CExplorerExtension>(*this, explorer));
    CExplorerExtension* extension = explorerExtensions_.back().get();
    try {
        // Windows that open later get their bar at their first activation.
        if (!connected_) BuildCommandBar(*extension);
        extension->ConnectExplorerSink();
    } catch (...) {
        ReleaseExplorerExtension(extension);
        throw;
    }
}

std::wstring CSealwingAddin::GetCustomUI(const std::wstring& ribbonId) { return RibbonXmlFor(ribbonId); }

bool CSealwingAddin::InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle controlWindow) {
    platform::AssertUiThread(__func__);
    const bool known =
        name == L"Sealwing" || name == L"SealwingOptions" || name == L"SealwingAbout" || name == L"UIStartup";
    // A host that is not Outlook has no windows or accounts to act on: the call is accepted and does nothing.
    if (!known || application_ == nullptr) return known;
    if (name == L"Sealwing") {
        SendSecureCommand();
    } else if (name == L"SealwingOptions") {
        OptionsCommand();
    } else if (name == L"SealwingAbout") {
        AboutCommand(controlWindow);
    }
    // The ribbon object UIStartup hands over is not kept.
    return true;
}

CInspectorExtension* CSealwingAddin::FindComposeExtension() {
    platform::AssertUiThread(__func__);
    const auto active = application_ != nullptr ? application_->ActiveInspector() : nullptr;
    if (active == nullptr) return nullptr;
    const platform::WindowHandle window = active->Window();
    if (CInspectorExtension* found = FindComposeWindow(window)) return found;
    // Outlook 2003 keeps no compose-window list. A second extension for a window that has one would put a second
    // click handler on Word's shared toolbar, and one click would then send the message twice.
    const bool followed = std::any_of(inspectorExtensions_.begin(), inspectorExtensions_.end(), [&](const auto& owned) {
        return owned->Inspector() != nullptr && owned->Inspector()->Window() == window;
    });
    if (!followed) NewInspector(active);
    return FindComposeWindow(window);
}

void CSealwingAddin::SendSecureCommand() {
    try {
        if (CInspectorExtension* extension = FindComposeExtension()) extension->SendSecure();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CSealwingAddin::OptionsCommand() {
    diagnostics::LogScope scope(L"Options to be shown", diagnostics::fixed::kOptionsToBeShown);
    try {
        if (CInspectorExtension* extension = FindComposeExtension()) {
            extension->Options();
            return;
        }
        ShowMainWindowOptions(application_, majorVersion_, OwnerWindow());
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CSealwingAddin::AboutCommand(platform::WindowHandle controlWindow) {
    platform::AssertUiThread(__func__);
    try {
        const platform::WindowHandle owner = controlWindow != platform::kNoWindow ? controlWindow : OwnerWindow();
        dialogs::CAboutDlg(dialogs::AboutDialogContext{
                               .outlookVersion = majorVersion_,
                               .mapExchangeAccounts =
                                   [](platform::WindowHandle over) {
                                       if (CSealwingAddin* addin = TheAddinForAbout()) addin->MapExchangeAccounts(over);
                                   },
                           })
            .Show(owner);
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CSealwingAddin::BuildCommandBar(CExplorerExtension& extension) {
    sealwing::BuildCommandBar(extension, majorVersion_);
}

CInspectorExtension* CSealwingAddin::FindComposeWindow(platform::WindowHandle window) const {
    const auto found = composeWindows_.find(window);
    return found != composeWindows_.end() ? found->second : nullptr;
}

void CSealwingAddin::ForgetComposeWindow(platform::WindowHandle window) { composeWindows_.erase(window); }

void CSealwingAddin::ReleaseInspectorExtension(CInspectorExtension* extension) {
    std::erase_if(composeWindows_, [extension](const auto& entry) { return entry.second == extension; });
    EraseExtension(inspectorExtensions_, extension);
}

void CSealwingAddin::ReleaseExplorerExtension(CExplorerExtension* extension) {
    EraseExtension(explorerExtensions_, extension);
}

bool CSealwingAddin::RegisterPendingResponse(const outlook::Ref<outlook::MailItem>& response,
                                             const outlook::Ref<outlook::MailItem>& received,
                                             const service::SecureMessage& message) {
    platform::AssertUiThread(__func__);
    if (pendingResponse_) return false;
    auto inspector = response->GetInspector();
    responseSink_.Connect(inspector, static_cast<outlook::InspectorEvents&>(*this));
    pendingResponse_ = PendingResponse{received, std::move(inspector), message};
    return true;
}

void CSealwingAddin::SetResponseCompletion(std::function<void(PendingResponse)> completion) {
    responseCompletion_ = std::move(completion);
}

void CSealwingAddin::Activate() {
    platform::GuardEntry([this] {
        responseSink_.Disconnect();
        if (!pendingResponse_) return;
        PendingResponse response = std::move(*pendingResponse_);
        pendingResponse_.reset();
        if (responseCompletion_) responseCompletion_(std::move(response));
    });
}

void CSealwingAddin::AddBodyTimer(platform::TimerId timer, outlook::Ref<outlook::Inspector> inspector,
                                  std::wstring html) {
    bodyTimerInspectors_[timer] = std::move(inspector);
    bodyTimerTexts_[timer] = std::move(html);
}

std::optional<BodyTimer> CSealwingAddin::TakeBodyTimer(platform::TimerId timer) {
    const auto inspector = bodyTimerInspectors_.find(timer);
    const auto text = bodyTimerTexts_.find(timer);
    if (inspector == bodyTimerInspectors_.end() || text == bodyTimerTexts_.end()) return std::nullopt;
    BodyTimer taken{std::move(inspector->second), std::move(text->second)};
    bodyTimerInspectors_.erase(inspector);
    bodyTimerTexts_.erase(text);
    return taken;
}

}  // namespace sealwing
