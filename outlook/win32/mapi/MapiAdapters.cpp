#include "outlook/win32/mapi/MapiAdapters.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "outlook/win32/dispatch/ComTypes.h"
#include "outlook/win32/mapi/PropValues.h"

#include "outlook/win32/mapi/MapiHeaders.h"

namespace sealwing::outlook::win32 {
namespace {

using sealwing::win32::ComPtr;

// A tag array for a call, in a buffer of its own (SPropTagArray declares one tag and is followed by the rest).
class TagArray {
public:
    explicit TagArray(const std::vector<mapi::PropTag>& tags) : storage_(tags.size() + 1) {
        storage_[0] = static_cast<ULONG>(tags.size());
        for (std::size_t at = 0; at < tags.size(); ++at) storage_[at + 1] = tags[at];
    }
    SPropTagArray* Get() { return reinterpret_cast<SPropTagArray*>(storage_.data()); }

private:
    std::vector<ULONG> storage_;
};

template <class T>
ComPtr<T> Query(IUnknown* object, REFIID iid) {
    ComPtr<T> typed;
    if (object != nullptr) object->QueryInterface(iid, reinterpret_cast<void**>(typed.Receive()));
    return typed;
}

class StreamAdapter final : public mapi::Stream {
public:
    explicit StreamAdapter(ComPtr<IStream> stream) : stream_(std::move(stream)) {}

    HResult Size(std::uint64_t& size) override {
        size = 0;
        STATSTG status{};
        const HRESULT result = stream_->Stat(&status, STATFLAG_NONAME);
        if (SUCCEEDED(result)) size = status.cbSize.QuadPart;
        return result;
    }

    HResult Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& read) override {
        ULONG got = 0;
        const HRESULT result = stream_->Read(buffer, size, &got);
        read = SUCCEEDED(result) ? got : 0;
        return result;
    }

private:
    ComPtr<IStream> stream_;
};

// IMAPIProp's part, shared by every kind of object. `Interface` is the MAPI interface the adapter holds.
template <class Base, class Interface>
class PropAdapter : public Base {
public:
    explicit PropAdapter(ComPtr<Interface> object) : object_(std::move(object)) {}

    HResult GetProps(const std::vector<mapi::PropTag>& tags, std::vector<mapi::PropValue>& values) override {
        values.clear();
        TagArray array(tags);
        ULONG count = 0;
        SPropValue* raw = nullptr;
        const HRESULT result = object_->GetProps(array.Get(), MAPI_UNICODE, &count, &raw);
        const MapiBuffer<SPropValue> props(raw);  // freed however the call went
        if (FAILED(result)) return result;
        values.reserve(count);
        for (ULONG at = 0; at < count && props; ++at) values.push_back(FromSPropValue(props.get()[at]));
        return result;
    }

    HResult GetIDsFromNames(const std::vector<mapi::NamedProperty>& names, bool create,
                            std::vector<mapi::PropTag>& tags) override {
        tags.clear();
        std::vector<GUID> sets;
        std::vector<MAPINAMEID> ids(names.size());
        std::vector<MAPINAMEID*> pointers;
        sets.reserve(names.size());
        for (std::size_t at = 0; at < names.size(); ++at) {
            sets.push_back(ToGuid(names[at].propertySet));
            ids[at].lpguid = &sets.back();
            ids[at].ulKind = MNID_ID;
            ids[at].Kind.lID = static_cast<LONG>(names[at].id);
            pointers.push_back(&ids[at]);
        }
        SPropTagArray* raw = nullptr;
        const HRESULT result = object_->GetIDsFromNames(static_cast<ULONG>(pointers.size()), pointers.data(),
                                                        create ? MAPI_CREATE : 0, &raw);
        const MapiBuffer<SPropTagArray> mapped(raw);
        if (FAILED(result)) return result;
        if (mapped) tags.assign(mapped->aulPropTag, mapped->aulPropTag + mapped->cValues);
        return result;
    }

