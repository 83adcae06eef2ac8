#include "compose/InspectorExtension.h"

#include <cstdint>
#include <exception>
#include <string>

#include "compose/MessageBuilder.h"
#include "compose/SpellCheckGate.h"
#include "diagnostics/Log.h"
#include "dialogs/AccountRequiredDialog.h"
#include "mailstore/OutlookAccounts.h"
#include "mailstore/OutlookActions.h"
#include "options/OptionsDialog.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "service/SessionManager.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";
constexpr std::size_t kMinimumBodyLength = 2;
// Where the buttons go on the toolbar: both are added at this position, so Send Secure, added second, stands first.
constexpr int kButtonPosition = 3;

outlook::Ref<outlook::CommandBarControl> AddButton(const outlook::Ref<outlook::CommandBarControls>& controls,
                                                   const wchar_t* parameter, const wchar_t* tag, const wchar_t* caption,
                                                   const wchar_t* tooltip, outlook::ButtonStyle style) {
    auto button = outlook::Required(
        controls->Add(outlook::msoControlButton,
                      outlook::ControlPlacement{.parameter = parameter, .before = kButtonPosition, .temporary = true}),
        L"CommandBarControls.Add");
    button->SetTag(tag);
    button->SetCaption(caption);
    button->SetTooltipText(tooltip);
    button->SetStyle(style);
    button->SetBeginGroup(true);
    return button;
}

// The toolbar a message's buttons go on: Word's "E-mail" bar when Word edits the message, else the window's own.
outlook::Ref<outlook::CommandBar> ToolbarOf(outlook::Inspector& inspector, bool& wordToolbar) {
    if (const auto document = inspector.WordEditor()) {
        wordToolbar = true;
        return outlook::Required(outlook::Required(document->CommandBars(), L"Document.CommandBars")->Item(L"E-mail"),
                                 L"CommandBars.Item");
    }
    wordToolbar = false;
    return outlook::Required(outlook::Required(inspector.CommandBars(), L"Inspector.CommandBars")->Item(L"Standard"),
                             L"CommandBars.Item");
}

}  // namespace

CInspectorExtension::CInspectorExtension(Owner& owner) : owner_(owner) {}

CInspectorExtension::~CInspectorExtension() = default;

CInspectorExtension::CommandScope::~CommandScope() {
    if (--extension_.running_ == 0 && extension_.closed_) {
        extension_.owner_.ReleaseInspectorExtension(&extension_);  // destroys the extension: nothing may follow
    }
}

void CInspectorExtension::Attach(const outlook::Ref<outlook::Inspector>& inspector) {
    platform::AssertUiThread(__func__);
    inspector_ = inspector;
    item_ = std::dynamic_pointer_cast<outlook::MailItem>(inspector->CurrentItem());
    // Every window is followed, mail or not, so that its close always takes it out of the add-in's lists.
    inspectorSink_.Connect(inspector, static_cast<outlook::InspectorEvents&>(*this));
    if (item_ == nullptr) return;

    const int version = owner_.OutlookMajorVersion();
    // Outlook 2003 gives a Word-edited message no window of its own until it is on screen: the first command takes
    // the foreground window then.
    ownerWindow_ = version <= 11 && inspector->IsWordMail() ? platform::kNoWindow : inspector->Window();

    const bool sent = item_->Sent();
    if (version < 12 && !sent) PlaceButtons();
    if (sent && (preview_ == nullptr || !preview_->Attached())) ShowSecureMessage();
    itemSink_.Connect(item_, static_cast<outlook::ItemEvents&>(*this));
}

