#include "sim/win32/ServeMapi.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

#include "outlook/win32/mapi/PropValues.h"
#include "sim/win32/ServedUnknown.h"

#include "outlook/win32/mapi/MapiHeaders.h"

namespace sealwing::sim::win32 {
namespace {

namespace mapi = outlook::mapi;
using outlook::win32::FromGuid;
using outlook::win32::FromSPropValue;
using outlook::win32::MapiBuffer;
using outlook::win32::ToSPropValues;

std::atomic<long> g_live{0};

std::wstring Hex(ULONG value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

void Journal(const std::wstring& entry) { MapiCallJournal().push_back(entry); }

mapi::Binary BytesOf(ULONG size, const void* bytes) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    return first != nullptr ? mapi::Binary(first, first + size) : mapi::Binary();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only, through the virtual destructor
#pragma GCC diagnostic ignored "-Wunused-parameter"  // the members MAPI_E_NO_SUPPORT stands for take named ones

#define SEALWING_NO_SUPPORT \
    override { return MAPI_E_NO_SUPPORT; }

template <class Interface>
class Served : public ServedUnknown<Interface> {
protected:
    explicit Served(std::vector<const IID*> answers) : ServedUnknown<Interface>(std::move(answers), g_live) {}
};

// IStream over a simulated stream, to read: Stat gives the size (never the name), Read passes on what the simulated
// stream returns, short reads and an early end included. Writing, seeking and the rest are not simulated.
class ServedStream final : public Served<IStream> {
public:
    explicit ServedStream(outlook::Ref<mapi::Stream> stream)
        : Served({&IID_ISequentialStream, &IID_IStream}), stream_(std::move(stream)) {}

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
        if (read != nullptr) *read = 0;
        if (buffer == nullptr && size != 0) return STG_E_INVALIDPOINTER;
        std::uint32_t got = 0;
        const HRESULT result = stream_->Read(static_cast<std::uint8_t*>(buffer), size, got);
        if (read != nullptr) *read = got;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* status, DWORD) override {
        if (status == nullptr) return STG_E_INVALIDPOINTER;
        *status = STATSTG{};
        std::uint64_t size = 0;
        const HRESULT result = stream_->Size(size);
        if (FAILED(result)) return result;
        status->type = STGTY_STREAM;
        status->cbSize.QuadPart = size;
        status->grfMode = STGM_READ;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written != nullptr) *written = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }  // nothing is ever written
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        if (clone != nullptr) *clone = nullptr;
        return E_NOTIMPL;
    }

private:
    outlook::Ref<mapi::Stream> stream_;
};

template <class Interface>
class UnsupportedProp : public Served<Interface> {
public:
    MAPI_IMAPIPROP_METHODS(SEALWING_NO_SUPPORT)

protected:
    using Served<Interface>::Served;
};

