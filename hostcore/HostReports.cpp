#include "HostReports.h"

#include "SharedMessageThread.h"
#include "framework/AudioFilterBase.h"

#include <cmath>

namespace brumalux
{

HostReports::HostReports(AudioFilterBase& filterToWatch, HostReportSink& sinkToTell)
    : filter(filterToWatch),
      sink(sinkToTell),
      queue(HostReportQueue::Create(sinkToTell))
{
    filter.SetCallbacks(this);
    startTimer(deliveryIntervalMs);
}

HostReports::~HostReports()
{
    stopTimer();
    filter.SetCallbacks(nullptr);
    queue->Close();
}

void HostReports::SendQueued()
{
    const std::atomic<bool> never{false};
    queue->Send(never);
}

void HostReports::SetParameterAndTellHost(AudioFilterBase&, int index, float normalisedValue)
{
    // A NaN or infinity would poison the filter's state for good.
    if (!std::isfinite(normalisedValue))
        return;
    // A value the filter holds already (a program, a state or a controller's value, reported)
    // stays as it is: set again through the normalised view it would be rounded.
    if (filter.GetNormalisedParameter(index) != normalisedValue)
        filter.SetNormalisedParameter(index, normalisedValue);
    Report({HostReport::Kind::parameterChanged, index, normalisedValue});
}

void HostReports::BeginParameterGesture(AudioFilterBase&, int index)
{
    Report({HostReport::Kind::gestureBegan, index});
}

void HostReports::EndParameterGesture(AudioFilterBase&, int index)
{
    Report({HostReport::Kind::gestureEnded, index});
}

void HostReports::ProgramChanged(AudioFilterBase&)
{
    Report({HostReport::Kind::programChanged});
}

void HostReports::SettingsChanged(AudioFilterBase&)
{
    Report({HostReport::Kind::settingsChanged});
}

void HostReports::Report(const HostReport& report)
{
    if (SharedMessageThread::IsCurrentThread())
        queue->Add(report);
    else
        sink.Tell(report);
}

void HostReports::timerCallback()
{
    filter.DeliverPendingChanges();
}

} // namespace brumalux
