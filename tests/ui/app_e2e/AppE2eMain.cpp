// The real veilport's end-to-end tests end it with Quenchor, which terminates
// the first process named veilport it can see: they run in a PID namespace of
// their own, so a person's own running Veilport is never the one ended.
#include <gtest/gtest.h>

#include "e2e/PrivatePids.h"

namespace {

class PrivatePidsOnly : public ::testing::Environment {
public:
    void SetUp() override {
        const std::string& reason = veilport::testing::NoPrivatePidsReason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }
};

}  // namespace

int main(int argc, char** argv) {
    veilport::testing::NoPrivatePidsReason() = veilport::testing::EnterPrivatePids();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PrivatePidsOnly);
    return RUN_ALL_TESTS();
}
