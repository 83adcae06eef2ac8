#pragma once

#include <memory>

#include "compose/Shipper.h"
#include "diagnostics/Log.h"
#include "outlook/ObjectModel.h"
#include "outlook/SinkConnection.h"
#include "platform/UserInterface.h"
#include "platform/WindowSystem.h"
#include "reading/PreviewHost.h"
#include "reading/ResponseProcessing.h"

namespace sealwing {

// The toolbar buttons' tags, by which a window finds the buttons an earlier window left on Word's shared toolbar.
inline constexpr const wchar_t* kSendButtonTag = L"Sealwing send";
inline constexpr const wchar_t* kOptionsButtonTag = L"Sealwing opt";
// The Send Secure button's face on Outlook 2003's toolbar: a 24x24 GIF and its mask.
inline constexpr int kSendButtonImageResource = 221;
inline constexpr int kSendButtonMaskResource = 220;
// More attachments than this are refused.
inline constexpr std::size_t kMaxAttachments = 20;

// The add-in's companion of one item window. For a message being composed it offers Send Secure and Options (on
// Outlook 2003 as toolbar buttons it places itself; later versions call them from the ribbon); for a received
// secure message it lays the browser over the message's body, and it hands Reply, Reply All and Forward of a secure
// message to the reply and forward processing. Lives as long as its window; the add-in owns it. UI thread only.
class CInspectorExtension final : private outlook::InspectorEvents,
                                  private outlook::ItemEvents,
                                  private outlook::CommandBarButtonEvents {
public:
    // What the extension needs of the add-in that owns it.
    class Owner {
    public:
        // 11 (2003), 12 (2007), 14 (2010).
        virtual int OutlookMajorVersion() const = 0;
        virtual const outlook::Ref<outlook::Application>& Application() const = 0;
        // The send queue; null when none runs.
        virtual compose::Shipper* SendQueue() = 0;
        virtual reading::ResponseRegistry& Responses() = 0;
        virtual void ForgetComposeWindow(platform::WindowHandle window) = 0;
        // The last call an extension whose window closed makes: the owner destroys it.
        virtual void ReleaseInspectorExtension(CInspectorExtension* extension) = 0;

    protected:
        ~Owner() = default;
    };

    explicit CInspectorExtension(Owner& owner);
    ~CInspectorExtension() override;
    CInspectorExtension(const CInspectorExtension&) = delete;
    CInspectorExtension& operator=(const CInspectorExtension&) = delete;

    // Takes the window's item and follows the window's events; places the toolbar buttons of a message being
    // composed on Outlook 2003, and shows a received secure message from the service. ComError when Outlook fails.
    void Attach(const outlook::Ref<outlook::Inspector>& inspector);

    // The commands. Neither lets an error out: both log it, and Send Secure also tells the user.
    // Checks the message, hands it to the send queue and closes the window, or tells why it does not.
    void SendSecure();
    // The options dialog for the message's sender.
    void Options();

    // The owner of this window's message boxes and dialogs.
    platform::WindowHandle OwnerWindow() const { return ownerWindow_; }
    const outlook::Ref<outlook::Inspector>& Inspector() const { return inspector_; }
    // The mail item shown; empty for other kinds of items.
    const outlook::Ref<outlook::MailItem>& Item() const { return item_; }
    const SinkConnection<outlook::InspectorEvents>& InspectorSink() const { return inspectorSink_; }
    const SinkConnection<outlook::ItemEvents>& ItemSink() const { return itemSink_; }
    bool ButtonsOnWordToolbar() const { return buttonsOnWordToolbar_; }
    const PreviewHost* Preview() const { return preview_.get(); }

private:
    // Keeps the extension alive while a command runs: Send Secure closes its own window, and Outlook reports the
    // close before the call returns.
    class CommandScope {
    public:
        explicit CommandScope(CInspectorExtension& extension) : extension_(extension) { ++extension_.running_; }
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        CInspectorExtension& extension_;
    };

    // InspectorEvents
    void Close() override;
    // ItemEvents
    void Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) override;
    // CommandBarButtonEvents
    void Click(const outlook::Ref<outlook::CommandBarControl>& button, bool& cancel) override;

    void PlaceButtons();
    void ShowSecureMessage();
    bool IsActiveInspectorsItem();
    void RunSendSecure();
    bool RespondToSecureMessage(const outlook::Ref<outlook::Object>& response, bool forward);
    void TakeForegroundAsOwner();
    void Tell(const std::wstring& text, platform::MessageBoxIcon icon, bool taskModalWithoutOwner = true);
    void DeleteWordToolbarButtons();

    Owner& owner_;
    platform::WindowHandle ownerWindow_ = platform::kNoWindow;
    outlook::Ref<outlook::Inspector> inspector_;
    outlook::Ref<outlook::MailItem> item_;
    outlook::Ref<outlook::CommandBar> toolbar_;
    outlook::Ref<outlook::CommandBarControl> sendButton_;
    outlook::Ref<outlook::CommandBarControl> optionsButton_;
    bool buttonsOnWordToolbar_ = false;
    std::unique_ptr<PreviewHost> preview_;
    int running_ = 0;
    bool closed_ = false;
    SinkConnection<outlook::CommandBarButtonEvents> sendButtonSink_{&diagnostics::LogComException};
    SinkConnection<outlook::CommandBarButtonEvents> optionsButtonSink_{&diagnostics::LogComException};
    SinkConnection<outlook::InspectorEvents> inspectorSink_{&diagnostics::LogComException};
    SinkConnection<outlook::ItemEvents> itemSink_{&diagnostics::LogComException};
};

}  // namespace sealwing