// IMAPIProp over a simulated object: GetProps, SetProps, SaveChanges and GetIDsFromNames are simulated.
template <class Interface>
class PropServed : public UnsupportedProp<Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* values) override {
        if (count == nullptr || values == nullptr) return MAPI_E_INVALID_PARAMETER;
        *count = 0;
        *values = nullptr;
        if (tags == nullptr) return MAPI_E_NO_SUPPORT;  // the whole property list is not simulated
        const std::vector<mapi::PropTag> asked(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        std::vector<mapi::PropValue> read;
        const HRESULT result = prop_->GetProps(asked, read);
        if (FAILED(result)) return result;
        SPropValue* array = nullptr;
        if (FAILED(ToSPropValues(read, &array))) return MAPI_E_NOT_ENOUGH_MEMORY;
        *count = static_cast<ULONG>(read.size());
        *values = array;
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) override {
        if (problems != nullptr) *problems = nullptr;  // problems are reported in the result only
        if (count > 0 && values == nullptr) return MAPI_E_INVALID_PARAMETER;
        std::vector<mapi::PropValue> written;
        for (ULONG at = 0; at < count; ++at) written.push_back(FromSPropValue(values[at]));
        return prop_->SetProps(written);
    }

    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG flags) override {
        Journal(name_ + L".SaveChanges " + Hex(flags));
        return prop_->SaveChanges();
    }

    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, LPMAPINAMEID* names, ULONG flags,
                                              LPSPropTagArray* tags) override {
        if (tags == nullptr) return MAPI_E_INVALID_PARAMETER;
        *tags = nullptr;
        if (count == 0 || names == nullptr) return MAPI_E_NO_SUPPORT;  // listing every name is not simulated
        // Only names identified by number exist in the simulation; a string name cannot be mapped.
        std::vector<mapi::NamedProperty> asked;
        std::vector<bool> mappable;
        for (ULONG at = 0; at < count; ++at) {
            const MAPINAMEID* name = names[at];
            const bool byNumber = name != nullptr && name->lpguid != nullptr && name->ulKind == MNID_ID;
            mappable.push_back(byNumber);
            if (byNumber) asked.push_back({FromGuid(*name->lpguid), static_cast<std::uint32_t>(name->Kind.lID)});
        }
        std::vector<mapi::PropTag> mapped;
        HRESULT result = S_OK;
        if (!asked.empty()) {
            result = prop_->GetIDsFromNames(asked, (flags & MAPI_CREATE) != 0, mapped);
            if (FAILED(result)) return result;
            if (mapped.size() != asked.size()) return MAPI_E_CALL_FAILED;
        }
        void* memory = nullptr;
        if (FAILED(MAPIAllocateBuffer(CbNewSPropTagArray(count), &memory)) || memory == nullptr) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        auto* array = static_cast<SPropTagArray*>(memory);
        array->cValues = count;
        std::size_t next = 0;
        for (ULONG at = 0; at < count; ++at) {
            if (mappable[at]) {
                array->aulPropTag[at] = mapped[next++];
            } else {
                array->aulPropTag[at] = PROP_TAG(PT_ERROR, 0);
                result = MAPI_W_ERRORS_RETURNED;
            }
        }
        *tags = array;
        return result;
    }

    // Only a property's value as a stream to read is simulated: IID_IStream, neither created nor opened to modify.
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG tag, LPCIID iid, ULONG options, ULONG flags,
                                           LPUNKNOWN* object) override {
        if (iid == nullptr || object == nullptr) return MAPI_E_INVALID_PARAMETER;
        *object = nullptr;
        if (!IsEqualIID(*iid, IID_IStream)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (options != 0 || (flags & (MAPI_MODIFY | MAPI_CREATE)) != 0) return MAPI_E_NO_SUPPORT;
        outlook::Ref<mapi::Stream> stream;
        const HRESULT result = prop_->OpenStream(tag, stream);
        if (FAILED(result)) return result;
        if (!stream) return MAPI_E_NOT_FOUND;
        *object = static_cast<IStream*>(new ServedStream(std::move(stream)));  // its one reference is the caller's
        return result;
    }

protected:
    PropServed(std::wstring name, outlook::Ref<mapi::Prop> prop, std::vector<const IID*> answers)
        : UnsupportedProp<Interface>(Including(std::move(answers), &IID_IMAPIProp)),
          name_(std::move(name)),
          prop_(std::move(prop)) {}

private:
    static std::vector<const IID*> Including(std::vector<const IID*> answers, const IID* more) {
        answers.push_back(more);
        return answers;
    }

    std::wstring name_;
    outlook::Ref<mapi::Prop> prop_;
};

// Answered by a served message with itself: a CopyTo target is known for the harness's own by asking, never by
// casting a pointer that may be someone else's.
constexpr IID kServedMessageIid = {0xf6356547, 0x36d5, 0x4654, {0x90, 0x9c, 0x92, 0xef, 0xff, 0xf3, 0x30, 0x0b}};

class ServedMessage final : public PropServed<IMessage> {
public:
    explicit ServedMessage(outlook::Ref<mapi::Message> message)
        : PropServed(L"Message", message, {&IID_IMessage, &kServedMessageIid}), message_(std::move(message)) {}

    MAPI_IMESSAGE_METHODS(SEALWING_NO_SUPPORT)

