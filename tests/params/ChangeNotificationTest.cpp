#include "TestOrganFilter.h"
#include "tests/support/MessageLoop.h"

#include <gtest/gtest.h>

#include <limits>

namespace brumalux
{

namespace P = ParameterIndex;

namespace
{
class ChangeCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback(juce::ChangeBroadcaster* source) override
    {
        ++calls;
        lastSource = source;
    }

    int calls = 0;
    juce::ChangeBroadcaster* lastSource = nullptr;
};

// The manager's notifications as the editor receives them on the message thread.
class ChangeNotification : public ::testing::Test
{
protected:
    ChangeNotification()
    {
        filter.AttachHost();
        filter.GetParameterManager().addChangeListener(&counter);
    }
    ~ChangeNotification() override { filter.GetParameterManager().removeChangeListener(&counter); }

    int CallsAfterPumping()
    {
        PumpMessages();
        return counter.calls;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    TestOrganFilter filter;
    ChangeCounter counter;
};
} // namespace

TEST_F(ChangeNotification, ABurstOfWritesArrivesAsOneCallFromTheManager)
{
    for (int i = 0; i < 10; ++i)
        filter.SetNormalisedParameter(P::tone, 0.1f * static_cast<float>(i));
    EXPECT_EQ(counter.calls, 0) << "delivered later, on the message thread";
    EXPECT_EQ(CallsAfterPumping(), 1);
    EXPECT_EQ(counter.lastSource, &filter.GetParameterManager());

    filter.SetCurrentProgram(4);
    EXPECT_EQ(CallsAfterPumping(), 2);
}

TEST_F(ChangeNotification, WritesThatChangeNothingAnnounceNothing)
{
    filter.SetNormalisedParameter(27, 0.5f);
    filter.SetNormalisedParameter(-1, 0.5f);
    filter.SetNormalisedParameter(P::tone, std::numeric_limits<float>::quiet_NaN());
    filter.GetParameterManager().SetValueNotifyingHost(P::tone, std::numeric_limits<float>::infinity());
    filter.SetCurrentProgram(filter.GetCurrentProgram());
    EXPECT_EQ(CallsAfterPumping(), 0);
}

TEST_F(ChangeNotification, ApplyingNoValuesStillAnnouncesOnce)
{
    filter.GetParameterManager().ApplyValues(nullptr, 0);
    EXPECT_EQ(CallsAfterPumping(), 1);
}

} // namespace brumalux
