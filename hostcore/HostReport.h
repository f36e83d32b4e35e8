#pragma once

namespace brumalux
{

// One thing an instance tells its host, in terms that name no plug-in format: each format's
// wrapper turns it into its own call (VST 2 audioMaster requests, the VST3 edit controller,
// LV2 port writes and atoms).
struct HostReport
{
    enum class Kind
    {
        parameterChanged, // index, value (normalised)
        gestureBegan,     // index
        gestureEnded,     // index
        programChanged,   // the organ selected another program by itself; its values were reported
        settingsChanged   // a setting outside the parameters (tuning, controller map) changed
    };

    Kind kind;
    int index = 0;
    float value = 0.0f;
};

// A format wrapper's side of the reports: passes one on to its host. Called on the message
// thread or on a host thread that acts as it, never on the audio thread.
class HostReportSink
{
public:
    virtual void Tell(const HostReport& report) = 0;

protected:
    ~HostReportSink() = default;
};

} // namespace brumalux
