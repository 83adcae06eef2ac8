#include "sim/PropertyBag.h"

#include <type_traits>

#include "sim/SimResults.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

namespace {

std::size_t ByteSize(const mapi::PropData& data) {
    return std::visit(
        [](const auto& value) -> std::size_t {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                return (value.size() + 1) * 2;  // UTF-16 with its terminator, as MAPI holds it
            } else if constexpr (std::is_same_v<T, mapi::Binary>) {
                return value.size();
            } else if constexpr (std::is_same_v<T, std::vector<std::wstring>>) {
                std::size_t total = 0;
                for (const auto& text : value) total += (text.size() + 1) * 2;
                return total;
            } else {
                return 0;
            }
        },
        data);
}

}  // namespace

outlook::HResult PropertyBag::GetProps(const std::vector<mapi::PropTag>& tags, std::vector<mapi::PropValue>& values,
                                       const Reader& read) {
    values.clear();
    if (tags.empty()) return outlook::hr::E_InvalidArg;
    bool errors = false;
    values.reserve(tags.size());
    for (const mapi::PropTag tag : tags) {
        std::optional<mapi::PropValue> found = read(tag);
        const std::uint32_t askedType = mapi::PropType(tag);
        outlook::HResult error = outlook::hr::S_Ok;
        if (!found || (askedType != mapi::PT_UNSPECIFIED && askedType != mapi::PropType(found->tag))) {
            error = outlook::hr::Mapi_E_NotFound;
        } else if (ByteSize(found->data) > kLargestGetPropsBytes) {
            error = outlook::hr::Mapi_E_NotEnoughMemory;
        }
        if (error != outlook::hr::S_Ok) {
            errors = true;
            values.push_back(mapi::PropValue{mapi::ChangePropType(tag, mapi::PT_ERROR), mapi::PropError{error}});
        } else {
            values.push_back(std::move(*found));
        }
    }
    return errors ? outlook::hr::Mapi_W_ErrorsReturned : outlook::hr::S_Ok;
}

bool PropertyBag::Fits(const mapi::PropValue& value) {
    switch (mapi::PropType(value.tag)) {
        case mapi::PT_LONG:
            return std::holds_alternative<std::int32_t>(value.data);
        case mapi::PT_BOOLEAN:
            return std::holds_alternative<bool>(value.data);
        case mapi::PT_UNICODE:
            return std::holds_alternative<std::wstring>(value.data);
        case mapi::PT_BINARY:
            return std::holds_alternative<mapi::Binary>(value.data);
        case mapi::PT_MV_UNICODE:
            return std::holds_alternative<std::vector<std::wstring>>(value.data);
        case mapi::PT_SYSTIME:
            return std::holds_alternative<mapi::FileTime>(value.data);
        default:
            return false;
    }
}

outlook::HResult PropertyBag::SetProps(const std::vector<mapi::PropValue>& values,
                                       const std::function<bool(mapi::PropTag)>& refused) {
    if (values.empty()) return outlook::hr::E_InvalidArg;
    bool problems = false;
    for (const mapi::PropValue& value : values) {
        if ((refused && refused(value.tag)) || !Set(value)) problems = true;
    }
    return problems ? outlook::hr::Mapi_W_ErrorsReturned : outlook::hr::S_Ok;
}

std::optional<mapi::PropValue> PropertyBag::Find(mapi::PropTag tag) const {
    const auto found = values_.find(mapi::PropId(tag));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

bool PropertyBag::Set(mapi::PropValue value) {
    if (!Fits(value)) return false;
    const std::uint32_t id = mapi::PropId(value.tag);
    values_[id] = std::move(value);
    return true;
}

bool PropertyBag::Remove(mapi::PropTag tag) { return values_.erase(mapi::PropId(tag)) != 0; }

std::wstring PropertyBag::Text(mapi::PropTag tag) const {
    const auto found = values_.find(mapi::PropId(tag));
    if (found == values_.end()) return {};
    const auto* text = std::get_if<std::wstring>(&found->second.data);
    return text == nullptr ? std::wstring() : *text;
}

void PropertyBag::SetText(mapi::PropTag tag, std::wstring text) {
    Set(mapi::PropValue{mapi::ChangePropType(tag, mapi::PT_UNICODE), std::move(text)});
}

}  // namespace sealwing::sim
