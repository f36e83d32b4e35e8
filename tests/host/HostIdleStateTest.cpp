#include "hostcore/HostIdleState.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
TEST(HostIdleState, NestingCountsSoInnerScopesDoNotClearIt)
{
    EXPECT_FALSE(HostIdleState::IsNesting());
    {
        const HostIdleState::ScopedNesting outer;
        {
            const HostIdleState::ScopedNesting inner;
            EXPECT_TRUE(HostIdleState::IsNesting());
        }
        EXPECT_TRUE(HostIdleState::IsNesting());
    }
    EXPECT_FALSE(HostIdleState::IsNesting());
}

TEST(HostIdleState, IdleRequestsAreMoreThan20MsApart)
{
    EXPECT_TRUE(HostIdleState::ClaimIdleRequest(50000));
    EXPECT_FALSE(HostIdleState::ClaimIdleRequest(50000));
    EXPECT_FALSE(HostIdleState::ClaimIdleRequest(50020));
    EXPECT_TRUE(HostIdleState::ClaimIdleRequest(50021));
    EXPECT_FALSE(HostIdleState::ClaimIdleRequest(50030));
}
} // namespace

} // namespace brumalux
