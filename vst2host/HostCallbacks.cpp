#include "vst2host/HostCallbacks.h"

#include <algorithm>

namespace brumalux::vst2host
{
HostCallbacks::HostCallbacks(vst2::VstIntPtr versionAnswerToGive)
    : versionAnswer(versionAnswerToGive),
      // The host sends MIDI to the plug-in, and nothing else it could be asked about.
      canDoAnswers{{"sendVstEvents", 1}, {"sendVstMidiEvent", 1}}
{
}

vst2::VstIntPtr HostCallbacks::Handle(const HostRequest& request)
{
    std::shared_ptr<const Hook> currentHook;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        currentHook = hook;
    }
    if (currentHook != nullptr)
        if (const auto answer = (*currentHook)(request))
            return *answer;
    if (keepRecord)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(request);
        requests.back().ptr = nullptr;
    }
    return Answer(request);
}

vst2::VstIntPtr HostCallbacks::Answer(const HostRequest& request) const
{
    switch (request.opcode)
    {
        case vst2::audioMasterVersion:
            return versionAnswer;
        case vst2::audioMasterCanDo:
        {
            const std::lock_guard<std::mutex> lock(mutex);
            const auto found = canDoAnswers.find(request.text);
            return found != canDoAnswers.end() ? found->second : 0;
        }
        default:
            break;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = answers.find(request.opcode);
        if (found != answers.end())
            return found->second;
    }
    switch (request.opcode)
    {
        case vst2::audioMasterGetSampleRate:
            return static_cast<vst2::VstIntPtr>(sampleRate.load());
        case vst2::audioMasterGetBlockSize:
            return blockSize.load();
        case vst2::audioMasterWantMidi:
            return 1;
        default: // accepted with nothing to do: automation, idle, and what a host need not support
            return 0;
    }
}

void HostCallbacks::SetHook(Hook newHook)
{
    auto shared = newHook ? std::make_shared<const Hook>(std::move(newHook)) : nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    hook = std::move(shared);
}

void HostCallbacks::SetProcessing(double newSampleRate, int newBlockSize)
{
    sampleRate = newSampleRate;
    blockSize = newBlockSize;
}

void HostCallbacks::SetAnswer(vst2::VstInt32 opcode, vst2::VstIntPtr answer)
{
    const std::lock_guard<std::mutex> lock(mutex);
    answers[opcode] = answer;
}

void HostCallbacks::SetCanDoAnswer(const std::string& query, vst2::VstIntPtr answer)
{
    const std::lock_guard<std::mutex> lock(mutex);
    canDoAnswers[query] = answer;
}

std::vector<HostRequest> HostCallbacks::Requests() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

int HostCallbacks::CountRequests(vst2::VstInt32 opcode) const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [&](const HostRequest& request)
                                          { return request.opcode == opcode; }));
}

void HostCallbacks::ClearRequests()
{
    const std::lock_guard<std::mutex> lock(mutex);
    requests.clear();
}
} // namespace brumalux::vst2host
