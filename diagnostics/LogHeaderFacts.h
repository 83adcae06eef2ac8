#pragma once

#include <optional>
#include <string>
#include <vector>

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

// What every log header says about the running Outlook, as plain facts. Only Outlook's UI thread may ask Outlook, so
// the add-in gathers them there once and every later log, on any thread, reuses them.
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

// The process-wide facts that logs opened from now on print; any thread.
void PublishLogHeaderFacts(LogHeaderFacts facts);
LogHeaderFacts PublishedLogHeaderFacts();
// Sets the account list of the published facts (the account enumeration runs after the "Main" log opened).
void PublishLogHeaderAccounts(std::vector<AccountFact> accounts);

}  // namespace sealwing::diagnostics

namespace sealwing::diagnostics {
// Tests: back to no facts at all.
void ForgetPublishedLogHeaderFacts();
}  // namespace sealwing::diagnostics