    HResult SetProps(const std::vector<mapi::PropValue>& values) override {
        SPropValue* raw = nullptr;
        if (const HRESULT result = ToSPropValues(values, &raw); FAILED(result)) return result;
        const MapiBuffer<SPropValue> props(raw);
        SPropProblemArray* problems = nullptr;
        const HRESULT result = object_->SetProps(static_cast<ULONG>(values.size()), props.get(), &problems);
        const MapiBuffer<SPropProblemArray> reported(problems);  // the problems are the caller's to read again
        return result;
    }

    // The object stays open for further changes, as the add-in goes on using it.
    HResult SaveChanges() override { return object_->SaveChanges(KEEP_OPEN_READWRITE); }

    HResult OpenStream(mapi::PropTag tag, Ref<mapi::Stream>& stream) override {
        stream.reset();
        ComPtr<IStream> opened;
        const HRESULT result =
            object_->OpenProperty(tag, &IID_IStream, 0, 0, reinterpret_cast<IUnknown**>(opened.Receive()));
        if (FAILED(result)) return result;
        if (!opened) return MAPI_E_NOT_FOUND;
        stream = std::make_shared<StreamAdapter>(std::move(opened));
        return result;
    }

protected:
    Interface* Raw() const { return object_.Get(); }

private:
    ComPtr<Interface> object_;
};

class MessageAdapter final : public PropAdapter<mapi::Message, IMessage> {
public:
    using PropAdapter::PropAdapter;

    HResult CopyTo(mapi::Message& target) override {
        auto* adapter = dynamic_cast<MessageAdapter*>(&target);
        if (adapter == nullptr) return MAPI_E_NO_SUPPORT;
        return Raw()->CopyTo(0, nullptr, nullptr, 0, nullptr, &IID_IMessage, adapter->Raw(), 0, nullptr);
    }
};

class MailUserAdapter final : public PropAdapter<mapi::MailUser, IMailUser> {
    using PropAdapter::PropAdapter;
};

class ProfileSectionAdapter final : public PropAdapter<mapi::ProfileSection, IProfSect> {
    using PropAdapter::PropAdapter;
};

class PlainPropAdapter final : public PropAdapter<mapi::Prop, IMAPIProp> {
    using PropAdapter::PropAdapter;
};

class FolderAdapter final : public PropAdapter<mapi::Folder, IMAPIFolder> {
public:
    using PropAdapter::PropAdapter;

    HResult DeleteMessages(const std::vector<mapi::Binary>& entryIds) override {
        std::vector<SBinary> entries;
        entries.reserve(entryIds.size());
        for (const mapi::Binary& id : entryIds) {
            // MAPI takes the ids non-const and only reads them.
            entries.push_back(SBinary{static_cast<ULONG>(id.size()), const_cast<LPBYTE>(id.data())});
        }
        ENTRYLIST list{static_cast<ULONG>(entries.size()), entries.data()};
        return Raw()->DeleteMessages(&list, 0, nullptr, 0);
    }

    HResult CreateMessage(Ref<mapi::Message>& created) override {
        created.reset();
        ComPtr<IMessage> message;
        const HRESULT result = Raw()->CreateMessage(nullptr, 0, message.Receive());
        if (FAILED(result)) return result;
        if (!message) return MAPI_E_CALL_FAILED;
        created = std::make_shared<MessageAdapter>(std::move(message));
        return result;
    }
};

class MsgStoreAdapter final : public PropAdapter<mapi::MsgStore, IMsgStore> {
public:
    using PropAdapter::PropAdapter;

    HResult OpenEntry(const mapi::Binary& entryId, Ref<mapi::Prop>& opened) override {
        opened.reset();
        ULONG type = 0;
        ComPtr<IUnknown> object;
        const HRESULT result = Raw()->OpenEntry(static_cast<ULONG>(entryId.size()),
                                                reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(entryId.data())), nullptr,
                                                MAPI_BEST_ACCESS, &type, object.Receive());
        if (FAILED(result)) return result;
        opened = WrapOpenedEntry(object.Get());
        return opened ? result : MAPI_E_NO_SUPPORT;
    }
};

