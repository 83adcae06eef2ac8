#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/VersionCheck.h"
#include "compose/InspectorExtension.h"
#include "compose/RouterWindow.h"
#include "compose/Shipper.h"
#include "diagnostics/Log.h"
#include "outlook/ObjectModel.h"
#include "outlook/Ribbon.h"
#include "outlook/SinkConnection.h"
#include "platform/UiThread.h"
#include "platform/WindowSystem.h"
#include "reading/ExplorerExtension.h"
#include "reading/ResponseProcessing.h"
#include "service/SecureMessage.h"

namespace sealwing {

// Shown at Quit while the send queue still has messages on their way.
inline constexpr const wchar_t* kUnsentMessagesText =
    L"Some secure messages were not sent yet. They are saved in your Drafts folder.\nYou will have to send them "
    L"again manually next time you open Outlook";

using reading::BodyTimer;
using reading::PendingResponse;

// The object Outlook loads: it starts and stops everything else, wraps every Outlook window in its extension and
// listens to Outlook's application events. Everything here runs on Outlook's UI thread; every event handler is an
// entry from Outlook and lets no exception out.
class CSealwingAddin final : public CInspectorExtension::Owner,
                             public CExplorerExtension::Owner,
                             public reading::ResponseRegistry,
                             public outlook::RibbonExtensibility,
                             private outlook::InspectorsEvents,
                             private outlook::ExplorersEvents,
                             private outlook::ApplicationEvents,
                             private outlook::InspectorEvents {
public:
    CSealwingAddin();
    ~CSealwingAddin() override;
    CSealwingAddin(const CSealwingAddin&) = delete;
    CSealwingAddin& operator=(const CSealwingAddin&) = delete;

    // Outlook's add-in interface. Connection and disconnection always succeed; failures are logged.
    outlook::HResult OnConnection(const outlook::Ref<outlook::Object>& host, outlook::ConnectMode mode);
    outlook::HResult OnDisconnection(outlook::DisconnectMode mode);
    outlook::HResult OnAddInsUpdate() { return outlook::hr::S_Ok; }
    outlook::HResult OnStartupComplete() { return outlook::hr::S_Ok; }
    outlook::HResult OnBeginShutdown() { return outlook::hr::S_Ok; }

    // 11 (2003), 12 (2007), 14 (2010): the leading number of Application.Version; 0 before connection.
    int OutlookMajorVersion() const override { return majorVersion_; }
    // The owner of message boxes and dialogs shown outside a compose window: the active main window, or none.
    platform::WindowHandle OwnerWindow();
    bool IsConnected() const { return connected_; }
    const outlook::Ref<outlook::Application>& Application() const override { return application_; }
    // Whether the profile has a Google Apps account, whose store receives the service's copies of sent messages.
    bool HasGoogleAppsAccount() const { return googleAppsAccount_; }
    void SetHasGoogleAppsAccount(bool present) { googleAppsAccount_ = present; }
    // Resolves the Exchange accounts' addresses into the mapping (asking the user on Outlook 2003, over `owner`) and
    // notes whether a Google Apps account exists: at start-up, and again when the user resets the mappings.
    // Automation errors go to the caller.
    void MapExchangeAccounts(platform::WindowHandle owner);

    // Office's ribbon: the compose window's and the main window's XML, and the callbacks it names.
    std::wstring GetCustomUI(const std::wstring& ribbonId) override;
    bool InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle controlWindow) override;

    // The commands, from the ribbon, the main window's command bar or the compose window's toolbar. None lets an
    // automation error out: each is logged.
    // Send Secure in the active compose window; nothing without one.
    void SendSecureCommand();
    // The active compose window's options, or the main window's without one.
    void OptionsCommand() override;
    // The About dialog, owned by the control's window when there is one, else by the main window.
    void AboutCommand(platform::WindowHandle controlWindow) override;
    // The extension of Outlook's active item window; none without one. Automation errors go to the caller.
    CInspectorExtension* FindComposeExtension();
    void BuildCommandBar(CExplorerExtension& extension) override;

    // Compose windows by their window handle (filled from Outlook 2007 on, for the ribbon).
    CInspectorExtension* FindComposeWindow(platform::WindowHandle window) const;
    void ForgetComposeWindow(platform::WindowHandle window) override;
    std::size_t ComposeWindowCount() const { return composeWindows_.size(); }
    std::size_t InspectorExtensionCount() const { return inspectorExtensions_.size(); }
    std::size_t ExplorerExtensionCount() const { return explorerExtensions_.size(); }
    // The main windows' extensions in the order their windows were wrapped.
    CExplorerExtension* ExplorerExtensionAt(std::size_t index) const { return explorerExtensions_.at(index).get(); }

