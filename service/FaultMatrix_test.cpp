// The fault matrix (tests/FaultMatrix.h) on the Linux build's engine, libcurl, against the local service in this
// process.

#include "tests/FaultMatrix.h"

#include <gtest/gtest.h>

#include "localservice/SeedFile.h"
#include "tests/LocalServiceTest.h"
#include "tests/ThreadCount.h"

namespace sealwing::service {
namespace {

class FaultMatrixTest : public testing::LocalServiceTest {
protected:
    FaultMatrixTest() {
        CacheAnnsPassword();
        service_.State().SetVersion({.major = 1, .minor = 39});
        const std::string seed =
            "message id=m1 from=carol@example.com to=ann@example.com subject=Contract body=\"<p>The contract.</p>\"\n"
            "attachment message=m1 id=a1 name=contract.pdf content=%PDF\n";
        EXPECT_EQ(localservice::LoadSeed(seed, {}, service_.State(), service_.Faults()), "");
    }
};

TEST_F(FaultMatrixTest, EveryOperationEndsInItsResultWithinItsLimitsWhateverTheServiceDoes) {
    localservice::LocalService stopped;
    ASSERT_EQ(stopped.Start(temp_.Narrow() + "/stopped"), "");
    const int refusingPort = stopped.Port();
    stopped.Stop();
    sealwing::testing::RunFaultMatrix({
        .setFaults =
            [this](const std::string& seed) {
                service_.Faults().ClearAll();
                ASSERT_EQ(localservice::LoadSeed(seed, {}, service_.State(), service_.Faults()), "");
            },
        .refusingEndpoint = [refusingPort] { return ServiceEndpoint{.host = "localhost", .port = refusingPort}; },
        // The local service's threads are a fixed pool, started with it; libcurl works on the calling thread.
        .threadCount = &sealwing::testing::ThreadsOfThisProcess,
    });
}

}  // namespace
}  // namespace sealwing::service