void CInspectorExtension::PlaceButtons() {
    toolbar_ = ToolbarOf(*inspector_, buttonsOnWordToolbar_);
    const auto controls = outlook::Required(toolbar_->Controls(), L"CommandBar.Controls");
    const int count = controls->Count();
    for (int index = 1; index <= count; ++index) {
        auto control = controls->Item(index);
        if (control == nullptr) continue;
        const std::wstring tag = control->Tag();
        if (tag == kSendButtonTag) sendButton_ = control;
        if (tag == kOptionsButtonTag) optionsButton_ = control;
    }
    if (optionsButton_ == nullptr) {
        optionsButton_ = AddButton(controls, L"opt", kOptionsButtonTag, L"Parcelon Options",
                                   L"Configure how Parcelon messages should be sent", outlook::msoButtonCaption);
    }
    if (sendButton_ == nullptr) {
        sendButton_ = AddButton(controls, L"send", kSendButtonTag, L"Send Secure", L"Send your message using Parcelon",
                                outlook::msoButtonIconAndCaption);
        sendButton_->SetFace(kSendButtonImageResource, kSendButtonMaskResource);
    }
    sendButtonSink_.Connect(sendButton_, static_cast<outlook::CommandBarButtonEvents&>(*this));
    optionsButtonSink_.Connect(optionsButton_, static_cast<outlook::CommandBarButtonEvents&>(*this));
}

// A received secure message is read from the service, in the browser laid over the message's body.
void CInspectorExtension::ShowSecureMessage() {
    const std::wstring messageId = mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, item_);
    if (messageId.empty()) return;
    const int version = owner_.OutlookMajorVersion();
    if (preview_ == nullptr) preview_ = std::make_unique<PreviewHost>(version);
    const platform::WindowHandle body =
        preview_->FindPreviewWindow(version > 11 ? L"_WwB" : L"Internet Explorer_Server", ownerWindow_);
    if (body == platform::kNoWindow || !preview_->CreateOverlay(body)) return;
    CBrowserWindow* browser = preview_->Browser();
    if (browser != nullptr && browser->ShowMessage(mailstore::GetReceiverAddress(item_), messageId)) {
        preview_->Show();
    } else {
        preview_->Hide();
    }
}

// Word's toolbar buttons are shared by every message Word edits: only the window of Outlook's active inspector acts.
bool CInspectorExtension::IsActiveInspectorsItem() {
    const auto active = owner_.Application()->ActiveInspector();
    if (active == nullptr || item_ == nullptr) return false;
    const auto activeItem = std::dynamic_pointer_cast<outlook::MailItem>(active->CurrentItem());
    if (activeItem == nullptr) return false;
    const std::wstring mine = item_->EntryID();
    const std::wstring theirs = activeItem->EntryID();
    if (!mine.empty() && !theirs.empty()) return mine == theirs;
    if (mine.empty() && theirs.empty()) return item_->CreationTime() == activeItem->CreationTime();
    return false;
}

