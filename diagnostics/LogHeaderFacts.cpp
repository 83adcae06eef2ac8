#include "diagnostics/LogHeaderFacts.h"

#include <mutex>

#include "diagnostics/Log.h"
#include "platform/Platform.h"

namespace sealwing::diagnostics {
namespace {

std::mutex g_factsLock;
LogHeaderFacts g_facts;
AccountLister g_accountLister;

}  // namespace

void SetLogHeaderAccountLister(AccountLister lister) {
    std::lock_guard guard(g_factsLock);
    g_accountLister = std::move(lister);
}

LogHeaderFacts GatherLogHeaderFacts(const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    LogHeaderFacts facts;
    AccountLister lister;
    {
        std::lock_guard guard(g_factsLock);
        lister = g_accountLister;
    }
    try {
        facts.outlookVersion = application->Version();
        const auto addIns = application->COMAddIns();
        if (addIns != nullptr) {
            facts.comAddInsPresent = true;
            facts.comAddInsCount = addIns->Count();
            for (int index = 1; index <= facts.comAddInsCount; ++index) {
                const auto addIn = addIns->Item(index);
                facts.comAddIns.push_back({addIn->Guid(), addIn->ProgId(), addIn->Description()});
            }
        }
        if (lister) facts.accounts = lister(application);
    } catch (const outlook::ComError& error) {
        facts.gatherError = ComExceptionLine(error);
    }
    return facts;
}

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
    g_accountLister = nullptr;
}

}  // namespace sealwing::diagnostics
