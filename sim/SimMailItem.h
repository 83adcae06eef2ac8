#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "outlook/Mapi.h"
#include "outlook/ObjectModel.h"
#include "sim/EventSource.h"
#include "sim/PropertyBag.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimAccount;
class SimAttachments;
class SimFolder;
class SimInspector;
class SimRecipients;
class SimStore;
class SimUserProperties;

// A mail item. Subject, body, sender and transport headers live in its MAPI properties, so the object model and
// MailItem.MAPIOBJECT see one item. A new item belongs to its folder (Parent) but enters it, and gets its entry id,
// only when first saved.
class SimMailItem : public outlook::MailItem, public std::enable_shared_from_this<SimMailItem>, protected SimObject {
public:
    // The account stamp's named property id in PSETID_Common.
    static constexpr std::uint32_t kAccountStampId = 0x8581;

    // A new unsaved item (a draft unless it is placed elsewhere).
    static outlook::Ref<SimMailItem> Create(std::weak_ptr<SimContext> context, const outlook::Ref<SimFolder>& folder);

    outlook::Ref<outlook::Application> Application() override;
    outlook::Ref<outlook::NameSpace> Session() override;
    outlook::Ref<outlook::Object> Parent() override;
    outlook::Ref<outlook::Attachments> Attachments() override;
    std::wstring Body() override;
    void SetBody(const std::wstring& body) override;
    std::wstring HTMLBody() override;
    void SetHTMLBody(const std::wstring& html) override;
    std::wstring Subject() override;
    void SetSubject(const std::wstring& subject) override;
    std::wstring EntryID() override;
    bool UnRead() override;
    void SetUnRead(bool unread) override;
    // The inspector open for the item, or a new one that is not displayed yet.
    outlook::Ref<outlook::Inspector> GetInspector() override;
    outlook::Ref<outlook::mapi::Message> MAPIOBJECT() override;
    outlook::Ref<outlook::UserProperties> UserProperties() override;
    // The first save puts the item into its folder and gives it an entry id; a save with nothing changed does
    // nothing.
    void Save() override;
    // olSave saves first; olDiscard and olPromptForSave (the prompt is not simulated) close without saving. The item's
    // inspector, when displayed, closes as a window closes.
    void Close(outlook::InspectorClose mode) override;
    outlook::Ref<outlook::Recipients> Recipients() override;
    bool Sent() override;
    outlook::Date SentOn() override;
    // The simulation's clock when the item was made (Create).
    outlook::Date CreationTime() override;
    outlook::Ref<outlook::Account> SendUsingAccount() override;  // (2007)
    outlook::ConnectionPoint<outlook::ItemEvents>& Events() override;

    // The simulation's own access, no gate.
    bool IsSaved() const { return !entryId_.empty(); }
    const outlook::mapi::Binary& EntryIdBytes() const { return entryId_; }
    std::wstring EntryIdText() const;
    outlook::Ref<SimFolder> Folder() const { return folder_.lock(); }
    outlook::Ref<SimStore> OwnerStore() const;
    PropertyBag& Props() { return props_; }
    const std::wstring& Html() const { return html_; }
    void SetHtml(std::wstring html) { html_ = std::move(html); }
    // Save's work; MAPI_E_NOT_FOUND for an item deleted from its store.
    outlook::HResult Commit();
    // Saves the item into the folder as a delivered or sent item is: entry id given, nothing left to save.
    void PlaceIn(const outlook::Ref<SimFolder>& folder);
    // Hard deletion from the store (IMAPIFolder::DeleteMessages).
    void Delete();
    bool IsDeleted() const { return deleted_; }
    void MarkModified();
    bool HasUnsavedChanges() const { return dirty_; }
    void SetSentState(bool sent) { sent_ = sent; }
    bool IsSent() const { return sent_; }
    void SetReadState(bool unread) { unread_ = unread; }
    void SetSentOn(outlook::Date sentOn) { sentOn_ = sentOn; }
    // The account the item goes out through (MailItem.SendUsingAccount, 2007 on); nullptr: none chosen, as for a new
    // draft or a received item.
    void UseAccount(const outlook::Ref<SimAccount>& account) { account_ = account; }
    // Stamps the message with an Internet account as Outlook does when it sends through one: the named property
    // 0x8581 of PSETID_Common (a Unicode string; the simulation takes the text as given, since what Outlook writes
    // there is not documented) in the item's store. Throws std::logic_error for an item in no store.
    void SetAccountStamp(const std::wstring& stamp);
    // PR_RECEIVED_BY_EMAIL_ADDRESS_W: the address the receiving mailbox goes by, an Exchange distinguished name for
    // an Exchange mailbox. Received mail starts with its first To address (or the profile's user); an empty text
    // removes the property, as for a message that no transport delivered.
    void SetReceivedByAddress(const std::wstring& address);
    // False: MailItem.Session returns Nothing, as it does for an item whose profile is logged off (Exchange).
    void SetSessionAvailable(bool available) { sessionAvailable_ = available; }
    std::int32_t MessageFlags() const;
    // PR_MESSAGE_FLAGS written before the first save: the read and unsent bits become the item's state.
    void SetMessageFlags(std::int32_t flags);
    // IMAPIProp::CopyTo: every property, the HTML body, the recipients and the attachments, into `target`.
    void CopyContentTo(SimMailItem& target) const;
    outlook::Ref<SimInspector> InspectorOrNew();
    // Close's work: olSave commits (ComError MAPI_E_NOT_FOUND when it cannot), then the displayed inspector closes.
    void CloseWindow(outlook::InspectorClose mode);
    // Only the saving part of it.
    void SaveForClose(outlook::InspectorClose mode);
    // The inspector created for the item and not closed yet; nullptr when none.
    outlook::Ref<SimInspector> CurrentInspector() const;
    outlook::Ref<SimRecipients> RecipientList() const { return recipients_; }
    outlook::Ref<SimAttachments> AttachmentList() const { return attachments_; }
    outlook::Ref<SimUserProperties> UserPropertyList() const { return userProperties_; }
    EventSource<outlook::ItemEvents>& Source() { return events_; }

    // Use Create.
    SimMailItem(std::weak_ptr<SimContext> context, std::weak_ptr<SimFolder> folder);

private:
    std::weak_ptr<SimFolder> folder_;
    std::weak_ptr<SimInspector> inspector_;
    std::weak_ptr<SimAccount> account_;
    outlook::Ref<SimRecipients> recipients_;
    outlook::Ref<SimAttachments> attachments_;
    outlook::Ref<SimUserProperties> userProperties_;
    PropertyBag props_;
    std::wstring html_;
    outlook::mapi::Binary entryId_;
    bool unread_ = false;
    bool sent_ = false;
    outlook::Date sentOn_ = outlook::kNoDate;
    outlook::Date creationTime_ = outlook::kNoDate;
    bool dirty_ = false;
    bool everModified_ = false;
    bool deleted_ = false;
    bool sessionAvailable_ = true;
    EventSource<outlook::ItemEvents> events_;
};

}  // namespace sealwing::sim
