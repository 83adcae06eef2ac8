#include "reading/ExplorerExtension.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "dialogs/AccountRequiredDialog.h"
#include "mailstore/OutlookActions.h"
#include "mailstore/RecipientsUpdate.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "service/ServiceOperations.h"
#include "service/SessionManager.h"
#include "settings/SettingsStore.h"

namespace sealwing {
namespace {

// Thread timers carry no context of their own: each tick finds its extension here. UI thread only, so no lock.
std::vector<std::pair<platform::TimerId, CExplorerExtension*>>& ReadinessTimers() {
    static std::vector<std::pair<platform::TimerId, CExplorerExtension*>> timers;
    return timers;
}

void ForgetReadinessTimer(platform::TimerId timer) {
    std::erase_if(ReadinessTimers(), [timer](const auto& entry) { return entry.first == timer; });
}

// The reading pane's window: Word renders it from Outlook 2007 on; Outlook 2003 shows it in Internet Explorer.
const wchar_t* ReadingPaneClass(int outlookMajorVersion) {
    return outlookMajorVersion > 11 ? L"_WwB" : L"Internet Explorer_Server";
}

}  // namespace

std::wstring GetSecureMessageId(const outlook::Ref<outlook::Object>& item) {
    const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(item);
    if (mail == nullptr) return {};
    return mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, mail);
}

CExplorerExtension::CExplorerExtension(Owner& owner, outlook::Ref<outlook::Explorer> explorer,
                                       CBrowserWindow::SessionLookup sessions)
    : owner_(owner), preview_(owner.OutlookMajorVersion(), std::move(sessions)), explorer_(std::move(explorer)) {}

CExplorerExtension::~CExplorerExtension() {
    KillReadinessTimer();
    preview_.Detach();
}

CExplorerExtension* CExplorerExtension::ForReadinessTimer(platform::TimerId timer) {
    for (const auto& [id, extension] : ReadinessTimers()) {
        if (id == timer) return extension;
    }
    return nullptr;
}

void CExplorerExtension::ConnectExplorerSink() {
    explorerSink_.Connect(explorer_, static_cast<outlook::ExplorerEvents&>(*this));
}

void CExplorerExtension::AdoptCommandBar(outlook::Ref<outlook::CommandBar> bar,
                                         outlook::Ref<outlook::CommandBarControl> configuration,
                                         outlook::Ref<outlook::CommandBarControl> about) {
    configurationSink_.Disconnect();
    aboutSink_.Disconnect();
    commandBar_ = std::move(bar);
    configurationButton_ = std::move(configuration);
    aboutButton_ = std::move(about);
    aboutSink_.Connect(aboutButton_, static_cast<outlook::CommandBarButtonEvents&>(aboutEvents_));
    configurationSink_.Connect(configurationButton_,
                               static_cast<outlook::CommandBarButtonEvents&>(configurationEvents_));
    commandBarBuilt_ = true;
}

void CExplorerExtension::ButtonSink::Click(const outlook::Ref<outlook::CommandBarControl>&, bool&) { command_(); }