class SessionAdapter final : public mapi::Session {
public:
    explicit SessionAdapter(ComPtr<IMAPISession> session) : session_(std::move(session)) {}

    HResult OpenMsgStore(const mapi::Binary& storeEntryId, Ref<mapi::MsgStore>& store) override {
        store.reset();
        ComPtr<IMsgStore> opened;
        const HRESULT result =
            session_->OpenMsgStore(0, static_cast<ULONG>(storeEntryId.size()),
                                   reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(storeEntryId.data())), nullptr,
                                   MDB_NO_DIALOG | MAPI_BEST_ACCESS, opened.Receive());
        if (FAILED(result)) return result;
        if (!opened) return MAPI_E_NOT_FOUND;
        store = std::make_shared<MsgStoreAdapter>(std::move(opened));
        return result;
    }

    HResult OpenProfileSection(const mapi::Guid& section, Ref<mapi::ProfileSection>& opened) override {
        opened.reset();
        MAPIUID uid{};
        static_assert(sizeof uid.ab == sizeof section);
        std::copy(section.begin(), section.end(), uid.ab);
        ComPtr<IProfSect> profileSection;
        const HRESULT result = session_->OpenProfileSection(&uid, nullptr, 0, profileSection.Receive());
        if (FAILED(result)) return result;
        if (!profileSection) return MAPI_E_NOT_FOUND;
        opened = std::make_shared<ProfileSectionAdapter>(std::move(profileSection));
        return result;
    }

    IMAPISession* Raw() const { return session_.Get(); }

private:
    ComPtr<IMAPISession> session_;
};

}  // namespace

Ref<mapi::Message> WrapMessage(IUnknown* object) {
    auto message = Query<IMessage>(object, IID_IMessage);
    if (!message) return nullptr;
    return std::make_shared<MessageAdapter>(std::move(message));
}

Ref<mapi::Folder> WrapFolder(IUnknown* object) {
    auto folder = Query<IMAPIFolder>(object, IID_IMAPIFolder);
    if (!folder) return nullptr;
    return std::make_shared<FolderAdapter>(std::move(folder));
}

Ref<mapi::MailUser> WrapMailUser(IUnknown* object) {
    auto user = Query<IMailUser>(object, IID_IMailUser);
    if (!user) return nullptr;
    return std::make_shared<MailUserAdapter>(std::move(user));
}

Ref<mapi::Prop> WrapProp(IUnknown* object) {
    auto prop = Query<IMAPIProp>(object, IID_IMAPIProp);
    if (!prop) return nullptr;
    return std::make_shared<PlainPropAdapter>(std::move(prop));
}

Ref<mapi::Session> WrapSession(IUnknown* object) {
    auto session = Query<IMAPISession>(object, IID_IMAPISession);
    if (!session) return nullptr;
    return std::make_shared<SessionAdapter>(std::move(session));
}

Ref<mapi::Prop> WrapOpenedEntry(IUnknown* object) {
    if (auto folder = Query<IMAPIFolder>(object, IID_IMAPIFolder)) {
        return std::make_shared<FolderAdapter>(std::move(folder));
    }
    if (auto message = WrapMessage(object)) return message;
    if (auto prop = Query<IMAPIProp>(object, IID_IMAPIProp)) return std::make_shared<PlainPropAdapter>(std::move(prop));
    return nullptr;
}

IMAPISession* RawSession(const mapi::Session& session) {
    const auto* adapter = dynamic_cast<const SessionAdapter*>(&session);
    return adapter != nullptr ? adapter->Raw() : nullptr;
}

}  // namespace sealwing::outlook::win32
