#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/LogHeaderFacts.h"
#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"

// The user's Outlook mail accounts, each with the address the service knows it by. UI thread only.
namespace sealwing::mailstore {

struct OutlookAccount {
    std::int32_t id = 0;  // the account-management service's id; that path only
    std::wstring displayName{};
    std::wstring smtpAddress{};
    std::wstring typeText{};  // "IMAP", "NA", "GSYNC", or the account-management service's type
    bool isExchange = false;
    bool isGoogleApps = false;
};

// What the display names of Google Apps accounts and their stores start with, followed by the address.
inline constexpr std::wstring_view kGoogleAppsPrefix = L"Google Apps - ";

// What ChooseDefaultSenderAddress answers when several accounts could send and none is the default.
inline constexpr std::wstring_view kSeveralAccounts = L"NA";

// Contains "@" and neither "/" nor "\": an Exchange distinguished name is no e-mail address.
bool IsEmailAddress(std::wstring_view text);

// The accounts as the object model lists them (Outlook 2007 on), in Outlook's order. Only accounts with an address
// enter the list: an Exchange account without one is filled from its current user on Outlook 2010, and a
// "Google Apps - <address>" account from its display name. Automation errors go to the caller.
std::vector<OutlookAccount> ListObjectModelAccounts(const outlook::Ref<outlook::Application>& application,
                                                    int outlookMajorVersion);

// The user's mail accounts in Outlook's order: from the object model on Outlook 2007 and later, from the
// account-management service on Outlook 2003 or when `forceLegacy` asks for it (only that path knows the account
// ids and the Exchange accounts' addresses). When the service cannot be read the user is told and the list is
// empty. Automation errors go to the caller.
std::vector<OutlookAccount> ListAccounts(const outlook::Ref<outlook::Application>& application, bool forceLegacy);

// The object model's last account with that display name (Outlook 2007 on); nothing when none has it. Automation
// errors go to the caller.
outlook::Ref<outlook::Account> LastAccountNamed(const outlook::Ref<outlook::Application>& application,
                                                const std::wstring& displayName);

// The account-management path of ListAccounts, without telling the user: nothing when the service cannot be read.
std::optional<std::vector<OutlookAccount>> ListAccountManagerAccounts(
    const outlook::Ref<outlook::Application>& application);

// The address to send from when a message names no account: the only account's address; else the one account the
// service knows as registered; with several registered, the user's default mail account; "NA" when that cannot be
// told; empty when none is registered. Exchange addresses go through the user's mapping first. Automation errors go
// to the caller.
std::wstring ChooseDefaultSenderAddress(const outlook::Ref<outlook::Application>& application);

// Fills the Exchange-address mapping for every Exchange account that has no e-mail address: from the object model's
// account of the same name (Outlook 2007 on), else by asking the user (Outlook 2003, dialog owned by `owner`).
// Sets `googleAppsAccount` to whether the profile has a Google Apps account, before anything that can fail.
// Automation errors go to the caller.
void MapExchangeAccounts(const outlook::Ref<outlook::Application>& application, platform::WindowHandle owner,
                         bool& googleAppsAccount);

// The account list as every log header prints it.
std::vector<diagnostics::AccountFact> AccountFactsOf(const std::vector<OutlookAccount>& accounts);

}  // namespace sealwing::mailstore
