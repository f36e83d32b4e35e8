#pragma once

namespace brumalux
{

class AudioFilterBase;

// Implemented by the host wrapper: how a filter reports parameter changes that did not
// come from the host, so that the host can record them as automation.
class FilterNativeCallbacks
{
public:
    virtual ~FilterNativeCallbacks() = default;

    // Applies the change as if the host had made it (unless the filter holds the value
    // already), then tells the host. Any thread, the audio thread included (see
    // AudioFilterBase::SetParameterAndTellHost).
    virtual void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) = 0;

    // A user starts or ends changing one parameter (a slider drag, a toggle click), so that
    // the host records and undoes the changes in between as one gesture. A host side that
    // keeps no gestures ignores them.
    virtual void BeginParameterGesture(AudioFilterBase&, int) {}
    virtual void EndParameterGesture(AudioFilterBase&, int) {}

    // The filter selected another program by itself; its values have been reported. The
    // host is asked to show the new program's number and name. Message thread.
    virtual void ProgramChanged(AudioFilterBase&) {}

    // A setting outside the parameters (one the state keeps, such as the tuning) changed by
    // the user's hand, so the host should take the project as modified. Message thread.
    virtual void SettingsChanged(AudioFilterBase&) {}
};

} // namespace brumalux
