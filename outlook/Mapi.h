#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/Ref.h"

// Extended MAPI as the add-in uses it. Calls return HRESULTs (never throw); the values they hand back are owned by
// the caller, so the MAPI buffers behind them are freed inside the adapter that read them. UI thread only.
namespace sealwing::outlook::mapi {

using PropTag = std::uint32_t;
using Binary = std::vector<std::uint8_t>;

constexpr std::uint32_t PropType(PropTag tag) { return tag & 0xFFFF; }
constexpr std::uint32_t PropId(PropTag tag) { return tag >> 16; }
constexpr PropTag ChangePropType(PropTag tag, std::uint32_t type) { return (tag & 0xFFFF0000u) | type; }

inline constexpr std::uint32_t PT_UNSPECIFIED = 0x0000;
inline constexpr std::uint32_t PT_LONG = 0x0003;
inline constexpr std::uint32_t PT_ERROR = 0x000A;
inline constexpr std::uint32_t PT_BOOLEAN = 0x000B;
inline constexpr std::uint32_t PT_OBJECT = 0x000D;
inline constexpr std::uint32_t PT_UNICODE = 0x001F;
inline constexpr std::uint32_t PT_SYSTIME = 0x0040;
inline constexpr std::uint32_t PT_BINARY = 0x0102;
inline constexpr std::uint32_t PT_MV_UNICODE = 0x101F;

inline constexpr PropTag PR_SUBJECT_W = 0x0037001F;
inline constexpr PropTag PR_CLIENT_SUBMIT_TIME = 0x00390040;
inline constexpr PropTag PR_TRANSPORT_MESSAGE_HEADERS_W = 0x007D001F;
inline constexpr PropTag PR_SENDER_NAME_W = 0x0C1A001F;
inline constexpr PropTag PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
inline constexpr PropTag PR_RECEIVED_BY_EMAIL_ADDRESS_W = 0x0076001F;
inline constexpr PropTag PR_MESSAGE_FLAGS = 0x0E070003;
inline constexpr PropTag PR_PARENT_ENTRYID = 0x0E090102;
inline constexpr PropTag PR_STORE_ENTRYID = 0x0FFB0102;
inline constexpr PropTag PR_ENTRYID = 0x0FFF0102;
inline constexpr PropTag PR_ATTACH_DATA_BIN = 0x37010102;
inline constexpr PropTag PR_ATTACH_DATA_OBJ = 0x3701000D;
inline constexpr PropTag PR_SMTP_ADDRESS_W = 0x39FE001F;
inline constexpr PropTag PR_PROFILE_NAME_W = 0x3D12001F;
inline constexpr PropTag PR_EMS_AB_PROXY_ADDRESSES = 0x800F101F;

// PR_MESSAGE_FLAGS bits.
inline constexpr std::int32_t MSGFLAG_READ = 0x1;
inline constexpr std::int32_t MSGFLAG_UNSENT = 0x8;

// A property that could not be read: the error in place of the value (PT_ERROR).
struct PropError {
    HResult code = hr::Mapi_E_NotFound;
    friend bool operator==(const PropError&, const PropError&) = default;
};

// A point in time as MAPI holds it (PT_SYSTIME, a FILETIME): 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTime {
    std::uint64_t ticks = 0;
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

// Seconds since 1970-01-01 UTC as a FileTime.
constexpr FileTime FileTimeFromUnix(std::int64_t seconds) {
    constexpr std::uint64_t kTicksPerSecond = 10'000'000;
    constexpr std::uint64_t kUnixEpochTicks = 116'444'736'000'000'000;  // 1970-01-01 as a FILETIME
    return FileTime{kUnixEpochTicks + static_cast<std::uint64_t>(seconds) * kTicksPerSecond};
}

using PropData = std::variant<std::monostate, std::int32_t, bool, std::wstring, Binary, std::vector<std::wstring>,
                              PropError, FileTime>;

struct PropValue {
    PropTag tag = 0;
    PropData data;
    friend bool operator==(const PropValue&, const PropValue&) = default;
};

// A property set's GUID, as its 16 bytes in memory order.
using Guid = std::array<std::uint8_t, 16>;

// {00062008-0000-0000-C000-000000000046}
inline constexpr Guid PSETID_Common = {0x08, 0x20, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// {00020385-0000-0000-C000-000000000046}: the profile's global section, which holds its name.
inline constexpr Guid pbGlobalProfileSectionGuid = {0x85, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

struct NamedProperty {
    Guid propertySet{};
    std::uint32_t id = 0;
};

// IStream as the add-in reads it.
class Stream {
public:
    virtual ~Stream() = default;
    // IStream::Stat without the name: the stream's size in bytes.
    virtual HResult Size(std::uint64_t& size) = 0;
    // IStream::Read: at most `size` bytes into `buffer`; `read` says how many came. Fewer than asked is no error, and
    // 0 with success means the stream has ended.
    virtual HResult Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& read) = 0;
};

class Prop {
public:
    virtual ~Prop() = default;
    // Values in the order asked; a property that cannot be read comes back as PropError and the call returns
    // MAPI_W_ERRORS_RETURNED.
    virtual HResult GetProps(const std::vector<PropTag>& tags, std::vector<PropValue>& values) = 0;
    // Tags of type PT_UNSPECIFIED; an unmappable name gets PT_ERROR and the call returns the warning.
    virtual HResult GetIDsFromNames(const std::vector<NamedProperty>& names, bool create,
                                    std::vector<PropTag>& tags) = 0;
    virtual HResult SetProps(const std::vector<PropValue>& values) = 0;
    virtual HResult SaveChanges() = 0;
    // IMAPIProp::OpenProperty(tag, IID_IStream, 0, 0): the property's value as a read stream. MAPI_E_NOT_FOUND for
    // an absent property; a failure for one that cannot be read as a stream (an attached message, for instance).
    virtual HResult OpenStream(PropTag tag, Ref<Stream>& stream) = 0;
};

class Message : public Prop {
public:
    // IMAPIProp::CopyTo with nothing excluded: every property, recipients and attachments included.
    virtual HResult CopyTo(Message& target) = 0;
};
class MailUser : public Prop {};
class ProfileSection : public Prop {};

class Folder : public Prop {
public:
    // Hard deletion: the messages do not go to Deleted Items.
    virtual HResult DeleteMessages(const std::vector<Binary>& entryIds) = 0;
    // A new, empty message in this folder; it exists in the store once saved (SaveChanges).
    virtual HResult CreateMessage(Ref<Message>& created) = 0;
};

class MsgStore : public Prop {
public:
    // Opens a folder or message of this store; the object answers Folder or Message as it is one.
    virtual HResult OpenEntry(const Binary& entryId, Ref<Prop>& opened) = 0;
};

class Session {
public:
    virtual ~Session() = default;
    virtual HResult OpenMsgStore(const Binary& storeEntryId, Ref<MsgStore>& store) = 0;
    virtual HResult OpenProfileSection(const Guid& section, Ref<ProfileSection>& opened) = 0;
};

// HrGetOneProp: one property, or the failure (MAPI_E_NOT_FOUND for an absent property); never a warning.
HResult HrGetOneProp(Prop& object, PropTag tag, PropValue& value);

}  // namespace sealwing::outlook::mapi