    // Only the whole copy into another served message is simulated: no exclusions, no progress, IMessage targets.
    HRESULT STDMETHODCALLTYPE CopyTo(ULONG excludedInterfaces, LPCIID, LPSPropTagArray excludedProperties, ULONG,
                                     LPMAPIPROGRESS progress, LPCIID iid, LPVOID destination, ULONG flags,
                                     LPSPropProblemArray* problems) override {
        if (problems != nullptr) *problems = nullptr;  // problems are reported in the result only
        if (iid == nullptr || destination == nullptr) return MAPI_E_INVALID_PARAMETER;
        Journal(L"Message.CopyTo " + Hex(flags));
        if (!IsEqualIID(*iid, IID_IMessage)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
        const bool excludes =
            excludedInterfaces != 0 || (excludedProperties != nullptr && excludedProperties->cValues != 0);
        if (excludes || progress != nullptr || flags != 0) return MAPI_E_NO_SUPPORT;
        IMessage* answered = nullptr;
        if (FAILED(static_cast<IMessage*>(destination)
                       ->QueryInterface(kServedMessageIid, reinterpret_cast<void**>(&answered)))) {
            return MAPI_E_NO_SUPPORT;  // a message the harness did not serve
        }
        const auto owned = sealwing::win32::ComPtr<IMessage>::Attach(answered);
        return message_->CopyTo(*static_cast<ServedMessage*>(answered)->message_);  // only it answers that IID
    }

private:
    outlook::Ref<mapi::Message> message_;
};

class ServedMailUser final : public PropServed<IMailUser> {
public:
    explicit ServedMailUser(outlook::Ref<mapi::MailUser> user)
        : PropServed(L"MailUser", std::move(user), {&IID_IMailUser}) {}
};

class ServedAttachment final : public PropServed<IAttach> {
public:
    explicit ServedAttachment(outlook::Ref<mapi::Prop> attachment)
        : PropServed(L"Attach", std::move(attachment), {&IID_IAttachment}) {}
};

class ServedProfileSection final : public PropServed<IProfSect> {
public:
    explicit ServedProfileSection(outlook::Ref<mapi::ProfileSection> section)
        : PropServed(L"ProfileSection", std::move(section), {&IID_IProfSect}) {}
};

class UnsupportedFolder : public PropServed<IMAPIFolder> {
public:
    MAPI_IMAPICONTAINER_METHODS(SEALWING_NO_SUPPORT)
    MAPI_IMAPIFOLDER_METHODS(SEALWING_NO_SUPPORT)

protected:
    explicit UnsupportedFolder(outlook::Ref<mapi::Prop> folder)
        : PropServed(L"Folder", std::move(folder), {&IID_IMAPIContainer, &IID_IMAPIFolder}) {}
};

class UnsupportedMsgStore : public PropServed<IMsgStore> {
public:
    MAPI_IMSGSTORE_METHODS(SEALWING_NO_SUPPORT)

protected:
    explicit UnsupportedMsgStore(outlook::Ref<mapi::Prop> store)
        : PropServed(L"MsgStore", std::move(store), {&IID_IMsgStore}) {}
};

class UnsupportedSession : public Served<IMAPISession> {
public:
    MAPI_IMAPISESSION_METHODS(SEALWING_NO_SUPPORT)

protected:
    UnsupportedSession() : Served({&IID_IMAPISession}) {}
};

#undef SEALWING_NO_SUPPORT

class ServedFolder final : public UnsupportedFolder {
public:
    explicit ServedFolder(outlook::Ref<mapi::Folder> folder) : UnsupportedFolder(folder), folder_(std::move(folder)) {}

    HRESULT STDMETHODCALLTYPE DeleteMessages(LPENTRYLIST list, ULONG, LPMAPIPROGRESS, ULONG) override {
        if (list == nullptr) return MAPI_E_INVALID_PARAMETER;
        Journal(L"Folder.DeleteMessages " + std::to_wstring(list->cValues));
        std::vector<mapi::Binary> ids;
        for (ULONG at = 0; at < list->cValues; ++at) ids.push_back(BytesOf(list->lpbin[at].cb, list->lpbin[at].lpb));
        return folder_->DeleteMessages(ids);
    }

    HRESULT STDMETHODCALLTYPE CreateMessage(LPCIID iid, ULONG flags, LPMESSAGE* message) override {
        if (message == nullptr) return MAPI_E_INVALID_PARAMETER;
        *message = nullptr;
        Journal(L"Folder.CreateMessage " + Hex(flags));
        if (iid != nullptr && !IsEqualIID(*iid, IID_IMessage)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
        outlook::Ref<mapi::Message> created;
        const HRESULT result = folder_->CreateMessage(created);
        if (FAILED(result)) return result;
        if (!created) return MAPI_E_CALL_FAILED;
        *message = new ServedMessage(std::move(created));  // its one reference is the caller's
        return result;
    }

private:
    outlook::Ref<mapi::Folder> folder_;
};

class ServedMsgStore final : public UnsupportedMsgStore {
public:
    explicit ServedMsgStore(outlook::Ref<mapi::MsgStore> store)
        : UnsupportedMsgStore(store), store_(std::move(store)) {}

    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* object) override {
        if (type == nullptr || object == nullptr) return MAPI_E_INVALID_PARAMETER;
        *type = 0;
        *object = nullptr;
        Journal(L"MsgStore.OpenEntry " + Hex(flags));
        outlook::Ref<mapi::Prop> opened;
        const HRESULT result = store_->OpenEntry(BytesOf(size, id), opened);
        if (FAILED(result)) return result;
        sealwing::win32::ComPtr<IUnknown> served;
        if (auto folder = std::dynamic_pointer_cast<mapi::Folder>(opened)) {
            *type = MAPI_FOLDER;
            served = sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IMAPIFolder*>(new ServedFolder(folder)));
        } else if (auto message = std::dynamic_pointer_cast<mapi::Message>(opened)) {
            *type = MAPI_MESSAGE;
            served = ServeMapiMessage(message);
        } else {
            return MAPI_E_NO_SUPPORT;
        }
        if (iid == nullptr) {
            *object = served.Detach();  // the object's own interface is its IUnknown here
            return result;
        }
        const HRESULT asked = served->QueryInterface(*iid, reinterpret_cast<void**>(object));
        if (FAILED(asked)) *type = 0;
        return FAILED(asked) ? MAPI_E_INTERFACE_NOT_SUPPORTED : result;
    }

private:
    outlook::Ref<mapi::MsgStore> store_;
};

