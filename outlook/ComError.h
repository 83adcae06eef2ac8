#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace sealwing::outlook {

// A COM result code (HRESULT): negative values are failures.
using HResult = std::int32_t;

constexpr bool Failed(HResult result) { return result < 0; }
constexpr bool Succeeded(HResult result) { return result >= 0; }

namespace hr {
inline constexpr HResult S_Ok = 0;
inline constexpr HResult S_False = 1;
inline constexpr HResult E_NotImpl = static_cast<HResult>(0x80004001);
inline constexpr HResult E_NoInterface = static_cast<HResult>(0x80004002);
inline constexpr HResult E_Pointer = static_cast<HResult>(0x80004003);
inline constexpr HResult E_Fail = static_cast<HResult>(0x80004005);
inline constexpr HResult E_OutOfMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult E_InvalidArg = static_cast<HResult>(0x80070057);
inline constexpr HResult DispE_UnknownName = static_cast<HResult>(0x80020006);
inline constexpr HResult DispE_BadIndex = static_cast<HResult>(0x8002000B);
inline constexpr HResult RpcE_WrongThread = static_cast<HResult>(0x8001010E);
inline constexpr HResult Connect_E_AdviseLimit = static_cast<HResult>(0x80040201);
inline constexpr HResult Connect_E_NoConnection = static_cast<HResult>(0x80040200);
inline constexpr HResult Mapi_E_NotFound = static_cast<HResult>(0x8004010F);
inline constexpr HResult Mapi_E_NotEnoughMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult Mapi_W_ErrorsReturned = static_cast<HResult>(0x00040380);
}  // namespace hr

// A failed object-model call: the HRESULT and the error's description, as Outlook reported them.
class ComError : public std::runtime_error {
public:
    ComError(HResult code, std::wstring description);
    HResult Code() const noexcept { return code_; }
    const std::wstring& Description() const noexcept { return description_; }

private:
    HResult code_;
    std::wstring description_;
};

// Outlook answers Nothing where an object is missing (an account without a delivery store, a folder without a
// store). Where the add-in cannot go on without the object, Nothing is the automation error E_POINTER, handled as
// any other failed call; it is never dereferenced.
template <class T>
std::shared_ptr<T> Required(std::shared_ptr<T> object, const wchar_t* member) {
    if (object == nullptr) throw ComError(hr::E_Pointer, std::wstring(member) + L" is Nothing");
    return object;
}

// What a message box says about a failed call, as COM's error objects word it: the system's text for the code, or
// "IDispatch error #n" for an interface-specific code without one, or "Unknown error 0x...".
std::wstring ComErrorMessage(HResult code);

}  // namespace sealwing::outlook
