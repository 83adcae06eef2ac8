#include "outlook/win32/mapi/PropValues.h"

#include <cstring>
#include <string>
#include <type_traits>

#include "outlook/win32/mapi/MapiHeaders.h"

namespace sealwing::outlook::win32 {
namespace {

std::wstring WideFromAnsi(const char* text) {
    if (text == nullptr || *text == '\0') return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

// Copies `bytes` into a block linked to `parent`; null for an empty block.
template <class T>
HRESULT AllocateMore(std::size_t count, void* parent, T** block) {
    *block = nullptr;
    if (count == 0) return S_OK;
    void* memory = nullptr;
    const SCODE result = MAPIAllocateMore(static_cast<ULONG>(count * sizeof(T)), parent, &memory);
    if (FAILED(result) || memory == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
    *block = static_cast<T*>(memory);
    return S_OK;
}

HRESULT CopyText(const std::wstring& text, void* parent, LPWSTR* copy) {
    if (const HRESULT result = AllocateMore(text.size() + 1, parent, copy); FAILED(result)) return result;
    std::memcpy(*copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return S_OK;
}

HRESULT Fill(const mapi::PropValue& value, void* parent, SPropValue& target) {
    target.ulPropTag = value.tag;
    target.dwAlignPad = 0;
    return std::visit(
        [&](const auto& data) -> HRESULT {
            using Data = std::decay_t<decltype(data)>;
            if constexpr (std::is_same_v<Data, std::monostate>) {
                target.ulPropTag = PROP_TAG(PT_NULL, PROP_ID(value.tag));
                target.Value.x = 0;
                return S_OK;
            } else if constexpr (std::is_same_v<Data, std::int32_t>) {
                target.Value.l = data;
                return S_OK;
            } else if constexpr (std::is_same_v<Data, bool>) {
                target.Value.b = data ? 1 : 0;
                return S_OK;
            } else if constexpr (std::is_same_v<Data, std::wstring>) {
                return CopyText(data, parent, &target.Value.lpszW);
            } else if constexpr (std::is_same_v<Data, mapi::Binary>) {
                target.Value.bin.cb = static_cast<ULONG>(data.size());
                LPBYTE bytes = nullptr;
                if (const HRESULT result = AllocateMore(data.size(), parent, &bytes); FAILED(result)) return result;
                if (!data.empty()) std::memcpy(bytes, data.data(), data.size());
                target.Value.bin.lpb = bytes;
                return S_OK;
            } else if constexpr (std::is_same_v<Data, std::vector<std::wstring>>) {
                target.Value.MVszW.cValues = static_cast<ULONG>(data.size());
                LPWSTR* texts = nullptr;
                if (const HRESULT result = AllocateMore(data.size(), parent, &texts); FAILED(result)) return result;
                for (std::size_t at = 0; at < data.size(); ++at) {
                    if (const HRESULT result = CopyText(data[at], parent, &texts[at]); FAILED(result)) return result;
                }
                target.Value.MVszW.lppszW = texts;
                return S_OK;
            } else if constexpr (std::is_same_v<Data, mapi::FileTime>) {
                target.Value.ft.dwLowDateTime = static_cast<DWORD>(data.ticks & 0xFFFFFFFFu);
                target.Value.ft.dwHighDateTime = static_cast<DWORD>(data.ticks >> 32);
                return S_OK;
            } else {
                static_assert(std::is_same_v<Data, mapi::PropError>);
                target.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(value.tag));
                target.Value.err = data.code;
                return S_OK;
            }
        },
        value.data);
}

}  // namespace

void MapiBufferDeleter::operator()(void* buffer) const {
    if (buffer != nullptr) MAPIFreeBuffer(buffer);
}

mapi::PropValue FromSPropValue(const SPropValue& value) {
    mapi::PropValue converted{value.ulPropTag, std::monostate{}};
    switch (PROP_TYPE(value.ulPropTag)) {
        case PT_LONG:
            converted.data = static_cast<std::int32_t>(value.Value.l);
            break;
        case PT_BOOLEAN:
            converted.data = value.Value.b != 0;
            break;
        case PT_UNICODE:
            converted.data = value.Value.lpszW != nullptr ? std::wstring(value.Value.lpszW) : std::wstring();
            break;
        case PT_STRING8:
            converted.data = WideFromAnsi(value.Value.lpszA);
            break;
        case PT_BINARY: {
            const auto* bytes = value.Value.bin.lpb;
            converted.data = bytes != nullptr ? mapi::Binary(bytes, bytes + value.Value.bin.cb) : mapi::Binary();
            break;
        }
        case PT_MV_UNICODE: {
            std::vector<std::wstring> texts;
            for (ULONG at = 0; at < value.Value.MVszW.cValues; ++at) {
                const LPWSTR text = value.Value.MVszW.lppszW[at];
                texts.emplace_back(text != nullptr ? text : L"");
            }
            converted.data = std::move(texts);
            break;
        }
        case PT_ERROR:
            converted.data = mapi::PropError{static_cast<HResult>(value.Value.err)};
            break;
        case PT_SYSTIME:
            converted.data = mapi::FileTime{(static_cast<std::uint64_t>(value.Value.ft.dwHighDateTime) << 32) |
                                            value.Value.ft.dwLowDateTime};
            break;
        default:
            break;
    }
    return converted;
}

HRESULT ToSPropValues(const std::vector<mapi::PropValue>& values, SPropValue** out) {
    *out = nullptr;
    void* memory = nullptr;
    const std::size_t count = values.empty() ? 1 : values.size();  // a valid buffer even for no values
    if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(count * sizeof(SPropValue)), &memory)) || memory == nullptr) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    MapiBuffer<SPropValue> array(static_cast<SPropValue*>(memory));
    std::memset(array.get(), 0, count * sizeof(SPropValue));
    for (std::size_t at = 0; at < values.size(); ++at) {
        if (const HRESULT result = Fill(values[at], array.get(), array.get()[at]); FAILED(result)) return result;
    }
    *out = array.release();
    return S_OK;
}

GUID ToGuid(const mapi::Guid& guid) {
    GUID converted{};
    static_assert(sizeof(GUID) == sizeof(mapi::Guid));
    std::memcpy(&converted, guid.data(), sizeof converted);
    return converted;
}

mapi::Guid FromGuid(const GUID& guid) {
    mapi::Guid converted{};
    std::memcpy(converted.data(), &guid, sizeof guid);
    return converted;
}

}  // namespace sealwing::outlook::win32
