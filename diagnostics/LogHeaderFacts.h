#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"

namespace sealwing::diagnostics {

struct ComAddInFact {
    std::wstring guid;
    std::wstring progId;
    std::wstring description;
};

struct AccountFact {
    std::wstring smtpAddress;
    bool exchange = false;
    std::wstring typeText;
    std::wstring displayName;
};

// What every log header says about the running Outlook. Only Outlook's UI thread may ask Outlook, so the facts are
// gathered there once and every later log, on any thread, reuses them.
struct LogHeaderFacts {
    std::wstring outlookVersion{};
    bool comAddInsPresent = false;
    // What Outlook counted; the list may stop short when reading an add-in failed (see gatherError).
    int comAddInsCount = 0;
    std::vector<ComAddInFact> comAddIns{};
    // Nothing until the account list is known.
    std::optional<std::vector<AccountFact>> accounts{};
    // The "[ERROR] COM exception..." line of a failure that cut the gathering short; empty when all went well.
    std::wstring gatherError{};
};

// How the header learns the user's accounts: the mail store's enumeration, installed by the add-in, which this
// library cannot call itself. May throw ComError.
using AccountLister = std::function<std::vector<AccountFact>(const outlook::Ref<outlook::Application>&)>;
void SetLogHeaderAccountLister(AccountLister lister);

// UI thread only: asks Outlook for its version, its COM add-ins and (through the installed lister) its accounts.
// Never throws; a failure is kept in gatherError.
LogHeaderFacts GatherLogHeaderFacts(const outlook::Ref<outlook::Application>& application);

// The process-wide facts that logs opened from now on print; any thread.
void PublishLogHeaderFacts(LogHeaderFacts facts);
LogHeaderFacts PublishedLogHeaderFacts();
// Sets the account list of the published facts (the account enumeration runs after the "Main" log opened).
void PublishLogHeaderAccounts(std::vector<AccountFact> accounts);

}  // namespace sealwing::diagnostics

namespace sealwing::diagnostics {
// Tests: back to no facts at all, and no account lister.
void ForgetPublishedLogHeaderFacts();
}  // namespace sealwing::diagnostics
