#include "addin/LogHeaderGathering.h"

#include "diagnostics/Log.h"
#include "mailstore/OutlookAccounts.h"
#include "platform/Platform.h"

namespace sealwing {

diagnostics::LogHeaderFacts GatherLogHeaderFacts(const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    diagnostics::LogHeaderFacts facts;
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
        facts.accounts = mailstore::AccountFactsOf(mailstore::ListAccounts(application, false));
    } catch (const outlook::ComError& error) {
        facts.gatherError = diagnostics::ComExceptionLine(error);
    }
    return facts;
}

}  // namespace sealwing
