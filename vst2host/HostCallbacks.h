#pragma once

#include "host/Vst2Interface.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brumalux::vst2host
{
// One request a plug-in sent through the host callback.
struct HostRequest
{
    vst2::AEffect* effect;
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    void* ptr; // valid only while the request is handled
    float opt;
    std::string text; // the query of a can-do request
};

// The host's side of the callback for one instance: answers what a plug-in asks, keeps a record of
// every request, and lets a test hook in front of it. Plug-ins call back from any thread (their
// audio thread, their own message thread), so every member is safe to call from any thread.
class HostCallbacks
{
public:
    static constexpr vst2::VstIntPtr kHostVersion = 2300;

    // Sees every request first, on the thread the plug-in calls from and with no lock of ours held;
    // an answer it returns is final (the request is then not recorded), nullopt lets the host
    // record and answer it as usual.
    using Hook = std::function<std::optional<vst2::VstIntPtr>(const HostRequest&)>;

    explicit HostCallbacks(vst2::VstIntPtr versionAnswer = kHostVersion);

    vst2::VstIntPtr Handle(const HostRequest& request);

    void SetHook(Hook hook);
    // What the host answers audioMasterGetSampleRate and audioMasterGetBlockSize.
    void SetProcessing(double sampleRate, int blockSize);
    // The answer to every request of this kind (other than version and can-do).
    void SetAnswer(vst2::VstInt32 opcode, vst2::VstIntPtr answer);
    void SetCanDoAnswer(const std::string& query, vst2::VstIntPtr answer);

    // Off for long runs, where a plug-in asking something every block would grow the record.
    void KeepRecord(bool keep) { keepRecord = keep; }
    std::vector<HostRequest> Requests() const;
    int CountRequests(vst2::VstInt32 opcode) const;
    void ClearRequests();

private:
    vst2::VstIntPtr Answer(const HostRequest& request) const;

    const vst2::VstIntPtr versionAnswer;
    std::atomic<bool> keepRecord{true};
    std::atomic<double> sampleRate{44100.0};
    std::atomic<int> blockSize{1024};
    mutable std::mutex mutex;
    std::shared_ptr<const Hook> hook;
    std::vector<HostRequest> requests;
    std::map<std::string, vst2::VstIntPtr> canDoAnswers;
    std::map<vst2::VstInt32, vst2::VstIntPtr> answers;
};
} // namespace brumalux::vst2host