void CExplorerExtension::ConfigurationClicked() {
    diagnostics::LogScope scope(L"Options clicked in explorer window", diagnostics::fixed::kOptionsClickedInExplorer);
    try {
        owner_.OptionsCommand();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::AboutClicked() {
    diagnostics::LogScope scope(L"About clicked", diagnostics::fixed::kAboutClicked);
    try {
        owner_.AboutCommand(platform::kNoWindow);
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::Activate() {
    platform::AssertUiThread(__func__);
    owner_.BuildCommandBar(*this);
}

void CExplorerExtension::SelectionChange() {
    platform::AssertUiThread(__func__);
    try {
        HandleSelection(false);
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::HandleSelection(bool fromTimer) {
    outlook::Ref<outlook::Selection> selection;
    try {
        selection = explorer_->Selection();
        if (selection == nullptr || selection->Count() != 1) {
            Forget();
            return;
        }
    } catch (const outlook::ComError&) {
        Forget();  // no selection to show, as with none at all
        return;
    }

    diagnostics::LogScope scope(L"Selection changed", diagnostics::fixed::kSelectionChanged);
    if (!explorer_->IsPaneVisible(outlook::olPreview)) {
        diagnostics::LogWrite(L"Preview pane invisible\n");
        preview_.Hide();
        renderedMessageId_.clear();
        return;
    }

    const auto item = std::dynamic_pointer_cast<outlook::MailItem>(selection->Item(1));
    const std::wstring messageId = GetSecureMessageId(item);
    if (messageId.empty()) {
        diagnostics::LogWrite(L"Non-secure message displayed\n");
        Forget();
        return;
    }
    diagnostics::LogWrite(L"Secure message displayed\n");
    // A failed refresh is tried again when the message is selected again, not at every readiness tick.
    if (!fromTimer || refreshTriedFor_ != messageId) {
        refreshTriedFor_ = messageId;
        mailstore::UpdateRecipientsFromService(item, messageId);
    }

    if (preview_.Attached()) {
        RenderSecureMessage(item, messageId);
    } else {
        AttachBrowser();  // the message is rendered by a later tick of the readiness timer
    }
}

void CExplorerExtension::RenderSecureMessage(const outlook::Ref<outlook::MailItem>& item,
                                             const std::wstring& messageId) {
    if (messageId == renderedMessageId_) return;
    diagnostics::LogScope scope(L"Trying to render message " + messageId + L"\n", diagnostics::fixed::kTryingToRender);
    // Set before the checks: a message that cannot be shown is not tried again while it stays selected.
    renderedMessageId_ = messageId;

    const std::wstring address = mailstore::GetReceiverAddress(item);
    if (address.empty()) {
        preview_.Hide();
        return;
    }
    if (IsRegistered(address)) {
        CBrowserWindow* browser = preview_.Browser();
        if (browser != nullptr && browser->ShowMessage(address, messageId)) {
            Track(item);
            preview_.Show();
        } else {
            preview_.Hide();
        }
        return;
    }
    const platform::WindowHandle window = explorer_->Window();
    preview_.Hide();
    if (!settings::SettingsStore::Instance().SuppressUnregisteredWarnings()) {
        dialogs::ShowAccountRequiredForReading(window, address);
    }
}

// An account with a session is registered; otherwise the service is asked, and a failed question counts as yes.
bool CExplorerExtension::IsRegistered(const std::wstring& address) {
    if (service::SessionManager::Instance().Account(address) != nullptr) return true;
    service::AccountStatus status;
    if (service::CheckAccount(address, status) != service::ServiceResult::Success) return true;
    return status.registered;
}

void CExplorerExtension::AttachBrowser() {
    const platform::WindowHandle window = explorer_->Window();
    const platform::WindowHandle pane =
        preview_.FindPreviewWindow(ReadingPaneClass(owner_.OutlookMajorVersion()), window);
    diagnostics::LogWrite(L"Firing up IE\n");
    if (pane != platform::kNoWindow) preview_.CreateOverlay(pane);
    if (readinessTimer_ == 0) {
        readinessTimer_ = platform::TheUiThread().SetTimer(kReadinessIntervalMs, &CExplorerExtension::ReadinessTick);
        ReadinessTimers().emplace_back(readinessTimer_, this);
    }
}

void CExplorerExtension::ReadinessTick(platform::TimerId timer) {
    platform::GuardEntry([timer] {
        CExplorerExtension* extension = ForReadinessTimer(timer);
        if (extension == nullptr || extension->readinessTimer_ == 0) return;
        diagnostics::LogScope scope(L"IE must be ready", diagnostics::fixed::kBrowserMustBeReady);
        if (extension->preview_.Attached()) extension->KillReadinessTimer();
        try {
            extension->HandleSelection(true);
        } catch (const outlook::ComError& error) {
            diagnostics::LogComException(error);
        }
    });
}

void CExplorerExtension::KillReadinessTimer() {
    if (readinessTimer_ == 0) return;
    platform::TheUiThread().KillTimer(readinessTimer_);
    ForgetReadinessTimer(readinessTimer_);
    readinessTimer_ = 0;
}

void CExplorerExtension::Track(const outlook::Ref<outlook::MailItem>& item) {
    itemSink_.Disconnect();
    trackedItem_ = item;
    itemSink_.Connect(trackedItem_, static_cast<outlook::ItemEvents&>(*this));
}

void CExplorerExtension::Forget() {
    preview_.Hide();
    renderedMessageId_.clear();
    refreshTriedFor_.clear();
    if (trackedItem_ != nullptr) {
        itemSink_.Disconnect();
        trackedItem_.reset();
    }
}

void CExplorerExtension::Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    diagnostics::LogScope scope(L"Reply clicked in the explorer", diagnostics::fixed::kReplyInExplorer);
    try {
        const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(response);
        if (mail != nullptr && !reading::ProcessReply(owner_.Responses(), trackedItem_, mail)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    diagnostics::LogScope scope(L"ReplyAll clicked in the explorer", diagnostics::fixed::kReplyAllInExplorer);
    try {
        const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(response);
        if (mail != nullptr && !reading::ProcessReply(owner_.Responses(), trackedItem_, mail)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) {
    diagnostics::LogScope scope(L"Forward clicked in the explorer", diagnostics::fixed::kForwardInExplorer);
    try {
        const platform::WindowHandle window = explorer_->Window();
        const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(forward);
        if (mail != nullptr && !reading::ProcessForward(owner_.Responses(), trackedItem_, mail, window)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CExplorerExtension::Close() {
    {
        diagnostics::LogScope scope(L"Explorer is being closed", diagnostics::fixed::kExplorerClosing);
        preview_.Detach();
        KillReadinessTimer();
        configurationSink_.Disconnect();
        aboutSink_.Disconnect();
        configurationButton_.reset();
        aboutButton_.reset();
        commandBar_.reset();
        itemSink_.Disconnect();
        trackedItem_.reset();
        explorerSink_.Disconnect();
    }
    owner_.ReleaseExplorerExtension(this);  // destroys this extension: nothing may follow
}

}  // namespace sealwing
