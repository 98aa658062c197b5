#include "platform/wait_rules.h"

bool WaitRules::ProcessEnded(bool signalled, std::optional<std::uint32_t> exitCode) {
    if (exitCode) {
        exitCode_ = *exitCode;
    }
    return signalled || exitCode_ != kStillActive;
}

bool WaitRules::TestDue(std::uint64_t now) const {
    return testDue_ || now - lastTest_ >= Interval();
}

void WaitRules::Tested(std::uint64_t now) {
    testDue_ = false;
    lastTest_ = now;
}

std::uint32_t WaitRules::NextWaitMs(std::uint64_t now) const {
    if (TestDue(now)) {
        return 0;
    }
    return static_cast<std::uint32_t>(lastTest_ + Interval() - now);
}