    // Called by an extension whose Outlook window closed, as the last thing it does: the extension is destroyed.
    void ReleaseInspectorExtension(CInspectorExtension* extension) override;
    void ReleaseExplorerExtension(CExplorerExtension* extension) override;

    // Keeps the response's window, the received item and the message until that window is activated; false, and
    // nothing kept, while another response is pending. ComError when Outlook fails to give the window.
    bool RegisterPendingResponse(const outlook::Ref<outlook::MailItem>& response,
                                 const outlook::Ref<outlook::MailItem>& received,
                                 const service::SecureMessage& message) override;
    bool HasPendingResponse() const { return pendingResponse_.has_value(); }
    // What runs when the pending response's window is activated; it receives the response, already forgotten here.
    // Connection sets the template's completion (reading::CompleteResponse).
    void SetResponseCompletion(std::function<void(PendingResponse)> completion);

    // Outlook 2003 sets a response's body a little after its window opened, through these timers.
    void AddBodyTimer(platform::TimerId timer, outlook::Ref<outlook::Inspector> inspector, std::wstring html) override;
    std::optional<BodyTimer> TakeBodyTimer(platform::TimerId timer) override;

    // The send queue, from connection to disconnection; null otherwise.
    compose::Shipper* SendQueue() override { return shipper_.get(); }
    reading::ResponseRegistry& Responses() override { return *this; }

    // Whether start-up's look for a newer add-in is still under way.
    bool IsCheckingVersion() const { return versionCheck_.Running(); }

    // The sinks, by number: 1 inspectors, 2 explorers, 3 application, 4 the pending response's window.
    const SinkConnection<outlook::InspectorsEvents>& InspectorsSink() const { return inspectorsSink_; }
    const SinkConnection<outlook::ExplorersEvents>& ExplorersSink() const { return explorersSink_; }
    const SinkConnection<outlook::ApplicationEvents>& ApplicationSink() const { return applicationSink_; }
    const SinkConnection<outlook::InspectorEvents>& ResponseSink() const { return responseSink_; }

private:
    // InspectorsEvents, ExplorersEvents
    void NewInspector(const outlook::Ref<outlook::Inspector>& inspector) override;
    void NewExplorer(const outlook::Ref<outlook::Explorer>& explorer) override;
    // InspectorEvents of the pending response's window
    void Activate() override;
    // ApplicationEvents
    void Quit() override;
    void NewMailEx(const std::wstring& entryIds) override;

    void ConnectWindowsAndEvents();
    void StartSendQueue();
    void EndSendQueue();
    void WrapInspector(const outlook::Ref<outlook::Inspector>& inspector);
    void WrapExplorer(const outlook::Ref<outlook::Explorer>& explorer);
    void ReleaseEverything();

    SinkConnection<outlook::InspectorsEvents> inspectorsSink_{&diagnostics::LogComException};
    SinkConnection<outlook::ExplorersEvents> explorersSink_{&diagnostics::LogComException};
    SinkConnection<outlook::ApplicationEvents> applicationSink_{&diagnostics::LogComException};
    SinkConnection<outlook::InspectorEvents> responseSink_{&diagnostics::LogComException};

    outlook::Ref<outlook::Application> application_;
    outlook::Ref<outlook::Inspectors> inspectors_;
    outlook::Ref<outlook::Explorers> explorers_;
    std::map<platform::WindowHandle, CInspectorExtension*> composeWindows_;
    std::vector<std::unique_ptr<CInspectorExtension>> inspectorExtensions_;
    std::vector<std::unique_ptr<CExplorerExtension>> explorerExtensions_;
    bool connected_ = false;
    std::uintptr_t graphicsToken_ = 0;
    int majorVersion_ = 0;
    bool googleAppsAccount_ = false;
    std::optional<PendingResponse> pendingResponse_;
    std::unique_ptr<compose::RouterWindow> router_;
    std::unique_ptr<compose::Shipper> shipper_;  // after the router: its worker completes through it
    std::function<void(PendingResponse)> responseCompletion_;
    std::map<platform::TimerId, outlook::Ref<outlook::Inspector>> bodyTimerInspectors_;
    std::map<platform::TimerId, std::wstring> bodyTimerTexts_;
    StartupVersionCheck versionCheck_;
};

}  // namespace sealwing
