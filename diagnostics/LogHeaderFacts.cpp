#include "diagnostics/LogHeaderFacts.h"

#include <mutex>

namespace sealwing::diagnostics {
namespace {

std::mutex g_factsLock;
LogHeaderFacts g_facts;

}  // namespace

void PublishLogHeaderFacts(LogHeaderFacts facts) {
    std::lock_guard guard(g_factsLock);
    // The account list is gathered by its own step; a refresh of the Outlook facts keeps it.
    if (!facts.accounts) facts.accounts = std::move(g_facts.accounts);
    g_facts = std::move(facts);
}

LogHeaderFacts PublishedLogHeaderFacts() {
    std::lock_guard guard(g_factsLock);
    return g_facts;
}

void PublishLogHeaderAccounts(std::vector<AccountFact> accounts) {
    std::lock_guard guard(g_factsLock);
    g_facts.accounts = std::move(accounts);
}

void ForgetPublishedLogHeaderFacts() {
    std::lock_guard guard(g_factsLock);
    g_facts = {};
}

}  // namespace sealwing::diagnostics
