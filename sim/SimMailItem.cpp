#include "sim/SimMailItem.h"

#include <stdexcept>
#include <utility>

#include "sim/AutomationDate.h"
#include "sim/EntryId.h"
#include "sim/SimAccount.h"
#include "sim/SimApplication.h"
#include "sim/SimAttachments.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimInspectors.h"
#include "sim/SimMessage.h"
#include "sim/SimNameSpace.h"
#include "sim/SimProps.h"
#include "sim/SimRecipients.h"
#include "sim/SimStore.h"
#include "sim/SimUserProperties.h"

namespace sealwing::sim {

outlook::Ref<SimMailItem> SimMailItem::Create(std::weak_ptr<SimContext> context,
                                              const outlook::Ref<SimFolder>& folder) {
    auto item = std::make_shared<SimMailItem>(context, folder);
    if (auto live = context.lock()) item->creationTime_ = AutomationDateOf(live->Clock().UtcSeconds());
    item->recipients_ = std::make_shared<SimRecipients>(context, item);
    item->attachments_ = std::make_shared<SimAttachments>(context, item);
    item->userProperties_ = std::make_shared<SimUserProperties>(context, item);
    return item;
}

SimMailItem::SimMailItem(std::weak_ptr<SimContext> context, std::weak_ptr<SimFolder> folder)
    : SimObject(context), folder_(std::move(folder)), events_(context, L"ItemEvents") {}

outlook::Ref<outlook::Application> SimMailItem::Application() {
    return Enter(L"MailItem.Application")->Model().application;
}

outlook::Ref<outlook::NameSpace> SimMailItem::Session() {
    auto context = Enter(L"MailItem.Session");
    if (!sessionAvailable_) return nullptr;
    return context->Model().session;
}

outlook::Ref<outlook::Object> SimMailItem::Parent() {
    Enter(L"MailItem.Parent");
    return folder_.lock();
}

outlook::Ref<outlook::Attachments> SimMailItem::Attachments() {
    Enter(L"MailItem.Attachments");
    return attachments_;
}

std::wstring SimMailItem::Body() {
    Enter(L"MailItem.Body");
    return props_.Text(prop::PR_BODY_W);
}

void SimMailItem::SetBody(const std::wstring& body) {
    Enter(L"MailItem.SetBody");
    props_.SetText(prop::PR_BODY_W, body);
    MarkModified();
}

std::wstring SimMailItem::HTMLBody() {
    Enter(L"MailItem.HTMLBody");
    return html_;
}

void SimMailItem::SetHTMLBody(const std::wstring& html) {
    Enter(L"MailItem.SetHTMLBody");
    html_ = html;
    MarkModified();
}

std::wstring SimMailItem::Subject() {
    Enter(L"MailItem.Subject");
    return props_.Text(prop::PR_SUBJECT_W);
}

void SimMailItem::SetSubject(const std::wstring& subject) {
    Enter(L"MailItem.SetSubject");
    props_.SetText(prop::PR_SUBJECT_W, subject);
    MarkModified();
    if (auto inspector = CurrentInspector()) inspector->RefreshCaption();
}

std::wstring SimMailItem::EntryID() {
    Enter(L"MailItem.EntryID");
    return EntryIdText();
}

bool SimMailItem::UnRead() {
    Enter(L"MailItem.UnRead");
    return unread_;
}

void SimMailItem::SetUnRead(bool unread) {
    Enter(L"MailItem.SetUnRead");
    unread_ = unread;
}

outlook::Ref<outlook::Inspector> SimMailItem::GetInspector() {
    Enter(L"MailItem.GetInspector");
    return InspectorOrNew();
}

outlook::Ref<outlook::mapi::Message> SimMailItem::MAPIOBJECT() {
    Enter(L"MailItem.MAPIOBJECT");
    return std::make_shared<SimMessage>(WeakContext(), shared_from_this());
}

outlook::Ref<outlook::UserProperties> SimMailItem::UserProperties() {
    Enter(L"MailItem.UserProperties");
    return userProperties_;
}

void SimMailItem::Save() {
    Enter(L"MailItem.Save");
    if (outlook::Failed(Commit())) throw outlook::ComError(outlook::hr::Mapi_E_NotFound, result::kNotFoundText);
}

void SimMailItem::Close(outlook::InspectorClose mode) {
    Enter(L"MailItem.Close");
    CloseWindow(mode);
}

void SimMailItem::SaveForClose(outlook::InspectorClose mode) {
    if (mode == outlook::olSave && outlook::Failed(Commit())) {
        throw outlook::ComError(outlook::hr::Mapi_E_NotFound, result::kNotFoundText);
    }
}

void SimMailItem::CloseWindow(outlook::InspectorClose mode) {
    SaveForClose(mode);
    if (auto inspector = CurrentInspector(); inspector && inspector->IsDisplayed()) {
        Live()->Model().inspectors->Close(inspector);
    }
}

outlook::Ref<outlook::Recipients> SimMailItem::Recipients() {
    Enter(L"MailItem.Recipients");
    return recipients_;
}

bool SimMailItem::Sent() {
    Enter(L"MailItem.Sent");
    return sent_;
}

outlook::Date SimMailItem::SentOn() {
    Enter(L"MailItem.SentOn");
    return sentOn_;
}

outlook::Date SimMailItem::CreationTime() {
    Enter(L"MailItem.CreationTime");
    return creationTime_;
}

outlook::Ref<outlook::Account> SimMailItem::SendUsingAccount() {
    Enter(L"MailItem.SendUsingAccount");
    return account_.lock();
}

outlook::ConnectionPoint<outlook::ItemEvents>& SimMailItem::Events() {
    Enter(L"MailItem.Events");
    return events_;
}

std::wstring SimMailItem::EntryIdText() const { return EntryId::ToHex(entryId_); }

outlook::Ref<SimStore> SimMailItem::OwnerStore() const {
    auto folder = folder_.lock();
    return folder ? folder->OwnerStore() : nullptr;
}

outlook::HResult SimMailItem::Commit() {
    auto folder = folder_.lock();
    auto store = folder ? folder->OwnerStore() : nullptr;
    if (deleted_ || !store) return outlook::hr::Mapi_E_NotFound;
    if (entryId_.empty()) {
        entryId_ = store->NewEntryId();
        folder->Add(shared_from_this());
    } else if (!dirty_) {
        return outlook::hr::S_Ok;
    }
    dirty_ = false;
    attachments_->Commit();
    return outlook::hr::S_Ok;
}

void SimMailItem::PlaceIn(const outlook::Ref<SimFolder>& folder) {
    folder_ = folder;
    dirty_ = false;
    everModified_ = false;
    if (entryId_.empty()) entryId_ = folder->OwnerStore()->NewEntryId();
    folder->Add(shared_from_this());
    attachments_->Commit();
}

void SimMailItem::Delete() {
    if (auto folder = folder_.lock()) folder->Remove(shared_from_this());
    folder_.reset();
    deleted_ = true;
}

void SimMailItem::SetAccountStamp(const std::wstring& stamp) {
    auto store = OwnerStore();
    if (!store) throw std::logic_error("SetAccountStamp: the item is in no store");
    const auto id = store->NamedProperties().IdOf({outlook::mapi::PSETID_Common, kAccountStampId}, true);
    if (!id) throw std::logic_error("SetAccountStamp: the store's named-property ids are used up");
    props_.SetText((*id << 16) | outlook::mapi::PT_UNICODE, stamp);
}

void SimMailItem::SetReceivedByAddress(const std::wstring& address) {
    if (address.empty()) {
        props_.Remove(outlook::mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W);
    } else {
        props_.SetText(outlook::mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, address);
    }
}

void SimMailItem::MarkModified() {
    dirty_ = true;
    everModified_ = true;
}

std::int32_t SimMailItem::MessageFlags() const {
    std::int32_t flags = 0;
    if (!unread_) flags |= prop::MSGFLAG_READ;
    if (!everModified_) flags |= prop::MSGFLAG_UNMODIFIED;
    if (!sent_) flags |= prop::MSGFLAG_UNSENT;
    if (attachments_->Size() > 0) flags |= prop::MSGFLAG_HASATTACH;
    return flags;
}

void SimMailItem::SetMessageFlags(std::int32_t flags) {
    unread_ = (flags & prop::MSGFLAG_READ) == 0;
    sent_ = (flags & prop::MSGFLAG_UNSENT) == 0;
}

void SimMailItem::CopyContentTo(SimMailItem& target) const {
    target.props_ = props_;
    target.html_ = html_;
    for (const auto& recipient : recipients_->List()) target.recipients_->AddCopy(*recipient);
    for (const auto& attachment : attachments_->List()) target.attachments_->AddCopy(*attachment);
    target.unread_ = unread_;
    target.sent_ = sent_;
    target.sentOn_ = sentOn_;
    target.MarkModified();
}

outlook::Ref<SimInspector> SimMailItem::InspectorOrNew() {
    if (auto existing = CurrentInspector()) return existing;
    auto inspector = std::make_shared<SimInspector>(WeakContext(), shared_from_this());
    inspector_ = inspector;
    return inspector;
}

outlook::Ref<SimInspector> SimMailItem::CurrentInspector() const {
    auto inspector = inspector_.lock();
    return inspector && !inspector->IsClosed() ? inspector : nullptr;
}

}  // namespace sealwing::sim
