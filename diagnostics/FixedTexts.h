#pragma once

#include "diagnostics/Log.h"

// Texts and log places that users' logs, settings and support have always seen, kept exactly as they were whatever
// the code's own files, lines and spelling are now. Every other log place is where its call is written.
namespace sealwing::diagnostics::fixed {

// Log places: support reads logs by these "file(line)" marks, so they never move with the code.
inline constexpr LogPlace kNewInspectorOpened{"SealwingAddin.cpp", 132};
inline constexpr LogPlace kNewExplorerOpened{"SealwingAddin.cpp", 161};
inline constexpr LogPlace kOptionsToBeShown{"SealwingAddin.cpp", 237};
inline constexpr LogPlace kOptionsInExplorerWindow{"SealwingAddin.cpp", 249};
inline constexpr LogPlace kCurrentUserUnread{"SealwingAddin.cpp", 260};   // Session.CurrentUser
inline constexpr LogPlace kExchangeUserUnread{"SealwingAddin.cpp", 278};  // its Exchange user's SMTP address
inline constexpr LogPlace kLoadingImage{"SealwingAddin.cpp", 327};
inline constexpr LogPlace kSelectionChanged{"ExplorerExtension.cpp", 100};
inline constexpr LogPlace kTryingToRender{"ExplorerExtension.cpp", 158};
inline constexpr LogPlace kExplorerClosing{"ExplorerExtension.cpp", 218};
inline constexpr LogPlace kBrowserMustBeReady{"ExplorerExtension.cpp", 252};
inline constexpr LogPlace kOptionsClickedInExplorer{"ExplorerExtension.cpp", 269};
inline constexpr LogPlace kAboutClicked{"ExplorerExtension.cpp", 285};
inline constexpr LogPlace kForwardInExplorer{"ExplorerExtension.cpp", 301};
inline constexpr LogPlace kReplyInExplorer{"ExplorerExtension.cpp", 327};
inline constexpr LogPlace kReplyAllInExplorer{"ExplorerExtension.cpp", 349};
inline constexpr LogPlace kUpdatingRecipients{"OutlookActions.cpp", 515};
inline constexpr LogPlace kProfileSessionUnread{"OutlookActions.cpp", 21};    // Session.MAPIOBJECT failed
inline constexpr LogPlace kProfileSectionUnopened{"OutlookActions.cpp", 36};  // the global profile section
inline constexpr LogPlace kProfileNameUnread{"OutlookActions.cpp", 44};       // its PR_PROFILE_NAME_W
inline constexpr LogPlace kDeepAccountInfo{"OutlookActions.cpp", 109};
inline constexpr LogPlace kGettingSenderInformation{"OutlookActions.cpp", 135};
inline constexpr LogPlace kAccountStampUnread{"OutlookActions.cpp", 211};    // the stamp property's value
inline constexpr LogPlace kAccountStampUnmapped{"OutlookActions.cpp", 214};  // the stamp property's name
inline constexpr LogPlace kDeletingPermanently{"OutlookActions.cpp", 267};
inline constexpr LogPlace kRetrievingReceiver{"OutlookActions.cpp", 342};
// The transport's resumed sections have always named the one source file the transport was.
inline constexpr LogPlace kTransportCancelled{"Transport.cpp", 140};
inline constexpr LogPlace kTransportSucceeded{"Transport.cpp", 156};
inline constexpr LogPlace kTransportInProgress{"Transport.cpp", 231};
inline constexpr LogPlace kTransportFormComplete{"Transport.cpp", 318};
inline constexpr LogPlace kTransportFailed{"Transport.cpp", 37};

// Spellings: log readers search for these texts as they have always been written.
inline constexpr const wchar_t* kTransportSucceededText = L"HTTP operation successfull";
inline constexpr const wchar_t* kTransportFailedText = L"HTTP transport operation insuccessfull";
// Registry: users' stored settings carry this value name, so reading it any other way would lose their choice.
inline constexpr const wchar_t* kSuppressUnregisteredWarningsValue = L"SupressUnregWarnings";

}  // namespace sealwing::diagnostics::fixed