void CInspectorExtension::Click(const outlook::Ref<outlook::CommandBarControl>& button, bool&) {
    CommandScope keepAlive(*this);
    diagnostics::LogScope scope(L"Button clicked in inspector");
    try {
        if (button == nullptr || !IsActiveInspectorsItem()) return;
        const std::wstring tag = button->Tag();
        if (tag == kOptionsButtonTag) Options();
        if (tag == kSendButtonTag) SendSecure();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CInspectorExtension::TakeForegroundAsOwner() {
    if (ownerWindow_ == platform::kNoWindow) ownerWindow_ = platform::Windows().Foreground();
}

void CInspectorExtension::Tell(const std::wstring& text, platform::MessageBoxIcon icon, bool taskModalWithoutOwner) {
    platform::TheUserInterface().ShowMessageBox(platform::MessageBoxRequest{
        .owner = ownerWindow_,
        .text = text,
        .caption = kCaption,
        .icon = icon,
        .taskModal = taskModalWithoutOwner && ownerWindow_ == platform::kNoWindow,
    });
}

void CInspectorExtension::SendSecure() {
    platform::AssertUiThread(__func__);
    CommandScope keepAlive(*this);
    try {
        RunSendSecure();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComError(error.Code());
        Tell(outlook::ComErrorMessage(error.Code()), platform::MessageBoxIcon::Error);
    } catch (const std::exception&) {
        diagnostics::LogWrite(L"[ERROR] Unhandled exception\n");
    }
}

// Each return before the queue leaves the window open; from the save on, the draft is in Drafts.
void CInspectorExtension::RunSendSecure() {
    diagnostics::LogScope scope(L"Send button clicked");
    TakeForegroundAsOwner();
    const auto& application = owner_.Application();

    if (mailstore::ListAccounts(application, false).empty()) {
        Tell(
            L"No Outlook accounts are configured\nYou need at least one Outlook account to use Parcelon for "
            L"Microsoft Outlook",
            platform::MessageBoxIcon::Warning, false);
        diagnostics::LogWrite(L"No Outlook accounts configured\n");
        return;
    }

    const auto item = std::dynamic_pointer_cast<outlook::MailItem>(inspector_->CurrentItem());
    if (item == nullptr) return;
    item->Save();

    std::wstring sender = mailstore::GetSenderAddress(item);
    if (sender.empty()) {
        diagnostics::LogWrite(L"Failed to extract selected sender. GetSenderMAPI failed\n");
        sender = mailstore::ChooseDefaultSenderAddress(application);
        // A default account without an address of its own is named "NA": nothing can be sent from it.
        if (!mailstore::IsEmailAddress(sender)) sender.clear();
        if (sender.empty()) {
            diagnostics::LogWrite(L"Failed to get selected sender. SelectSender failed\n");
            Tell(L"Sorry, you cannot send Parcelon messages from this account at this time",
                 platform::MessageBoxIcon::Warning);
            return;
        }
    }
    diagnostics::LogWrite(L"Selected sender " + sender + L"\n");

    auto& sessions = service::SessionManager::Instance();
    bool registered = true;
    if (sessions.IsRegistered(sender, registered) == service::ServiceResult::Success && !registered) {
        diagnostics::LogWrite(L"Parcelon account is needed for selected sender\n");
        dialogs::ShowAccountRequiredForSending(ownerWindow_, sender);
        return;
    }

    if (!compose::PassSpellCheckGate(owner_.OutlookMajorVersion(), ownerWindow_, *inspector_)) {
        diagnostics::LogWrite(L"Spelling failed. Aborting sending\n");
        return;
    }

    service::OutgoingMessage message = compose::Build(item, sender, ownerWindow_);
    if (message.recipients.empty()) {
        diagnostics::LogWrite(L"No recipients provided\n");
        Tell(L"Your message must contain at least one recipient.", platform::MessageBoxIcon::Warning);
        return;
    }
    if (message.body.size() < kMinimumBodyLength && message.attachments.empty()) {
        diagnostics::LogWrite(L"Neither body nor attachments where provided\n");
        Tell(L"Your message must contain a message body or at least one attachment.",
             platform::MessageBoxIcon::Warning);
        return;
    }

    std::wstring sessionId;
    const service::ServiceResult session = sessions.GetSession(message.email, sessionId, ownerWindow_);
    if (session == service::ServiceResult::Cancelled || session == service::ServiceResult::NotAuthorised) {
        diagnostics::LogWrite(L"Authentication failed\n");
        return;
    }
    // Without a session the limits are unknown: the message goes to the queue, whose upload reports any refusal.
    if (session == service::ServiceResult::Success) {
        std::uint64_t total = 0;
        for (const auto& attachment : message.attachments) total += attachment.bytes.size();
        // The limit is compared without sign, as the service states it.
        const service::AccountInfo* account = sessions.Account(message.email);
        if (account != nullptr && static_cast<std::uint32_t>(account->max_attachment_size) < total) {
            diagnostics::LogWrite(L"Attachments too large\n");
            Tell(L"You have exceeded the limit of maximum attachment size. You can send only " +
                     std::to_wstring(account->max_attachment_size) + L" bytes and your attachments have " +
                     std::to_wstring(total) + L" bytes.",
                 platform::MessageBoxIcon::Warning);
            return;
        }
        if (message.attachments.size() > kMaxAttachments) {
            diagnostics::LogWrite(L"Too many attachments\n");
            Tell(L"Maximum number of 20 attachments has been exceeded.", platform::MessageBoxIcon::Error);
            return;
        }
    }

    // With no main window and no other item window, Outlook ends when this window closes, and with it the queue.
    const bool outlookClosesWithWindow =
        application->Explorers()->Count() == 0 && application->Inspectors()->Count() == 1;
    compose::Shipper* queue = owner_.SendQueue();
    if (outlookClosesWithWindow || queue == nullptr || !queue->Enqueue(std::move(message))) {
        Tell(L"Your message is not sent yet. You will need to resend it manually from Drafts folder from Outlook",
             platform::MessageBoxIcon::Warning);
    } else {
        diagnostics::LogWrite(L"Message delivered to shipper\n");
    }
    inspector_->Close(outlook::olSave);
}

void CInspectorExtension::Options() {
    platform::AssertUiThread(__func__);
    CommandScope keepAlive(*this);
    try {
        diagnostics::LogScope scope(L"Options clicked in inspector");
        TakeForegroundAsOwner();
        const auto item = std::dynamic_pointer_cast<outlook::MailItem>(inspector_->CurrentItem());
        if (item == nullptr) return;
        item->Save();
        const std::wstring sender = mailstore::GetSenderAddress(item);
        diagnostics::CloseOperation(false);
        options::COptionsDlg().Open(owner_.Application(), sender, ownerWindow_);
        diagnostics::OpenOperation(L"Options closed", diagnostics::LogPlace{__builtin_FILE(), __builtin_LINE()});
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

bool CInspectorExtension::RespondToSecureMessage(const outlook::Ref<outlook::Object>& response, bool forward) {
    if (mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, item_).empty()) return true;
    const auto responseItem = std::dynamic_pointer_cast<outlook::MailItem>(response);
    if (responseItem == nullptr) return true;
    if (forward) {
        return reading::ProcessForward(owner_.Responses(), item_, responseItem, inspector_->Window());
    }
    return reading::ProcessReply(owner_.Responses(), item_, responseItem);
}

void CInspectorExtension::Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    CommandScope keepAlive(*this);
    diagnostics::LogScope scope(L"Reply clicked in the inspector");
    try {
        if (!RespondToSecureMessage(response, false)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CInspectorExtension::ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    CommandScope keepAlive(*this);
    diagnostics::LogScope scope(L"ReplyAll clicked in the inspector");
    try {
        if (!RespondToSecureMessage(response, false)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CInspectorExtension::Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) {
    CommandScope keepAlive(*this);
    diagnostics::LogScope scope(L"Forward clicked in the inspector");
    try {
        if (!RespondToSecureMessage(forward, true)) cancel = true;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CInspectorExtension::DeleteWordToolbarButtons() {
    try {
        const auto controls = outlook::Required(toolbar_->Controls(), L"CommandBar.Controls");
        for (int index = controls->Count(); index >= 1; --index) {
            const auto control = controls->Item(index);
            if (control == nullptr) continue;
            const std::wstring tag = control->Tag();
            if (tag == kSendButtonTag || tag == kOptionsButtonTag) control->Delete();
        }
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void CInspectorExtension::Close() {
    {
        diagnostics::LogScope scope(L"Inspector is being closed");
        sendButtonSink_.Disconnect();
        optionsButtonSink_.Disconnect();
        // Word's toolbars outlive the message: the buttons would stay behind, acting for no window.
        if (buttonsOnWordToolbar_ && toolbar_ != nullptr) DeleteWordToolbarButtons();
        sendButton_.reset();
        optionsButton_.reset();
        toolbar_.reset();
        if (preview_ != nullptr) preview_->Detach();
        inspectorSink_.Disconnect();
        itemSink_.Disconnect();
        item_.reset();
        if (owner_.OutlookMajorVersion() > 11) owner_.ForgetComposeWindow(ownerWindow_);
    }
    closed_ = true;
    if (running_ > 0) return;                // the running command releases the extension when it ends
    owner_.ReleaseInspectorExtension(this);  // destroys this extension: nothing may follow
}

}  // namespace sealwing
