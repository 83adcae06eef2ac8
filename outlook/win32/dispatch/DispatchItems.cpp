#include <string>
#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/dispatch/EventSinks.h"
#include "outlook/win32/mapi/MapiAdapters.h"

// Items through IDispatch. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

constexpr std::int32_t kOlFolder = 2;  // OlObjectClass of a folder
constexpr std::int32_t kOlMail = 43;   // OlObjectClass of a mail item

// An object the adapter has no typed wrapper for: kept alive, reached again only through its IDispatch.
class DispatchPlainObject final : public outlook::Object {
public:
    explicit DispatchPlainObject(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    IDispatch* Raw() const { return object_.Get(); }

private:
    ComPtr<IDispatch> object_;
};

class DispatchMailItem final : public outlook::MailItem {
public:
    explicit DispatchMailItem(ComPtr<IDispatch> object)
        : client_(std::move(object), L"MailItem"), events_(client_.Raw()) {}

    IDispatch* Raw() const { return client_.Raw(); }

    Ref<outlook::Application> Application() override { return MakeApplication(client_.GetObject(L"Application")); }
    Ref<NameSpace> Session() override { return MakeNameSpace(client_.GetObject(L"Session")); }
    Ref<Object> Parent() override { return MakeItem(client_.GetObject(L"Parent")); }
    Ref<outlook::Attachments> Attachments() override { return MakeAttachments(client_.GetObject(L"Attachments")); }
    std::wstring Body() override { return client_.GetString(L"Body"); }
    void SetBody(const std::wstring& body) override { client_.Put(L"Body", *ScopedVariant::String(body).Get()); }
    std::wstring HTMLBody() override { return client_.GetString(L"HTMLBody"); }
    void SetHTMLBody(const std::wstring& html) override {
        client_.Put(L"HTMLBody", *ScopedVariant::String(html).Get());
    }
    std::wstring Subject() override { return client_.GetString(L"Subject"); }
    void SetSubject(const std::wstring& subject) override {
        client_.Put(L"Subject", *ScopedVariant::String(subject).Get());
    }
    std::wstring EntryID() override { return client_.GetString(L"EntryID"); }
    bool UnRead() override { return client_.GetBool(L"UnRead"); }
    void SetUnRead(bool unread) override { client_.Put(L"UnRead", *ScopedVariant::Bool(unread).Get()); }
    Ref<Inspector> GetInspector() override { return MakeInspector(client_.GetObject(L"GetInspector")); }
    // Nothing when the object does not answer IMessage.
    Ref<mapi::Message> MAPIOBJECT() override { return WrapMessage(client_.GetUnknown(L"MAPIOBJECT").Get()); }
    Ref<outlook::UserProperties> UserProperties() override {
        return MakeUserProperties(client_.GetObject(L"UserProperties"));
    }
    void Save() override { client_.Call(L"Save"); }
    void Close(InspectorClose mode) override {
        const auto how = ScopedVariant::Int(mode);
        client_.Call(L"Close", {how.Get()});
    }
    Ref<outlook::Recipients> Recipients() override { return MakeRecipients(client_.GetObject(L"Recipients")); }
    bool Sent() override { return client_.GetBool(L"Sent"); }
    Date SentOn() override { return client_.GetDate(L"SentOn"); }
    Date CreationTime() override { return client_.GetDate(L"CreationTime"); }
    Ref<Account> SendUsingAccount() override { return MakeAccount(client_.GetObject(L"SendUsingAccount")); }
    ConnectionPoint<ItemEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<ItemEvents> events_;
};

}  // namespace

Ref<outlook::MailItem> MakeMailItem(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchMailItem>(std::move(object));
}

Ref<outlook::Object> MakeItem(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    std::int32_t objectClass = 0;
    try {
        objectClass = DispatchClient(object, L"Item").GetInt(L"Class");
    } catch (const ComError&) {
        // No readable Class: not an item (a folder, or a foreign object), which a plain Object represents.
        objectClass = 0;
    }
    if (objectClass == kOlMail) return MakeMailItem(std::move(object));
    if (objectClass == kOlFolder) return MakeFolder(std::move(object));
    return std::make_shared<DispatchPlainObject>(std::move(object));
}

sealwing::win32::ScopedVariant VariantOfItem(const Ref<outlook::Object>& item) {
    IDispatch* raw = nullptr;
    if (const auto* mail = dynamic_cast<const DispatchMailItem*>(item.get())) {
        raw = mail->Raw();
    } else if (const auto* plain = dynamic_cast<const DispatchPlainObject*>(item.get())) {
        raw = plain->Raw();
    }
    return sealwing::win32::ScopedVariant::Dispatch(raw);
}

}  // namespace sealwing::outlook::win32
