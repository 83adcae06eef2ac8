#pragma once

#include <functional>
#include <string>

#include "diagnostics/Log.h"
#include "outlook/ObjectModel.h"
#include "outlook/SinkConnection.h"
#include "platform/UiThread.h"
#include "reading/PreviewHost.h"
#include "reading/ResponseProcessing.h"

namespace sealwing {

// The message's id on the service when the item is a secure notice (its "x-parcelon-message-id: " header, lower
// case); empty for anything else.
std::wstring GetSecureMessageId(const outlook::Ref<outlook::Object>& item);

// The add-in's companion of one main window: when the selected message is a secure notice, it lays the browser over
// the reading pane and shows the message from the service instead; it hands Reply, Reply All and Forward of that
// message to the reply and forward processing, and carries the Outlook 2003/2007 command bar's buttons. Lives as long
// as its window; the add-in owns it. UI thread only: Outlook's events, the readiness timer and the reading pane's
// subclassing all arrive there.
class CExplorerExtension final : private outlook::ExplorerEvents, private outlook::ItemEvents {
public:
    // How often the browser's readiness is looked at until the reading pane can be taken over.
    static constexpr std::uint32_t kReadinessIntervalMs = 100;

    // What the extension needs of the add-in that owns it.
    class Owner {
    public:
        // 11 (2003), 12 (2007), 14 (2010).
        virtual int OutlookMajorVersion() const = 0;
        // Builds the window's command bar when it has none yet (Outlook 2003 and 2007).
        virtual void BuildCommandBar(CExplorerExtension& extension) = 0;
        // The command bar's commands, as the ribbon runs them without a control.
        virtual void OptionsCommand() = 0;
        virtual void AboutCommand(platform::WindowHandle controlWindow) = 0;
        virtual reading::ResponseRegistry& Responses() = 0;
        // The last call an extension whose window closed makes: the owner destroys it.
        virtual void ReleaseExplorerExtension(CExplorerExtension* extension) = 0;

    protected:
        ~Owner() = default;
    };

    CExplorerExtension(Owner& owner, outlook::Ref<outlook::Explorer> explorer,
                       CBrowserWindow::SessionLookup sessions = {});
    // Kills the readiness timer and detaches the browser.
    ~CExplorerExtension() override;
    CExplorerExtension(const CExplorerExtension&) = delete;
    CExplorerExtension& operator=(const CExplorerExtension&) = delete;

    // Follows the window's events (sink 1). ComError when Outlook refuses the connection.
    void ConnectExplorerSink();
    // Takes the command bar built for this window: connects its buttons (sinks 2 and 3) and marks it built.
    // ComError when Outlook refuses a connection; the bar then counts as not built.
    void AdoptCommandBar(outlook::Ref<outlook::CommandBar> bar, outlook::Ref<outlook::CommandBarControl> configuration,
                         outlook::Ref<outlook::CommandBarControl> about);

    const outlook::Ref<outlook::Explorer>& Explorer() const { return explorer_; }
    bool CommandBarBuilt() const { return commandBarBuilt_; }
    const std::wstring& RenderedMessageId() const { return renderedMessageId_; }
    platform::TimerId ReadinessTimer() const { return readinessTimer_; }
    const outlook::Ref<outlook::MailItem>& TrackedItem() const { return trackedItem_; }
    const PreviewHost& Preview() const { return preview_; }
    const SinkConnection<outlook::ExplorerEvents>& ExplorerSink() const { return explorerSink_; }
    const SinkConnection<outlook::ItemEvents>& TrackedItemSink() const { return itemSink_; }

    // The extension a running readiness timer belongs to; nullptr for any other timer.
    static CExplorerExtension* ForReadinessTimer(platform::TimerId timer);

private:
    // A command-bar button's Click, handed to one command.
    class ButtonSink final : public outlook::CommandBarButtonEvents {
    public:
        explicit ButtonSink(std::function<void()> command) : command_(std::move(command)) {}
        void Click(const outlook::Ref<outlook::CommandBarControl>& button, bool& cancel) override;

    private:
        std::function<void()> command_;
    };

    // ExplorerEvents
    void Activate() override;
    void SelectionChange() override;
    void Close() override;
    // ItemEvents of the tracked item
    void Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) override;

    // `fromTimer`: a readiness tick repeats the handling of a selection already handled once.
    void HandleSelection(bool fromTimer);
    void RenderSecureMessage(const outlook::Ref<outlook::MailItem>& item, const std::wstring& messageId);
    bool IsRegistered(const std::wstring& address);
    void AttachBrowser();
    void Track(const outlook::Ref<outlook::MailItem>& item);
    void Forget();
    void KillReadinessTimer();
    static void ReadinessTick(platform::TimerId timer);
    void ConfigurationClicked();
    void AboutClicked();

    bool commandBarBuilt_ = false;
    Owner& owner_;
    PreviewHost preview_;
    std::wstring renderedMessageId_;
    // The message whose recipients were last refreshed (or tried): the readiness ticks do not ask again.
    std::wstring refreshTriedFor_;
    outlook::Ref<outlook::Explorer> explorer_;
    platform::TimerId readinessTimer_ = 0;
    outlook::Ref<outlook::CommandBar> commandBar_;
    outlook::Ref<outlook::CommandBarControl> configurationButton_;
    outlook::Ref<outlook::CommandBarControl> aboutButton_;
    outlook::Ref<outlook::MailItem> trackedItem_;
    ButtonSink configurationEvents_{[this] { ConfigurationClicked(); }};
    ButtonSink aboutEvents_{[this] { AboutClicked(); }};
    SinkConnection<outlook::ExplorerEvents> explorerSink_{&diagnostics::LogComException};
    SinkConnection<outlook::CommandBarButtonEvents> configurationSink_{&diagnostics::LogComException};
    SinkConnection<outlook::CommandBarButtonEvents> aboutSink_{&diagnostics::LogComException};
    SinkConnection<outlook::ItemEvents> itemSink_{&diagnostics::LogComException};
};

}  // namespace sealwing