class ServedSession final : public UnsupportedSession {
public:
    explicit ServedSession(outlook::Ref<mapi::Session> session) : session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG size, LPENTRYID id, LPCIID iid, ULONG flags,
                                           LPMDB* store) override {
        if (store == nullptr) return MAPI_E_INVALID_PARAMETER;
        *store = nullptr;
        Journal(L"Session.OpenMsgStore " + Hex(flags));
        outlook::Ref<mapi::MsgStore> opened;
        const HRESULT result = session_->OpenMsgStore(BytesOf(size, id), opened);
        if (FAILED(result)) return result;
        if (!opened) return MAPI_E_NOT_FOUND;
        const auto served = sealwing::win32::ComPtr<IMsgStore>::Attach(new ServedMsgStore(std::move(opened)));
        if (iid == nullptr) {
            *store = served.Get();
            served->AddRef();
            return result;
        }
        return SUCCEEDED(served->QueryInterface(*iid, reinterpret_cast<void**>(store)))
                   ? result
                   : MAPI_E_INTERFACE_NOT_SUPPORTED;
    }

    HRESULT STDMETHODCALLTYPE OpenProfileSection(LPMAPIUID uid, LPCIID iid, ULONG flags, LPPROFSECT* section) override {
        if (uid == nullptr || section == nullptr) return MAPI_E_INVALID_PARAMETER;
        *section = nullptr;
        Journal(L"Session.OpenProfileSection " + Hex(flags));
        mapi::Guid id{};
        std::copy(std::begin(uid->ab), std::end(uid->ab), id.begin());
        outlook::Ref<mapi::ProfileSection> opened;
        const HRESULT result = session_->OpenProfileSection(id, opened);
        if (FAILED(result)) return result;
        if (!opened) return MAPI_E_NOT_FOUND;
        const auto served = sealwing::win32::ComPtr<IProfSect>::Attach(new ServedProfileSection(std::move(opened)));
        if (iid == nullptr) {
            *section = served.Get();
            served->AddRef();
            return result;
        }
        return SUCCEEDED(served->QueryInterface(*iid, reinterpret_cast<void**>(section)))
                   ? result
                   : MAPI_E_INTERFACE_NOT_SUPPORTED;
    }

private:
    outlook::Ref<mapi::Session> session_;
};

#pragma GCC diagnostic pop

}  // namespace

sealwing::win32::ComPtr<IUnknown> ServeMapiMessage(const outlook::Ref<mapi::Message>& message) {
    if (!message) return {};
    return sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IMessage*>(new ServedMessage(message)));
}

sealwing::win32::ComPtr<IUnknown> ServeMapiFolder(const outlook::Ref<mapi::Folder>& folder) {
    if (!folder) return {};
    return sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IMAPIFolder*>(new ServedFolder(folder)));
}

sealwing::win32::ComPtr<IUnknown> ServeMapiMailUser(const outlook::Ref<mapi::MailUser>& user) {
    if (!user) return {};
    return sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IMailUser*>(new ServedMailUser(user)));
}

sealwing::win32::ComPtr<IUnknown> ServeMapiAttachment(const outlook::Ref<mapi::Prop>& attachment) {
    if (!attachment) return {};
    return sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IAttach*>(new ServedAttachment(attachment)));
}

sealwing::win32::ComPtr<IUnknown> ServeMapiSession(const outlook::Ref<mapi::Session>& session) {
    if (!session) return {};
    return sealwing::win32::ComPtr<IUnknown>::Attach(static_cast<IMAPISession*>(new ServedSession(session)));
}

std::vector<std::wstring>& MapiCallJournal() {
    static std::vector<std::wstring> journal;
    return journal;
}

long LiveMapiObjects() { return g_live.load(); }

}  // namespace sealwing::sim::win32
