#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "outlook/Mapi.h"

namespace sealwing::sim {

// The stored MAPI properties of one simulated object, keyed by property id, and the GetProps / SetProps rules that
// every simulated MAPI object follows.
class PropertyBag {
public:
    // A string or binary value larger than this comes back from GetProps as MAPI_E_NOT_ENOUGH_MEMORY, as a store
    // hands large values only through OpenProperty.
    static constexpr std::size_t kLargestGetPropsBytes = 32 * 1024;

    // Reads one property by id whatever its type; nothing when absent.
    using Reader = std::function<std::optional<outlook::mapi::PropValue>(outlook::mapi::PropTag)>;

    // GetProps: the values in the order asked. A property that is absent, has another type than the one asked
    // (PT_UNSPECIFIED asks for any), or is too large comes back as PT_ERROR with its error, and the call returns
    // MAPI_W_ERRORS_RETURNED; an empty list of tags is invalid.
    static outlook::HResult GetProps(const std::vector<outlook::mapi::PropTag>& tags,
                                     std::vector<outlook::mapi::PropValue>& values, const Reader& read);

    // Whether the value's data is of its tag's type (PT_LONG: int32, PT_UNICODE: wstring, ...).
    static bool Fits(const outlook::mapi::PropValue& value);

    // Stores each value that fits its type and is not refused; a value that does not fit or is refused is left out
    // and the call returns MAPI_W_ERRORS_RETURNED (a success code), as SetProps reports problems beside its result.
    outlook::HResult SetProps(const std::vector<outlook::mapi::PropValue>& values,
                              const std::function<bool(outlook::mapi::PropTag)>& refused = {});

    std::optional<outlook::mapi::PropValue> Find(outlook::mapi::PropTag tag) const;
    // Stores a value that fits its type; false otherwise.
    bool Set(outlook::mapi::PropValue value);
    bool Remove(outlook::mapi::PropTag tag);
    // A PT_UNICODE property's text; empty when absent.
    std::wstring Text(outlook::mapi::PropTag tag) const;
    void SetText(outlook::mapi::PropTag tag, std::wstring text);
    std::size_t Size() const { return values_.size(); }

private:
    std::map<std::uint32_t, outlook::mapi::PropValue> values_;
};

}  // namespace sealwing::sim
