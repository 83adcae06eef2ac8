#pragma once

#include "outlook/ComError.h"

// The failures the simulated Outlook reports, with the descriptions Outlook and COM give them.
namespace sealwing::sim::result {

using outlook::HResult;

inline constexpr HResult kWrongThread = outlook::hr::RpcE_WrongThread;
inline constexpr const wchar_t* kWrongThreadText =
    L"The application called an interface that was marshalled for a different thread.";
inline constexpr HResult kDisconnected = static_cast<HResult>(0x80010108);  // RPC_E_DISCONNECTED
inline constexpr const wchar_t* kDisconnectedText = L"The object invoked has disconnected from its clients.";
inline constexpr const wchar_t* kUnknownNameText = L"Unknown name.";
inline constexpr const wchar_t* kBadIndexText = L"Array index out of bounds.";
inline constexpr const wchar_t* kNoConnectionText = L"The connection does not exist.";
inline constexpr const wchar_t* kAdviseLimitText = L"The advise limit has been reached.";
inline constexpr const wchar_t* kNotFoundText = L"The operation failed. An object could not be found.";
inline constexpr const wchar_t* kInvalidArgText = L"One or more arguments are invalid.";
// Office's command bars (Err 5, "Invalid procedure call or argument", and the texts Office gives with it).
inline constexpr const wchar_t* kNoSuchBarText = L"Invalid procedure call or argument";
inline constexpr const wchar_t* kBarExistsText = L"A command bar of that name already exists.";
inline constexpr const wchar_t* kBadControlTypeText = L"Invalid procedure call or argument";
inline constexpr const wchar_t* kControlDeletedText = L"Method 'Delete' of object '_CommandBarButton' failed";
inline constexpr const wchar_t* kInspectorClosedText = L"The item's window has been closed.";
inline constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002);
inline constexpr const wchar_t* kFileNotFoundText =
    L"Cannot find this file. Verify the path and file name are correct.";
inline constexpr HResult kAccessDenied = static_cast<HResult>(0x80070005);
inline constexpr const wchar_t* kCannotSaveText = L"Cannot save the attachment. Access is denied.";

// MAPI codes beyond the ones the host interface names.
inline constexpr HResult kMapiNoSupport = static_cast<HResult>(0x80040102);
inline constexpr HResult kMapiComputed = static_cast<HResult>(0x8004011A);
inline constexpr HResult kMapiBadValue = static_cast<HResult>(0x80040301);
inline constexpr HResult kMapiPartialCompletion = static_cast<HResult>(0x00040680);

}  // namespace sealwing::sim::result
